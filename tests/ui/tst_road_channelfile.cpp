// Export and import of the channel configuration file through the window, and a saved
// configuration put back on a controller that drifted from it; the boards' channel counts.

#include "roadsupport.h"


namespace {

const QString kSerial = QStringLiteral("T3-0421-0077"); // the simulator's serial number

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct FileRoad : Road {
    explicit FileRoad(const QString &hw = QStringLiteral("8.1"))
        : Road(hw)
    {
        sim->withModel([](ControllerModel &m) {
            m.digital.channels[0] = {8, 1, 0xFA000003u + 8 * 123, "111111", 2, 5};
            m.digital.setPresentChannels(30);
        });
    }

    // Everything an engineer can see in the two tables.
    QStringList tableState() const
    {
        QStringList out;
        for (auto *table : {find<QTableWidget>("analogTable"), find<QTableWidget>("rs485Table")}) {
            for (int r = 0; r < table->rowCount(); ++r) {
                QStringList row;
                for (int c = 0; c < table->columnCount(); ++c) {
                    const QWidget *w = table->cellWidget(r, c);
                    row << w->property(w->inherits("QComboBox") ? "currentIndex"
                                       : w->inherits("QLineEdit") ? "text" : "value").toString();
                }
                out << row.join(QLatin1Char('|'));
            }
        }
        return out;
    }
};

} // namespace

class TestRoadChannelFile : public QObject
{
    Q_OBJECT

private slots:
    void exportedLines_data();
    void exportedLines();
    void importFile_data();
    void importFile();
    void exportChangeImportWrite();
};

void TestRoadChannelFile::exportedLines_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("analogLines");
    QTest::newRow("eight analog channels on 8.1") << "8.1" << 8;
    QTest::newRow("four analog channels on 8.2") << "8.2" << 4;
}

void TestRoadChannelFile::exportedLines()
{
    QFETCH(QString, hardware);
    QFETCH(int, analogLines);
    QTemporaryDir dir;
    FileRoad road(hardware);
    QVERIFY(road.started);
    QVERIFY(road.readTabs({0, 1, 2}));
    road.prompts.nextFileName = dir.filePath(kSerial + QStringLiteral(".csv"));
    road.button("exportButton")->click();
    QVERIFY(road.prompts.shown.isEmpty());
    QCOMPARE(road.prompts.fileDialogArgs,
             (QStringList{QStringLiteral("Сохранить файл"), QDir::currentPath() + QLatin1Char('/') + kSerial,
                          QStringLiteral("CSV files (*.csv);;All files (*.*)")}));
    const QList<QByteArray> lines = readAll(road.prompts.nextFileName).split('\n');
    // Header, the analog channels the board has, 30 present digital ones, the final line end.
    QCOMPARE(lines.size(), 1 + analogLines + 30 + 1);
    QCOMPARE(lines.at(1), QByteArray("A;1;1;2;12345;10;1;30;60;100;;;;1"));
    QCOMPARE(lines.at(2), QByteArray("A;2;7;5;T-01;10;1;235;-50;21.5;;;;2"));
    QVERIFY(lines.at(analogLines).startsWith("A;" + QByteArray::number(analogLines) + ';'));
    QCOMPARE(lines.at(analogLines + 1), QByteArray("D;1;1;1;-;;;;;-,-,-,-;kv123;111111;2;5"));
    QVERIFY(lines.at(analogLines + 30).startsWith("D;30;0;"));
    // Readings ask only the channels the board has.
    road.showTab(1);
    QVERIFY(road.click("readDataButton"));
    QCOMPARE(road.sim->requestCount(1), analogLines);
    QVERIFY(!road.cell("analogTable", 0, AnalogTab::ValueColumn)->text().isEmpty());

    // Refused exports leave the earlier file as it was: the dialog cancelled, a separator in a
    // serial number (it would split the line and the file could not be read back), a row check.
    const QByteArray earlier = readAll(road.prompts.nextFileName);
    const QString path = road.prompts.nextFileName;
    road.prompts.nextFileName.clear();
    road.button("exportButton")->click();
    auto *serial = road.cell("analogTable", 0, AnalogTab::SerialColumn);
    serial->setText(QStringLiteral("SN;1"));
    road.prompts.nextFileName = path;
    road.button("exportButton")->click();
    serial->setText(QStringLiteral("SN-1"));
    // Channel 2 becomes a water meter with the probe's negative ST.
    road.cell<QComboBox>("analogTable", 1, AnalogTab::TypeColumn)->setCurrentIndex(1);
    road.button("exportButton")->click();
    road.prompts.nextFileName = dir.filePath(QStringLiteral("no/such/dir/x.csv"));
    road.cell<QComboBox>("analogTable", 1, AnalogTab::TypeColumn)->setCurrentIndex(7);
    road.button("exportButton")->click();
    QStringList texts;
    for (const FakePrompts::Shown &shown : road.prompts.shown)
        texts << shown.text;
    QCOMPARE(texts, (QStringList{"Неверная конфигурация для 1 канала! Символ «;» или перевод строки в серийном "
                                 "номере или пароле не даст прочитать канал из файла.",
                                 "Неверная конфигурация для 2 канала!", "Не могу записать в файл."}));
    QCOMPARE(readAll(path), earlier);
}

void TestRoadChannelFile::importFile_data()
{
    QTest::addColumn<bool>("readChannels");
    QTest::addColumn<QString>("name"); // "" cancels the dialog
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("row3"); // the third analog row afterwards; "" untouched
    const QString file = kSerial + QStringLiteral("-copy.csv");
    const QByteArray line = "header\nA;3;7;5;;1;1;-50;-100;;;;;12\n";
    // The file carries no readings: laid over unread tables, a write would zero the meters.
    QTest::newRow("channel tabs not read") << false << file << line
        << "Настройки каналов не считаны с контроллера. Сначала нажмите «Считать настройки» на "
           "вкладках «Аналоговые каналы» и «Цифровые каналы»." << "" << "";
    QTest::newRow("name without the serial number") << true << "other-controller.csv" << line
        << "Имя файла не соответствует SN контроллера." << "" << "";
    QTest::newRow("cancelled") << true << "" << line << "" << "" << "";
    QTest::newRow("malformed lines skipped and counted") << true << file
        << QByteArray("header\nA;1;1;2;;1;1;0;0;;;;\na;2;1;2;;1;1;0;0;;;;;0\nA,3,0,0,,10,1,0,0,,,,,0\n")
        << "" << "Импорт каналов: пропущено строк с ошибками: 2" << "0|0||10|1|0|0|%1|0";
    // Lines for channels outside the tables or that the controller lacks (31 here) would
    // bring rows back to life: skipped too.
    QTest::newRow("channels the tables lack") << true << file
        << QByteArray("header\nA;9;1;2;;1;1;0;0;;;;;0\nD;31;1;1;;;;;;;kv1;;1;7\nD;0;1;1;;;;;;;kv1;;1;7\n")
        << "" << "Импорт каналов: пропущено строк с ошибками: 3" << "";
    // Numbers no editor could set and no field could hold: each line is skipped, the rows
    // keep what was read.
    QTest::newRow("analog scale 0, divider 65536, LK and object beyond their fields")
        << true << file
        << QByteArray("header\nA;3;1;2;;0;1;0;0;;;;;0\nA;3;1;2;;1;0;0;0;;;;;0\n"
                      "A;3;1;2;;1;65536;0;0;;;;;0\nA;3;1;2;;1;1;70000;0;;;;;0\n"
                      "A;3;1;2;;1;1;0;0;;;;;99999\n")
        << "" << "Импорт каналов: пропущено строк с ошибками: 5" << "";
    QTest::newRow("digital KT 0 and 256, object beyond its field") << true << file
        << QByteArray("header\nD;1;1;1;;;;;;;kv1;;0;7\nD;1;1;1;;;;;;;kv1;;256;7\n"
                      "D;1;1;1;;;;;;;kv1;;1;70000\n")
        << "" << "Импорт каналов: пропущено строк с ошибками: 3" << "";
    QTest::newRow("missing file") << true << kSerial + QStringLiteral("-missing.csv") << QByteArray()
        << "" << "Не удалось открыть файл " << "";
}

void TestRoadChannelFile::importFile()
{
    QFETCH(bool, readChannels);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(QString, status);
    QFETCH(QString, row3);
    QTemporaryDir dir;
    FileRoad road;
    QVERIFY(road.started);
    QVERIFY(readChannels ? road.readTabs({0, 1, 2}) : road.authorise() && road.click("readSettingsButton"));
    road.showTab(1);
    if (!content.isEmpty() && !name.isEmpty())
        QVERIFY(writeAll(dir.filePath(name), content));
    road.prompts.nextFileName = name.isEmpty() ? QString() : dir.filePath(name);
    const QStringList before = road.tableState();
    const QString reading = road.cell("analogTable", 2, AnalogTab::ValueColumn)->text();
    road.button("importButton")->click();
    QCOMPARE(road.prompts.shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(road.prompts.shown.first().text, message);
    QVERIFY2(status.isEmpty() ? road.status().isEmpty() : road.status().startsWith(status),
             qPrintable(road.status()));
    const QStringList after = road.tableState();
    QCOMPARE(after.value(2), row3.isEmpty() ? before.value(2) : row3.arg(reading));
    if (row3.isEmpty())
        QCOMPARE(after, before);
    // An import is an edit: it goes to the controller with the next write.
    if (readChannels)
        QCOMPARE(road.button("writeSettingsButton")->isEnabled(), !row3.isEmpty());
}

void TestRoadChannelFile::exportChangeImportWrite()
{
    QTemporaryDir dir;
    Road road;
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) {
        m.digital.channels[3] = {8, 2, 4194304987u, "999", 3, 14};
    });
    QVERIFY(road.readTabs({0, 1, 2}));
    road.prompts.nextFileName = dir.filePath(kSerial + QStringLiteral(".csv"));
    road.button("exportButton")->click();
    QVERIFY(QFile::exists(road.prompts.nextFileName));

    // The controller changes behind the engineer's back; the file puts it right again.
    road.sim->withModel([](ControllerModel &m) {
        m.analog.channels[0].object = 999;
        m.analog.channels[0].value = 123456;
        m.analog.channels[1].st = 0;
        m.digital.channels[3].password = "000";
        m.digital.channels[3].object = 1;
    });
    QVERIFY(road.click("readSettingsButton")); // digital tab on show
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton"));
    road.button("importButton")->click();
    QVERIFY(road.prompts.shown.isEmpty());
    road.prompts.answers = {true}; // channel 3's contact sensor polls slower than its LK
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    road.showTab(2);
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.sim->requestCount(32), 1); // only the channel the file changed
    const auto held = road.sim->withModel([](ControllerModel &m) {
        return QStringList{QString::number(m.analog.channels[0].object),
                           QString::number(qint16(m.analog.channels[1].st)),
                           QString::fromUtf8(m.digital.channels[3].password),
                           QString::number(m.digital.channels[3].object),
                           QString::number(m.digital.channels[3].address),
                           QString::number(m.analog.channels[0].value)};
    });
    // The meter's counter is the controller's, as read, not the file's.
    QCOMPARE(held, (QStringList{"1", "-50", "999", "14", "4194304987", "123456"}));
}

QTEST_MAIN(TestRoadChannelFile)
#include "tst_road_channelfile.moc"

// Road: export the channels, change the tables, import the file, write, and find the
// controller holding what the file says.

#include "roadsupport.h"

#include "bulk/channelfile.h"
#include "channels/analogtab.h"
#include "channels/rs485tab.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

class TestRoadExport : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadExport::road()
{
    QTemporaryDir dir;
    Road road;
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) {
        m.digital.channels[3] = {8, 2, 4194304987u, "999", 3, 14};
    });
    QVERIFY(road.authorise());
    QVERIFY(road.click("readSettingsButton"));
    const QString serial = road.find<QLineEdit>("serialEdit")->text();
    for (int tab : {1, 2}) {
        road.showTab(tab);
        QVERIFY(road.click("readSettingsButton"));
    }
    road.prompts.nextFileName = dir.filePath(serial + QStringLiteral(".csv"));
    road.button("exportButton")->click();
    QFile file(road.prompts.nextFileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const ChannelFile::Parsed exported = ChannelFile::parse(file.readAll());
    file.close();
    QCOMPARE(exported.skipped, 0);

    // The controller changes behind the engineer's back; the file puts it right again.
    road.sim->withModel([](ControllerModel &m) {
        m.analog.channels[0].object = 999;
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
                           QString::number(m.digital.channels[3].address)};
    });
    QStringList fromFile;
    for (const ChannelFile::Line &line : exported.lines) {
        if (line.analog && line.row == 0)
            fromFile << line.fields.value(ChannelFile::ObjectField);
        if (line.analog && line.row == 1)
            fromFile << line.fields.value(ChannelFile::StField);
    }
    for (const ChannelFile::Line &line : exported.lines) {
        if (!line.analog && line.row == 3)
            fromFile << line.fields.value(ChannelFile::PasswordField)
                     << line.fields.value(ChannelFile::ObjectField)
                     << RS485Tab::addressToNumber(line.fields.value(ChannelFile::AddressField));
    }
    QCOMPARE(held, fromFile);
    QCOMPARE(held, (QStringList{"1", "-50", "999", "14", "4194304987"}));
}

QTEST_MAIN(TestRoadExport)
#include "tst_road_export.moc"

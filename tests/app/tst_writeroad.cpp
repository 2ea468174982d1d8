// "Записать настройки" through the window: what is refused, what is asked, and what goes
// to the controller.

#include "roadsupport.h"

#include "channels/analogtab.h"
#include "channels/rs485tab.h"
#include "settings/settingstab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>

namespace {

constexpr int kWriteController = 33;
constexpr int kWriteAnalog = 16;

QComboBox *analogCombo(Road &road, int row, int column)
{
    return qobject_cast<QComboBox *>(road.find<QTableWidget>("analogTable")->cellWidget(row, column));
}

QLineEdit *analogEdit(Road &road, int row, int column)
{
    return qobject_cast<QLineEdit *>(road.find<QTableWidget>("analogTable")->cellWidget(row, column));
}

// Every record at one end of its fields' ranges: the top fills texts to their last byte and
// gives codes that the tables' lists do not name; the bottom is all zero and empty.
void holdExtremes(ControllerModel &m, bool top)
{
    const quint32 word = top ? 0xFFFFFFFF : 0;
    SimControllerSettings &c = m.controllerSettings;
    c.logPeriod = c.sendPeriod = c.contactPollPeriod = c.consumptionThreshold = word;
    c.consumptionSendMode = c.psm = c.serverIp[0] = c.serverIp[1] = c.serverIp[2] = c.serverIp[3] = quint8(word);
    c.serverPort = quint16(word);
    c.apiGet = top ? QByteArray(32, 'g') : QByteArray();
    c.apiSave = top ? QStringLiteral("абвгдежзийклмноп").toUtf8() : QByteArray(); // 32 bytes
    const quint8 analogTypes[] = {254, 5, 14, 9, 1, 2, 3, 8}; // temperature, pressure, contact
    for (int i = 0; i < SimAnalogChannels::kChannels; ++i) {
        const quint8 type = top ? analogTypes[i] : 0;
        const bool tenths = type == 5 || type == 14; // readings the controller measures itself
        m.analog.channels[i] = {type, quint8(word), top ? QByteArray(16, 's') : QByteArray(),
                                quint16(word), quint16(top ? 0xFFFE : 0), quint16(type == 5 ? 0x7FFF : word),
                                quint16(type == 5 ? 0x8000 : word), quint16(word), tenths ? 0 : word};
    }
    const quint8 digitalTypes[] = {254, 8, 2}, protocols[] = {255, 9, 11};
    const quint32 addresses[] = {0xFFFFFFFF, 4294967291u, 4194304003u}; // plain, kv12582911, kv0
    for (int i = 0; i < SimDigitalChannels::kChannelCount; ++i)
        m.digital.channels[i] = {quint8(top ? digitalTypes[i % 3] : 0), quint8(top ? protocols[i % 3] : 0),
                                 top ? addresses[i % 3] : 0, top ? QByteArray(10, 'p') : QByteArray(),
                                 quint8(word), quint16(word)};
}

} // namespace

class TestWriteRoad : public QObject
{
    Q_OBJECT

private slots:
    void psmQuestion_data();
    void psmQuestion();
    void zeroPollPeriodWithContactSensor();
    void oversizePathIsRefused();
    void contactSensorQuestion_data();
    void contactSensorQuestion();
    void refusedAnalogRowSendsNothing_data();
    void refusedAnalogRowSendsNothing();
    void readThenWriteChangesNothing_data();
    void readThenWriteChangesNothing();
};

void TestWriteRoad::psmQuestion_data()
{
    QTest::addColumn<QString>("hw");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("psmWritten");
    QTest::newRow("8.2 answered No writes PSM off") << "8.2" << QList<bool>{false} << 1 << 0;
    QTest::newRow("8.2 answered Yes keeps PSM on") << "8.2" << QList<bool>{true} << 1 << 1;
    QTest::newRow("8.3 asks nothing") << "8.3" << QList<bool>{} << 0 << 1;
}

void TestWriteRoad::psmQuestion()
{
    QFETCH(QString, hw);
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(int, psmWritten);

    Road road(hw);
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) { m.controllerSettings.psm = 1; });
    QVERIFY(road.authorise());
    QVERIFY(road.click("readSettingsButton"));
    QVERIFY(road.find<QCheckBox>("psmCheck")->isChecked());
    road.find<QSpinBox>("contactPollSpin")->setValue(30); // an edit, so that writing is allowed

    road.prompts.answers = answers;
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), questions);
    if (questions) {
        QCOMPARE(road.prompts.shown.first().title, QStringLiteral("PSM-режим"));
        QVERIFY(road.prompts.shown.first().text.startsWith(
            QStringLiteral("Для данной аппаратной платформы PSM-режим потребляет")));
    }
    QCOMPARE(road.sim->requestCount(kWriteController), 1);
    QCOMPARE(int(road.sim->withModel([](ControllerModel &m) { return m.controllerSettings.psm; })),
             psmWritten);
    QCOMPARE(road.find<QCheckBox>("psmCheck")->isChecked(), psmWritten == 1);
}

void TestWriteRoad::zeroPollPeriodWithContactSensor()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton")); // channel 3 is a contact sensor
    road.showTab(0);
    QVERIFY(road.click("readSettingsButton"));
    road.find<QSpinBox>("contactPollSpin")->setValue(0);

    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QCOMPARE(road.prompts.shown.first().kind, QStringLiteral("critical"));
    QCOMPARE(road.prompts.shown.first().title, QStringLiteral("Некорректное значение"));
    QCOMPARE(road.prompts.shown.first().text,
             QStringLiteral("Для контактного датчика в настройках контроллера необходимо "
                            "установить ненулевой период опроса контактных датчиков."));
    QCOMPARE(road.sim->requestCount(kWriteController), 0);
}

void TestWriteRoad::oversizePathIsRefused()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    QVERIFY(road.click("readSettingsButton"));
    road.find<QLineEdit>("apiSaveEdit")->setText(QStringLiteral("/показания/сохранить/все")); // 44 bytes
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QCOMPARE(road.prompts.shown.first().title, QStringLiteral("Ошибка"));
    QVERIFY2(road.prompts.shown.first().text.contains(QStringLiteral("API_SAVE")),
             qPrintable(road.prompts.shown.first().text));
    QCOMPARE(road.sim->requestCount(kWriteController), 0);
}

void TestWriteRoad::contactSensorQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No writes nothing") << false;
    QTest::newRow("Yes writes every present channel") << true;
}

void TestWriteRoad::contactSensorQuestion()
{
    QFETCH(bool, answer);
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    QVERIFY(road.click("readSettingsButton")); // poll period 60 s
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton")); // channel 3: contact sensor, LK 10, ST 0
    analogEdit(road, 0, AnalogTab::ObjectColumn)->setText(QStringLiteral("77"));

    road.prompts.answers = {answer};
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QCOMPARE(road.prompts.shown.first().title,
             QStringLiteral("LK меньше чем период опроса контактных датчиков"));
    QVERIFY(road.prompts.shown.first().text.contains(QStringLiteral("на входе 3 ")));
    QVERIFY(road.prompts.shown.first().text.contains(QStringLiteral("(сейчас он 60 сек)")));
    QCOMPARE(road.sim->requestCount(kWriteAnalog), answer ? 8 : 0);
    if (answer)
        QCOMPARE(int(road.sim->withModel([](ControllerModel &m) { return m.analog.channels[0].object; })), 77);
}

void TestWriteRoad::refusedAnalogRowSendsNothing_data()
{
    QTest::addColumn<int>("invalidRow");    // made a water meter with a probe's negative ST
    QTest::addColumn<int>("longSerialRow"); // given a serial of 28 bytes
    QTest::addColumn<QString>("message");
    const QString longSerial = QStringLiteral(
        "Неверная конфигурация для 1 канала! Серийный номер не помещается в 16 байт "
        "(русская буква занимает 2 байта)");
    QTest::newRow("invalid channel 2") << 1 << -1 << "Неверная конфигурация для 2 канала! ";
    QTest::newRow("serial of channel 1 too long") << -1 << 0 << longSerial;
    // Rows are judged in order: channel 2's fault is named before channel 4's serial.
    QTest::newRow("invalid channel 2 before a long serial on 4") << 1 << 3
        << "Неверная конфигурация для 2 канала! ST не может быть меньше 0";
}

void TestWriteRoad::refusedAnalogRowSendsNothing()
{
    QFETCH(int, invalidRow);
    QFETCH(int, longSerialRow);
    QFETCH(QString, message);
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton"));
    if (invalidRow >= 0)
        analogCombo(road, invalidRow, AnalogTab::TypeColumn)->setCurrentIndex(1);
    if (longSerialRow >= 0)
        analogEdit(road, longSerialRow, AnalogTab::SerialColumn)->setText(QStringLiteral("счетчик-водяной"));
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QCOMPARE(road.prompts.shown.first().title, QStringLiteral("Ошибка"));
    QVERIFY2(road.prompts.shown.first().text.startsWith(message),
             qPrintable(road.prompts.shown.first().text));
    QCOMPARE(road.sim->requestCount(kWriteAnalog), 0);
    QCOMPARE(road.sim->withModel([](ControllerModel &m) { return m.analog.channels[0].serial; }),
             QByteArray("12345"));
}

void TestWriteRoad::readThenWriteChangesNothing_data()
{
    QTest::addColumn<QString>("fw");
    QTest::addColumn<QString>("hw");
    QTest::addColumn<bool>("top");
    QTest::newRow("1.4.2 on 8.1, every field at its top") << "1.4.2" << "8.1" << true;
    QTest::newRow("1.4.0 on 8.2, every field at its top") << "1.4.0" << "8.2" << true;
    QTest::newRow("1.4.2 on 8.2, every field zero") << "1.4.2" << "8.2" << false;
    QTest::newRow("1.4.0 on 8.1, every field zero") << "1.4.0" << "8.1" << false;
}

void TestWriteRoad::readThenWriteChangesNothing()
{
    QFETCH(QString, fw);
    QFETCH(QString, hw);
    QFETCH(bool, top);
    Road road(hw, fw);
    QVERIFY(road.started);
    const QByteArray held = road.sim->withModel([top](ControllerModel &m) {
        holdExtremes(m, top);
        return m.heldRecords();
    });
    QVERIFY(road.authorise());
    for (int tab = 0; tab < 3; ++tab) {
        road.showTab(tab);
        QVERIFY(road.click("readSettingsButton"));
    }
    QVERIFY(!road.dialog->findChild<SettingsTab *>()->hasChanges());
    QVERIFY(!road.dialog->findChild<AnalogTab *>()->isComSettingsChanged());
    QVERIFY(!road.dialog->findChild<RS485Tab *>()->hasChanges());

    // A tab is written once it is edited: each is written with an edit, then restored and
    // written again, which must leave every record as the controller held it.
    auto *digital = road.find<QTableWidget>("rs485Table");
    QList<QList<QLineEdit *>> edits{{road.find<QLineEdit>("apiGetEdit")},
                                    {analogEdit(road, 0, AnalogTab::ObjectColumn)}, {}};
    for (int r = 0; r < digital->rowCount(); ++r)
        edits[2] << qobject_cast<QLineEdit *>(digital->cellWidget(r, RS485Tab::ObjectColumn));
    road.prompts.answers = QList<bool>(8, true); // keep PSM on, accept the contact sensor's LK
    for (int tab = 0; tab < 3; ++tab) {
        road.showTab(tab);
        QStringList was;
        for (QLineEdit *edit : edits[tab]) {
            was << edit->text();
            edit->setText(QStringLiteral("7"));
        }
        QVERIFY(road.click("writeSettingsButton"));
        for (int i = 0; i < was.size(); ++i)
            edits[tab][i]->setText(was[i]);
        QVERIFY(road.click("writeSettingsButton"));
    }
    QCOMPARE(road.sim->withModel([](ControllerModel &m) { return m.heldRecords(); }).toHex(' '),
             held.toHex(' '));
}

QTEST_MAIN(TestWriteRoad)
#include "tst_writeroad.moc"

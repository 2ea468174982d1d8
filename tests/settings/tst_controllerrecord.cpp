// Controller settings record and modem record: decoding of both response layouts and the
// write payload of command 33, with bytes laid out by hand from the protocol tables.

#include "link/frame.h"
#include "settings/controllerrecord.h"
#include "settings/modemrecord.h"

#include <QtTest>

namespace {

void place(QByteArray &frame, int offset, const QByteArray &bytes)
{
    frame.replace(offset, bytes.size(), bytes);
}

// A response frame of command 9 or 33 from hardware 8.2; the checksum is irrelevant here.
QByteArray settingsFrame(int size, const QByteArray &fwWord)
{
    QByteArray f(size, '\0');
    place(f, 0, QByteArray::fromHex("aa0802") + fwWord + QByteArray::fromHex("09"));
    place(f, 9, QByteArray::fromHex("00001518"));   // log_period 5400
    place(f, 13, QByteArray::fromHex("00015180"));  // send_period 86400
    place(f, 17, QByteArray::fromHex("0000003c"));  // contact_poll_period 60
    place(f, 21, QByteArray::fromHex("ffffffff"));  // consumption_threshold, all bits
    place(f, 25, "T3-0421-0077");                   // serial_number (13)
    place(f, 38, "info");                           // info_text
    place(f, 70, "866207053311579");                // imei
    place(f, 102, QByteArray::fromHex("ff"));       // power_source
    place(f, 103, QByteArray::fromHex("0e10"));     // battery_voltage 3600
    place(f, 105, QByteArray::fromHex("01"));       // lid_open
    place(f, 106, QByteArray::fromHex("01"));       // consumption_send_mode
    place(f, 107, QByteArray::fromHex("00"));       // psm
    place(f, 108, QByteArray::fromHex("c0a8010a")); // server_ip
    place(f, 112, QByteArray::fromHex("1f90"));     // server_port 8080
    place(f, 114, "/sensor/get");
    place(f, 146, QByteArray(32, 'a'));             // API_SAVE without a zero byte
    if (size > 179)
        place(f, 178, "1.4.2-rc");                  // fw_text
    return f;
}

QStringList expectedList(const QString &firmware)
{
    return {QStringLiteral("5400"), QStringLiteral("86400"), QStringLiteral("60"),
            QStringLiteral("4294967295"), QStringLiteral("T3-0421-0077"), QStringLiteral("8.2"),
            firmware, QStringLiteral("info"), QStringLiteral("866207053311579"),
            QStringLiteral("255"), QStringLiteral("3600"), QStringLiteral("1"),
            QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("192.168.1.10"),
            QStringLiteral("8080"), QStringLiteral("/sensor/get"), QString(32, QLatin1Char('a'))};
}

QStringList writeList(const QString &ip, const QString &apiGet = QStringLiteral("/sensor/get"),
                      const QString &apiSave = QStringLiteral("/sensor/save"))
{
    return {QStringLiteral("3600"), QStringLiteral("86400"), QStringLiteral("60"),
            QStringLiteral("1000"), QStringLiteral("1"), QStringLiteral("1"), ip,
            QStringLiteral("8080"), apiGet, apiSave};
}

const QString kThirtyOneAscii = QStringLiteral("/0123456789/0123456789/01234567");

} // namespace

class TestControllerRecord : public QObject
{
    Q_OBJECT

private slots:
    void decodeLayouts_data();
    void decodeLayouts();
    void decodeResponseDispatch_data();
    void decodeResponseDispatch();
    void decodeTextFields_data();
    void decodeTextFields();
    void truncatedFrameReadsNothingBeyond();
    void writePayloadOfKnownList();
    void writeServerIp_data();
    void writeServerIp();
    void writePaths_data();
    void writePaths();
    void oversizePathRefused_data();
    void oversizePathRefused();
    void modemRecord_data();
    void modemRecord();
};

void TestControllerRecord::decodeLayouts_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<quint32>("fwWord");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("cmd9 fw1.4.2 211 bytes, entry 6 is fw_text")
        << settingsFrame(211, QByteArray::fromHex("01040002")) << quint32(0x01040002)
        << expectedList(QStringLiteral("1.4.2-rc"));
    QTest::newRow("cmd9 fw1.4.0 179 bytes, entry 6 from the header")
        << settingsFrame(179, QByteArray::fromHex("01040000")) << quint32(0x01040000)
        << expectedList(QStringLiteral("1.4.0"));
}

void TestControllerRecord::decodeLayouts()
{
    QFETCH(QByteArray, frame);
    QFETCH(quint32, fwWord);
    QFETCH(QStringList, list);
    const QStringList decoded = ControllerRecord::decodeSettings(frame, fwWord);
    QCOMPARE(decoded.size(), 18);
    QCOMPARE(decoded, list);
}

void TestControllerRecord::decodeResponseDispatch_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("firmware");
    QByteArray write140 = settingsFrame(179, QByteArray::fromHex("01040000"));
    write140[7] = char(33);
    QTest::newRow("cmd9 211 bytes") << settingsFrame(211, QByteArray::fromHex("01040002")) << 9
                                    << QStringLiteral("1.4.2-rc");
    QTest::newRow("cmd33 179 bytes") << write140 << 33 << QStringLiteral("1.4.0");
}

void TestControllerRecord::decodeResponseDispatch()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, cmd);
    QFETCH(QString, firmware);
    const QStringList decoded = Link::decodeResponse(frame, cmd);
    QCOMPARE(decoded.size(), 18);
    QCOMPARE(decoded.at(ControllerRecord::FirmwareText), firmware);
    QCOMPARE(decoded.at(ControllerRecord::ServerIp), QStringLiteral("192.168.1.10"));
}

void TestControllerRecord::decodeTextFields_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("32 bytes without zero give 32 characters")
        << QByteArray(32, 'x') << QString(32, QLatin1Char('x'));
    QTest::newRow("leading zero gives empty") << QByteArray::fromHex("00414243") << QString();
    QTest::newRow("text stops at the first zero")
        << QByteArray::fromHex("2f6100626364") << QStringLiteral("/a");
    QTest::newRow("UTF-8 Cyrillic") << QByteArray::fromHex("2fd0b0d0bfd0b8") << QStringLiteral("/апи");
}

void TestControllerRecord::decodeTextFields()
{
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QByteArray frame = settingsFrame(211, QByteArray::fromHex("01040002"));
    place(frame, 114, QByteArray(32, '\0'));
    place(frame, 114, field);
    QCOMPARE(ControllerRecord::decodeSettings(frame, 0x01040002).at(ControllerRecord::ApiGet), text);
}

void TestControllerRecord::truncatedFrameReadsNothingBeyond()
{
    // Decoding never relies on the size check: a short frame gives empty or zero entries.
    const QByteArray shortFrame = settingsFrame(211, QByteArray::fromHex("01040002")).left(30);
    const QStringList decoded = ControllerRecord::decodeSettings(shortFrame, 0x01040002);
    QCOMPARE(decoded.size(), 18);
    QCOMPARE(decoded.at(ControllerRecord::LogPeriod), QStringLiteral("5400"));
    QCOMPARE(decoded.at(ControllerRecord::SerialNumber), QStringLiteral("T3-04"));
    QCOMPARE(decoded.at(ControllerRecord::ServerIp), QStringLiteral("0.0.0.0"));
    QCOMPARE(decoded.at(ControllerRecord::ApiSave), QString());
}

void TestControllerRecord::writePayloadOfKnownList()
{
    QByteArray payload;
    QCOMPARE(ControllerRecord::encodeWrite(writeList(QStringLiteral("192.168.1.10")), payload),
             ControllerRecord::WriteProblem::None);
    const QByteArray expected = QByteArray::fromHex(
        "ff"                                        // filler
        "00000e10" "00015180" "0000003c" "000003e8" // periods 3600, 86400, 60, threshold 1000
        "01" "01"                                   // send mode, PSM
        "c0a8010a" "1f90"                           // 192.168.1.10:8080
        "2f73656e736f722f676574"                    // "/sensor/get"
        "000000000000000000000000000000000000000000"
        "2f73656e736f722f73617665"                  // "/sensor/save"
        "0000000000000000000000000000000000000000");
    QCOMPARE(payload.toHex(), expected.toHex());
    // Framed, the request is 98 bytes: mode and PSM sit at frame offsets 25 and 26.
    const QByteArray frame = Link::buildRequest(33, &payload);
    QCOMPARE(frame.size(), 98);
    QCOMPARE(frame.mid(25, 2).toHex(), QByteArray("0101"));
}

void TestControllerRecord::writeServerIp_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("octets");
    QTest::newRow("10.0.0 three parts refused") << "10.0.0" << false << QByteArray();
    QTest::newRow("empty text refused") << "" << false << QByteArray();
    QTest::newRow("five parts refused") << "1.2.3.4.5" << false << QByteArray();
    QTest::newRow("10.0.0. empty last part sends 0") << "10.0.0." << true
                                                     << QByteArray::fromHex("0a000000");
    QTest::newRow("10.0.0.300 sends low byte 44") << "10.0.0.300" << true
                                                  << QByteArray::fromHex("0a00002c");
    QTest::newRow("letters send 0") << "a.b.c.d" << true << QByteArray::fromHex("00000000");
    QTest::newRow("255.255.255.255") << "255.255.255.255" << true << QByteArray::fromHex("ffffffff");
}

void TestControllerRecord::writeServerIp()
{
    QFETCH(QString, ip);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, octets);
    QByteArray payload("stale");
    const ControllerRecord::WriteProblem problem =
        ControllerRecord::encodeWrite(writeList(ip), payload);
    if (!accepted) {
        QCOMPARE(problem, ControllerRecord::WriteProblem::ServerIp);
        QVERIFY(payload.isEmpty());
        return;
    }
    QCOMPARE(problem, ControllerRecord::WriteProblem::None);
    QCOMPARE(payload.size(), 89);
    QCOMPARE(payload.mid(19, 4).toHex(), octets.toHex());
}

void TestControllerRecord::writePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("31 ASCII fill 31 bytes and one zero")
        << kThirtyOneAscii << kThirtyOneAscii.toLatin1() + QByteArray(1, '\0');
    QTest::newRow("empty gives 32 zero bytes") << QString() << QByteArray(32, '\0');
    QTest::newRow("16 Cyrillic letters fill exactly 32 bytes")
        << QString(16, QChar(0x0436)) << QByteArray::fromHex(QByteArray("d0b6").repeated(16));
}

void TestControllerRecord::writePaths()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, field);
    QByteArray payload;
    QCOMPARE(ControllerRecord::encodeWrite(writeList(QStringLiteral("1.2.3.4"), path, path),
                                           payload),
             ControllerRecord::WriteProblem::None);
    QCOMPARE(payload.size(), 89);
    QCOMPARE(payload.mid(25, 32).toHex(), field.toHex());
    QCOMPARE(payload.mid(57, 32).toHex(), field.toHex());
}

void TestControllerRecord::oversizePathRefused_data()
{
    QTest::addColumn<QString>("apiGet");
    QTest::addColumn<QString>("apiSave");
    QTest::addColumn<QString>("field");
    const QString ok = QStringLiteral("/sensor/get");
    // Within the editor's 31 characters, but 43 bytes in UTF-8.
    const QString cyrillic = QStringLiteral("/датчики/показания/сохр");
    QTest::newRow("API_GET 17 Cyrillic letters")
        << QString(17, QChar(0x0436)) << ok << QStringLiteral("API_GET");
    QTest::newRow("API_SAVE Cyrillic path") << ok << cyrillic << QStringLiteral("API_SAVE");
    QTest::newRow("both oversize names API_GET first")
        << cyrillic << cyrillic << QStringLiteral("API_GET");
    QTest::newRow("33 ASCII") << kThirtyOneAscii + QStringLiteral("89") << ok
                              << QStringLiteral("API_GET");
}

void TestControllerRecord::oversizePathRefused()
{
    QFETCH(QString, apiGet);
    QFETCH(QString, apiSave);
    QFETCH(QString, field);
    const QStringList list = writeList(QStringLiteral("1.2.3.4"), apiGet, apiSave);
    QCOMPARE(ControllerRecord::oversizePathField(list), field);
    QVERIFY(ControllerRecord::oversizePathText(field).contains(field));
    QByteArray payload("stale");
    QCOMPARE(ControllerRecord::encodeWrite(list, payload),
             ControllerRecord::WriteProblem::PathTooLong);
    QVERIFY(payload.isEmpty());
}

void TestControllerRecord::modemRecord_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("list");
    const QByteArray imsi = QByteArray("250991234567890").leftJustified(32, '\0');
    QTest::newRow("rssi FF AB is -85, cell FF FF FF FF unsigned")
        << QByteArray::fromHex("0000") + imsi + QByteArray::fromHex("ffabffffffff")
        << QStringList{"0", "250991234567890", "-85", "4294967295"};
    QTest::newRow("session running 7, IMSI of zero bytes empty")
        << QByteArray::fromHex("0007") + QByteArray(32, '\0') + QByteArray::fromHex("000000000000")
        << QStringList{"7", "", "0", "0"};
    QTest::newRow("positive rssi 0x0012 is 18")
        << QByteArray::fromHex("0000") + imsi + QByteArray::fromHex("00120a1b2c3d")
        << QStringList{"0", "250991234567890", "18", "169552957"};
}

void TestControllerRecord::modemRecord()
{
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, list);
    QByteArray frame = QByteArray::fromHex("aa080201040002") + QByteArray(1, char(0x88)) + payload;
    frame.append('\0'); // checksum, not looked at
    QCOMPARE(frame.size(), 49);
    QCOMPARE(ModemRecord::decodeSessionData(frame), list);
    QCOMPARE(Link::decodeResponse(frame, 137), list);
}

QTEST_MAIN(TestControllerRecord)
#include "tst_controllerrecord.moc"

// Controller settings record and modem record: decoding of both response layouts and the
// write payload of command 33, with bytes laid out by hand from the protocol tables.

#include "link/frame.h"
#include "settings/controllerrecord.h"
#include "settings/modemrecord.h"

#include <QtTest>

namespace {

// A response frame of command 9 or 33 from hardware 8.2; the checksum is irrelevant here.
QByteArray settingsFrame(int size, const QByteArray &fwWord, char cmd = 9)
{
    QByteArray f(size, '\0');
    const auto place = [&f](int offset, const QByteArray &bytes) {
        f.replace(offset, bytes.size(), bytes);
    };
    place(0, QByteArray::fromHex("aa0802") + fwWord + QByteArray(1, cmd));
    // Periods 5400, 86400, 60 and a threshold with every bit set.
    place(9, QByteArray::fromHex("00001518000151800000003cffffffff"));
    place(25, "T3-0421-0077");
    place(38, QByteArray::fromHex("d0b8d0bdd184d0be00787978")); // "инфо", then junk after the zero
    place(70, "866207053311579");
    // Power source, battery 3600 mV, lid open, send mode 1, PSM off, 192.168.1.10:8080.
    place(102, QByteArray::fromHex("ff0e10010100c0a8010a1f90"));
    place(114, "/sensor/get");
    place(146, QByteArray(32, 'a')); // API_SAVE without a zero byte
    if (size > 179)
        place(178, "1.4.2-rc");
    return f;
}

QStringList expectedList(const QString &firmware)
{
    return {"5400", "86400", "60", "4294967295", "T3-0421-0077", "8.2", firmware, "инфо",
            "866207053311579", "255", "3600", "1", "1", "0", "192.168.1.10", "8080",
            "/sensor/get", QString(32, QLatin1Char('a'))};
}

QStringList writeList(const QString &ip, const QString &apiGet = QStringLiteral("/sensor/get"),
                      const QString &apiSave = QStringLiteral("/sensor/save"))
{
    return {"3600", "86400", "60", "1000", "1", "1", ip, "8080", apiGet, apiSave};
}

} // namespace

class TestControllerRecord : public QObject
{
    Q_OBJECT

private slots:
    void decodeLayouts_data();
    void decodeLayouts();
    void truncatedFrameReadsNothingBeyond();
    void writePayloadOfKnownList();
    void writeServerIp_data();
    void writeServerIp();
    void writePaths_data();
    void writePaths();
    void modemRecord_data();
    void modemRecord();
};

void TestControllerRecord::decodeLayouts_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("cmd9 fw1.4.2 211 bytes, entry 6 is fw_text")
        << settingsFrame(211, QByteArray::fromHex("01040002")) << 9
        << expectedList(QStringLiteral("1.4.2-rc"));
    QTest::newRow("cmd33 fw1.4.0 179 bytes, entry 6 from the header")
        << settingsFrame(179, QByteArray::fromHex("01040000"), 33) << 33
        << expectedList(QStringLiteral("1.4.0"));
}

void TestControllerRecord::decodeLayouts()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, cmd);
    QFETCH(QStringList, list);
    QCOMPARE(ControllerRecord::decodeSettings(frame, Link::firmwareWord(frame)), list);
    QCOMPARE(Link::decodeResponse(frame, cmd), list);
}

void TestControllerRecord::truncatedFrameReadsNothingBeyond()
{
    // Decoding never relies on the size check: a short frame gives empty or zero entries.
    const QStringList decoded = ControllerRecord::decodeSettings(
        settingsFrame(211, QByteArray::fromHex("01040002")).left(30), 0x01040002);
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
}

void TestControllerRecord::writeServerIp_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QByteArray>("octets"); // empty: refused
    QTest::newRow("10.0.0 three parts refused") << "10.0.0" << QByteArray();
    QTest::newRow("five parts refused") << "1.2.3.4.5" << QByteArray();
    QTest::newRow("10.0.0. empty last part sends 0") << "10.0.0." << QByteArray::fromHex("0a000000");
    QTest::newRow("10.0.0.300 sends low byte 44") << "10.0.0.300" << QByteArray::fromHex("0a00002c");
    QTest::newRow("letters send 0") << "a.b.c.d" << QByteArray::fromHex("00000000");
}

void TestControllerRecord::writeServerIp()
{
    QFETCH(QString, ip);
    QFETCH(QByteArray, octets);
    QByteArray payload("stale");
    const auto problem = ControllerRecord::encodeWrite(writeList(ip), payload);
    if (octets.isEmpty()) {
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
    QTest::addColumn<QString>("apiGet");
    QTest::addColumn<QString>("apiSave");
    QTest::addColumn<QByteArray>("field"); // both paths' field when accepted
    QTest::addColumn<QString>("refused");  // the field named when too long
    const QString ascii31 = QStringLiteral("/0123456789/0123456789/01234567");
    // Within the editor's 31 characters, but 43 bytes in UTF-8.
    const QString cyrillic = QStringLiteral("/датчики/показания/сохр");
    const QString ok = QStringLiteral("/sensor/get");
    QTest::newRow("31 ASCII fill 31 bytes and one zero")
        << ascii31 << ascii31 << ascii31.toLatin1() + QByteArray(1, '\0') << QString();
    QTest::newRow("16 Cyrillic letters fill exactly 32 bytes")
        << QString(16, QChar(0x0436)) << QString(16, QChar(0x0436))
        << QByteArray::fromHex(QByteArray("d0b6").repeated(16)) << QString();
    QTest::newRow("API_GET 17 Cyrillic letters refused")
        << QString(17, QChar(0x0436)) << ok << QByteArray() << "API_GET";
    QTest::newRow("API_SAVE Cyrillic path refused") << ok << cyrillic << QByteArray() << "API_SAVE";
}

void TestControllerRecord::writePaths()
{
    QFETCH(QString, apiGet);
    QFETCH(QString, apiSave);
    QFETCH(QByteArray, field);
    QFETCH(QString, refused);
    const QStringList list = writeList(QStringLiteral("1.2.3.4"), apiGet, apiSave);
    QByteArray payload("stale");
    const auto problem = ControllerRecord::encodeWrite(list, payload);
    QCOMPARE(ControllerRecord::oversizePathField(list), refused);
    if (!refused.isEmpty()) {
        QCOMPARE(problem, ControllerRecord::WriteProblem::PathTooLong);
        QVERIFY(ControllerRecord::oversizePathText(refused).contains(refused));
        QVERIFY(payload.isEmpty());
        return;
    }
    QCOMPARE(problem, ControllerRecord::WriteProblem::None);
    QCOMPARE(payload.size(), 89);
    QCOMPARE(payload.mid(25, 32).toHex(), field.toHex());
    QCOMPARE(payload.mid(57, 32).toHex(), field.toHex());
}

void TestControllerRecord::modemRecord_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("rssi FF AB is -85, cell FF FF FF FF unsigned")
        << QByteArray::fromHex("0000") + QByteArray("250991234567890").leftJustified(32, '\0')
            + QByteArray::fromHex("ffabffffffff")
        << QStringList{"0", "250991234567890", "-85", "4294967295"};
    QTest::newRow("session running 7, IMSI of zero bytes empty")
        << QByteArray::fromHex("0007") + QByteArray(38, '\0') << QStringList{"7", "", "0", "0"};
}

void TestControllerRecord::modemRecord()
{
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, list);
    // Header, command 137, the payload and a checksum that is not looked at.
    const QByteArray frame = QByteArray::fromHex("aa08020104000288") + payload + '\0';
    QCOMPARE(ModemRecord::decodeSessionData(frame), list);
    QCOMPARE(Link::decodeResponse(frame, 137), list);
}

QTEST_MAIN(TestControllerRecord)
#include "tst_controllerrecord.moc"

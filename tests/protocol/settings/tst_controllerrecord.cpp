// Controller settings record and modem record: decoding of both response layouts and the
// write payload of command 33, with bytes laid out by hand from the protocol tables.

#include "protocol/frame/frame.h"
#include "protocol/settings/controllerrecord.h"
#include "protocol/settings/modemrecord.h"

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
    void decodeLayouts_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("cmd");
        QTest::addColumn<QStringList>("list");
        QTest::newRow("cmd9 fw1.4.2 211 bytes, entry 6 is fw_text")
            << settingsFrame(211, QByteArray::fromHex("01040002")) << 9 << expectedList(QStringLiteral("1.4.2-rc"));
        QTest::newRow("cmd33 fw1.4.0 179 bytes, entry 6 from the header")
            << settingsFrame(179, QByteArray::fromHex("01040000"), 33) << 33 << expectedList(QStringLiteral("1.4.0"));
    }

    void decodeLayouts()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, cmd);
        QFETCH(QStringList, list);
        QCOMPARE(ControllerRecord::decodeSettings(frame, Link::firmwareWord(frame)), list);
        QCOMPARE(Link::decodeResponse(frame, cmd), list);
    }

    void encodeWrite_data()
    {
        // The bytes expected at `offset` of the 89-byte payload, or the path field refused.
        // The whole layout and the common refusals go through the worker's own test.
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusedPath");
        QTest::newRow("five parts refused") << writeList("1.2.3.4.5") << 0 << QByteArray() << QString();
        QTest::newRow("10.0.0. empty last part sends 0")
            << writeList("10.0.0.") << 19 << QByteArray::fromHex("0a000000") << QString();
        QTest::newRow("10.0.0.300 sends low byte 44")
            << writeList("10.0.0.300") << 19 << QByteArray::fromHex("0a00002c") << QString();
        const QString ascii31 = QStringLiteral("/0123456789/0123456789/01234567");
        QTest::newRow("31 ASCII fill 31 bytes and one zero") << writeList("1.2.3.4", ascii31, ascii31)
            << 25 << (ascii31.toLatin1() + '\0').repeated(2) << QString();
        const QString cyrillic16(16, QChar(0x0436));
        QTest::newRow("16 Cyrillic letters fill exactly 32 bytes")
            << writeList("1.2.3.4", cyrillic16, cyrillic16) << 25
            << QByteArray::fromHex(QByteArray("d0b6").repeated(32)) << QString();
        // Within the editor's 31 characters, but 43 bytes in UTF-8.
        QTest::newRow("API_SAVE Cyrillic path refused")
            << writeList("1.2.3.4", "/sensor/get", "/датчики/показания/сохр") << 0 << QByteArray() << "API_SAVE";
    }

    void encodeWrite()
    {
        QFETCH(QStringList, list);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusedPath);
        QByteArray payload("stale");
        const auto problem = ControllerRecord::encodeWrite(list, payload);
        QCOMPARE(ControllerRecord::oversizePathField(list), refusedPath);
        if (bytes.isEmpty()) {
            QCOMPARE(problem, refusedPath.isEmpty() ? ControllerRecord::WriteProblem::ServerIp
                                                    : ControllerRecord::WriteProblem::PathTooLong);
            QVERIFY(ControllerRecord::oversizePathText(refusedPath).contains(refusedPath));
            QVERIFY(payload.isEmpty());
            return;
        }
        QCOMPARE(problem, ControllerRecord::WriteProblem::None);
        QCOMPARE(payload.size(), 89);
        QCOMPARE(payload.mid(offset, bytes.size()).toHex(), bytes.toHex());
    }

    void modemRecord()
    {
        // Command 136: result byte, session still running (7), IMSI, RSSI FF AB, cell ID with
        // every bit set, and a checksum that is not looked at.
        const QByteArray frame = QByteArray::fromHex("aa08020104000288" "0007")
            + QByteArray("250991234567890").leftJustified(32, '\0') + QByteArray::fromHex("ffab" "ffffffff" "00");
        const QStringList list{"7", "250991234567890", "-85", "4294967295"};
        QCOMPARE(ModemRecord::decodeSessionData(frame), list);
        QCOMPARE(Link::decodeResponse(frame, 137), list);
    }
};

QTEST_MAIN(TestControllerRecord)
#include "tst_controllerrecord.moc"

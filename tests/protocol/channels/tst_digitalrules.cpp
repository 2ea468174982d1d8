// Digital channel rules without widgets: device codes, protocol matrix, row check and the
// kv address form.

#include "protocol/channels/digitalrules.h"

#include <QtTest>

class TestDigitalRules : public QObject
{
    Q_OBJECT

private slots:
    void deviceCodes()
    {
        // Device list positions: off, electricity, heat Wh, heat kcal, cold and hot water.
        // Analog-only codes, unknown ones and an absent channel show as off.
        const QList<int> codes{0, 8, 7, 13, 1, 2};
        for (int position = -1; position <= codes.size(); ++position)
            QCOMPARE(DigitalRules::codeForDevicePosition(position), codes.value(position, 0));
        for (int code = 0; code <= 255; ++code)
            QCOMPARE(DigitalRules::devicePositionForCode(code), qMax(0, int(codes.indexOf(code))));
    }

    void addressForms_data()
    {
        // Typed text, the number it travels as, and how a read number is shown.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("shown");
        QTest::newRow("kv1 is 4194304011") << "kv1" << "4194304011" << "kv1";
        QTest::newRow("kv9999999 is 4274303995") << "kv9999999" << "4274303995" << "kv9999999";
        QTest::newRow("kv without digits is kv0") << "kv" << "4194304003" << "kv0";
        QTest::newRow("off the kv grid stays decimal") << "4194304012" << "4194304012" << "4194304012";
        QTest::newRow("one step of 8 below the grid") << "4194303995" << "4194303995" << "4194303995";
        QTest::newRow("KV is not the kv form") << "KV1" << "KV1" << "KV1";
        QTest::newRow("kv beyond any address stays as typed") << "kv99999999999999999" << "kv99999999999999999" << "kv99999999999999999";
        QTest::newRow("kv beyond 64 bits stays as typed") << "kv99999999999999999999" << "kv99999999999999999999" << "kv99999999999999999999";
        QTest::newRow("kv and no number stays as typed") << "kv12a" << "kv12a" << "kv12a";
    }

    void addressForms()
    {
        QFETCH(QString, typed);
        QFETCH(QString, number);
        QFETCH(QString, shown);
        QCOMPARE(DigitalRules::addressToNumber(typed), number);
        QCOMPARE(DigitalRules::numberToAddress(number), shown);
    }

    void selectableProtocols_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<int>>("enabled");
        QTest::newRow("off: 0 to 10") << 0 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("electricity") << 1 << QList<int>{1, 2, 3, 4, 8, 9};
        QTest::newRow("heat Wh") << 2 << QList<int>{5};
        QTest::newRow("heat kcal") << 3 << QList<int>{6, 7};
        QTest::newRow("cold water") << 4 << QList<int>{10, 11};
        QTest::newRow("hot water") << 5 << QList<int>{10, 11};
    }

    void selectableProtocols()
    {
        QFETCH(int, position);
        QFETCH(QList<int>, enabled);
        QList<int> seen;
        for (int p = -1; p <= 12; ++p) {
            if (DigitalRules::isProtocolSelectable(position, p))
                seen.append(p);
        }
        QCOMPARE(seen, enabled);
    }

    void checkChannel_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("result");
        QTest::newRow("off accepts anything") << 0 << 11 << "" << 0;
        QTest::newRow("electricity proto 1 kv1") << 1 << 1 << "kv1" << 0;
        QTest::newRow("heat Wh keeps old proto 1") << 2 << 1 << "1" << 1;
        QTest::newRow("heat kcal proto 7, top address") << 3 << 7 << "4294967295" << 0;
        QTest::newRow("empty address before protocol") << 2 << 1 << "" << 2;
        QTest::newRow("ten digits above 32 bits") << 1 << 1 << "4294967296" << 2;
        QTest::newRow("sign in address") << 1 << 1 << "+12" << 2;
        QTest::newRow("kv alone is kv0") << 1 << 1 << "kv" << 0;
    }

    void checkChannel()
    {
        QFETCH(int, position);
        QFETCH(int, protocol);
        QFETCH(QString, address);
        QFETCH(int, result);
        QCOMPARE(DigitalRules::checkChannel(position, protocol, address), result);
    }
};

QTEST_MAIN(TestDigitalRules)
#include "tst_digitalrules.moc"

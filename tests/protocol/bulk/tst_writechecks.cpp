// Texts and rules of the checks before a write.

#include "protocol/bulk/writechecks.h"

#include <QtTest>

using namespace WriteChecks;

class TestWriteChecks : public QObject
{
    Q_OBJECT

private slots:
    void analogMessages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("0 no message") << 0 << QString();
        QTest::newRow("1 mismatch") << 1 << QStringLiteral("Неверная конфигурация для 3 канала! Несоответствие типов устройства и входа.");
        QTest::newRow("12 temperature range") << 12 << QStringLiteral("Неверная конфигурация для 3 канала! LK должно быть от -30 до 100");
        QTest::newRow("16 names no channel") << 16 << QStringLiteral("Использование датчика давления требует отсутствия каналов с быстрым открытым коллектором.");
        QTest::newRow("17 unknown") << 17 << QString();
    }

    void analogMessages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(analogMessage(code, 3), message);
    }

    void contactSensorQuestion_data()
    {
        QTest::addColumn<double>("lk");
        QTest::addColumn<double>("st");
        QTest::addColumn<QString>("title");
        // Against a poll period of 60 s; LK alone below it is the write road's example.
        QTest::newRow("both below") << 10.0 << 20.0 << QStringLiteral("LK и ST меньше чем период опроса контактных датчиков");
        QTest::newRow("ST only") << 60.0 << 5.0 << QStringLiteral("ST меньше чем период опроса контактных датчиков");
        QTest::newRow("equal is fine") << 60.0 << 60.0 << QString();
        QTest::newRow("zero thresholds unused") << 0.0 << 0.0 << QString();
    }

    void contactSensorQuestion()
    {
        QFETCH(double, lk);
        QFETCH(double, st);
        const int poll = 60; // seconds
        QFETCH(QString, title);
        QCOMPARE(contactSensorTitle(thresholdBelowPollPeriod(lk, poll), thresholdBelowPollPeriod(st, poll)),
                 title);
        QCOMPARE(contactSensorText(2, 60),
                 QStringLiteral("Для контактного датчика на входе 2 параметры LK и ST рекомендуется "
                                "задавать больше или равным чем период опроса контактных датчиков "
                                "(сейчас он 60 сек) при их использовании. Всё равно записать настройки?"));
    }
};

QTEST_MAIN(TestWriteChecks)
#include "tst_writechecks.moc"

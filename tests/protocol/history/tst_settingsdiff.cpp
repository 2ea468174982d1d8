// The comparison of two settings documents: what counts as a change and how it is told.

#include "protocol/history/settingsdiff.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QJsonObject document(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

const char kBase[] = R"({"format": 1, "analogChannelCount": 8,
    "controller": {"serialNumber": "T3-0421-0077", "batteryMillivolts": 3600, "lidOpen": 0,
                   "logPeriodSeconds": 5400, "psm": 0, "serverIp": "10.0.0.1", "serverPort": 80},
    "analog": [{"channel": 3, "deviceCode": 1, "multiplier": 1, "reading": 125.5}],
    "digital": [{"channel": 12, "deviceCode": 8, "address": "kv0000017", "password": ""}]})";

} // namespace

class TestSettingsDiff : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("expected");
        QByteArray base(kBase);
        const auto with = [&base](const char *from, const char *to) {
            return QByteArray(base).replace(from, to);
        };
        QTest::newRow("counter and battery are readings")
            << with("125.5", "130").replace("3600", "3410").replace("\"lidOpen\": 0", "\"lidOpen\": 1")
            << QStringList();
        QTest::newRow("server address")
            << with("10.0.0.1", "10.0.0.2")
            << QStringList{"Контроллер: IP адрес: 10.0.0.1 → 10.0.0.2"};
        QTest::newRow("period shown in minutes")
            << with("5400", "3600")
            << QStringList{"Контроллер: Период журналирования, мин: 90 → 60"};
        QTest::newRow("psm as the check box")
            << with("\"psm\": 0", "\"psm\": 1")
            << QStringList{"Контроллер: PSM-режим работы модема: выкл. → вкл."};
        QTest::newRow("analog column")
            << with("\"multiplier\": 1", "\"multiplier\": 10")
            << QStringList{"Аналоговые каналы, канал 3: Множитель: 1 → 10"};
        QTest::newRow("digital columns in table order")
            << with("\"password\": \"\"", "\"password\": \"1A\"").replace("kv0000017", "kv0000018")
            << QStringList{"Цифровые каналы, канал 12: Адрес: kv0000017 → kv0000018",
                           "Цифровые каналы, канал 12: Пароль (hex): «» → 1A"};
        QTest::newRow("section not read")
            << with(R"("analog": [{"channel": 3, "deviceCode": 1, "multiplier": 1, "reading": 125.5}],)", "")
            << QStringList{"Аналоговые каналы: не считаны"};
    }

    void lines()
    {
        QFETCH(QByteArray, after);
        QFETCH(QStringList, expected);
        const QJsonObject before = document(kBase);
        const QJsonObject changed = document(after);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(SettingsDiff::lines(before, changed), expected);
        QCOMPARE(SettingsDiff::sameSettings(before, changed), expected.isEmpty());
        QCOMPARE(SettingsDiff::canonical(before) == SettingsDiff::canonical(changed),
                 expected.isEmpty());
        // A read of fewer tabs that agrees with the last version is nothing new; one that
        // reads a tab for the first time is.
        const bool sectionDropped = !changed.contains("analog");
        QCOMPARE(SettingsDiff::nothingNew(before, changed), expected.isEmpty() || sectionDropped);
        QCOMPARE(SettingsDiff::nothingNew(changed, before), expected.isEmpty());
    }

    void summary_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("expected");
        const QByteArray base(kBase);
        QTest::newRow("first version") << QByteArray() << base << "первая версия";
        QTest::newRow("one change") << base << QByteArray(base).replace("\"serverPort\": 80", "\"serverPort\": 8080")
                                    << "Контроллер: Порт: 80 → 8080";
        QTest::newRow("three changes")
            << base
            << QByteArray(base).replace("80", "81").replace("10.0.0.1", "10.0.0.9").replace("\"multiplier\": 1", "\"multiplier\": 2")
            << "Контроллер: IP адрес: 10.0.0.1 → 10.0.0.9 и ещё 2";
        QJsonObject oneTab = document(kBase);
        oneTab.remove("analog");
        oneTab.remove("digital");
        QJsonObject controller = oneTab.value("controller").toObject();
        controller.insert("serverPort", 81);
        oneTab.insert("controller", controller);
        QTest::newRow("one tab read again")
            << base << QJsonDocument(oneTab).toJson() << "Контроллер: Порт: 80 → 81";
    }

    void summary()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, expected);
        QCOMPARE(SettingsDiff::summary(document(before), document(after)), expected);
    }

    void searchTextHoldsSettingsNotReadings()
    {
        const QString text = SettingsDiff::searchText(document(kBase));
        QVERIFY(text.contains("t3-0421-0077"));
        QVERIFY(text.contains("10.0.0.1"));
        QVERIFY(!text.contains("125.5"));
        QCOMPARE(SettingsDiff::serverAddress(document(kBase)), QString("10.0.0.1:80"));
    }
};

QTEST_MAIN(TestSettingsDiff)
#include "tst_settingsdiff.moc"

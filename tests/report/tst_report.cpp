// The commissioning report of a controller with every channel in use, rendered to a PDF and
// read back as text with pdftotext: every item is there, and the long tables span pages under
// their repeated header.

#include "report/reportdocument.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/settings/controllerrecord.h"

#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

namespace {

// Word wrap inside a table cell moves text to other lines; whitespace is not compared.
QString squeezed(QString s)
{
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

ReportData fullController()
{
    ReportData d;
    d.created = QDateTime(QDate(2024, 5, 17), QTime(14, 30));
    d.engineer = QStringLiteral("Петров П. П.");
    QStringList c(ControllerRecord::EntryCount);
    using namespace ControllerRecord;
    c[LogPeriod] = QStringLiteral("3600");
    c[SendPeriod] = QStringLiteral("90000");
    c[ContactPollPeriod] = QStringLiteral("30");
    c[ConsumptionThreshold] = QStringLiteral("2500");
    c[SerialNumber] = QStringLiteral("LM-0042");
    c[HardwareVersion] = QStringLiteral("8.1");
    c[FirmwareText] = QStringLiteral("1.4.2");
    c[Imei] = QStringLiteral("861234567890123");
    c[PowerSource] = QStringLiteral("0");
    c[BatteryVoltage] = QStringLiteral("3612");
    c[LidOpen] = QStringLiteral("1");
    c[ConsumptionSendMode] = QStringLiteral("1");
    c[Psm] = QStringLiteral("1");
    c[ServerIp] = QStringLiteral("192.168.10.77");
    c[ServerPort] = QStringLiteral("8081");
    c[ApiGet] = QStringLiteral("/sensor/get-block17");
    c[ApiSave] = QStringLiteral("/sensor/save-block17");
    d.controller = c;
    const QDateTime readAt(QDate(2024, 5, 17), QTime(14, 20, 5));
    for (int i = 0; i < AnalogRecord::kChannelCount; ++i) {
        // Temperature (tenths, negative LK on the wire) on 2, water elsewhere.
        const bool temperature = i == 1;
        d.analog[i] = {temperature ? QStringLiteral("5") : QStringLiteral("1"),
                       temperature ? QStringLiteral("6") : QStringLiteral("2"),
                       QStringLiteral("AN-%1").arg(i + 1), QStringLiteral("10"), QStringLiteral("1"),
                       temperature ? QStringLiteral("65486") : QStringLiteral("30"),
                       temperature ? QStringLiteral("65036") : QStringLiteral("60"),
                       QString::number(100 + i), QStringLiteral("0")};
        d.analogReadings[i] = {{temperature ? QStringLiteral("235") : QString::number(1000 + i)}, readAt};
    }
    for (int i = 0; i < 32; ++i) {
        d.digital[i] = {QStringLiteral("8"), QStringLiteral("1"), QString::number(1000 + i),
                        QStringLiteral("pw"), QStringLiteral("1"), QString::number(500 + i)};
        d.meterReadings[i] = {{QStringLiteral("EM-%1").arg(i), QString::number(70000 + i),
                               QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")},
                              readAt};
    }
    d.digital[31][DigitalRecord::SetAddress] = QStringLiteral("4194304011"); // kv1
    d.meterReadings[30].fields = QStringList(5);                              // kept silent
    return d;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void item_data();
    void item();
    void longTablesSpanPagesUnderTheirHeader();
    void unwritableFileLeavesNothing();

private:
    QTemporaryDir dir;
    QStringList pages;
};

void TestReport::initTestCase()
{
    const QString pdf = dir.filePath(fullController().fileName());
    QVERIFY(ReportDocument::writePdf(fullController(), pdf));
    QCOMPARE(QFileInfo(pdf).fileName(), QStringLiteral("LM-0042_2024-05-17.pdf"));
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
                                                QStringLiteral("-")});
    if (!extract.waitForFinished(30000) && extract.error() == QProcess::FailedToStart)
        QSKIP("pdftotext (poppler-utils) is not installed");
    QCOMPARE(extract.exitCode(), 0);
    pages = QString::fromUtf8(extract.readAllStandardOutput()).split(QLatin1Char('\f'));
    QVERIFY(!pages.isEmpty());
}

void TestReport::item_data()
{
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QString &text) { QTest::newRow(name) << text; };
    row("title", QStringLiteral("Протокол настройки контроллера"));
    row("date and time", QStringLiteral("17.05.2024 14:30"));
    row("engineer", QStringLiteral("Инженер: Петров П. П."));
    row("serial", QStringLiteral("LM-0042"));
    row("hardware", QStringLiteral("Версия аппаратуры 8.1"));
    row("firmware", QStringLiteral("Версия прошивки 1.4.2"));
    row("imei", QStringLiteral("861234567890123"));
    row("power", QStringLiteral("Питание Батарейное"));
    row("battery", QStringLiteral("3.61 В"));
    row("lid", QStringLiteral("Крышка Открыта"));
    row("send period", QStringLiteral("1 дней 1 часов 0 минут (1500 мин)"));
    row("log period", QStringLiteral("0 дней 1 часов 0 минут (60 мин)"));
    row("consumption", QStringLiteral("Отправка по расходу: л, Втч, ккал 2500"));
    row("consumption mode", QStringLiteral("При каждом журналировании"));
    row("contact poll", QStringLiteral("Период опроса контактных датчиков, сек 30"));
    row("psm", QStringLiteral("PSM-режим работы модема включен"));
    row("server", QStringLiteral("192.168.10.77"));
    row("port", QStringLiteral("Порт 8081"));
    row("api get", QStringLiteral("/sensor/get-block17"));
    row("api save", QStringLiteral("/sensor/save-block17"));
    row("forecast", QStringLiteral("Ресурс батареи ER18505M/ER26500M"));
    row("traffic", QStringLiteral("кБайт"));
    row("analog device", QStringLiteral("1 - Счетчик ХВС, л"));
    row("analog input", QStringLiteral("2 - Геркон"));
    row("temperature thresholds in degrees", QStringLiteral("-5 -50"));
    row("last analog channel", QStringLiteral("AN-8"));
    row("meter device", QStringLiteral("1 - Электросчетчик, Вт*ч"));
    row("meter protocol", QStringLiteral("1 - Меркурий 23Х"));
    row("kv address", QStringLiteral("kv1"));
    row("last meter number", QStringLiteral("40 1 - Электросчетчик"));
    row("temperature reading in tenths", QStringLiteral("23.5"));
    row("meter reading", QStringLiteral("EM-0 70000; 0; 0; 0"));
    row("silent meter", QStringLiteral("Нет связи!"));
    row("reading time", QStringLiteral("17.05.2024 14:20:05"));
    row("engineer signs", QStringLiteral("Настройку выполнил:"));
    row("customer signs", QStringLiteral("Представитель заказчика:"));
}

void TestReport::item()
{
    QFETCH(QString, expected);
    QVERIFY2(squeezed(pages.join(QString())).contains(squeezed(expected)), qPrintable(expected));
}

void TestReport::longTablesSpanPagesUnderTheirHeader()
{
    int withHeader = 0;
    for (const QString &page : pages)
        withHeader += squeezed(page).contains(QStringLiteral("Времяпоказаний")) ? 1 : 0;
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    // The readings table (40 rows) starts on one page and goes on on the next.
    QVERIFY2(withHeader >= 2, qPrintable(QString::number(withHeader)));
}

void TestReport::unwritableFileLeavesNothing()
{
    const QString path = dir.filePath(QStringLiteral("missing/folder/report.pdf"));
    QVERIFY(!ReportDocument::writePdf(fullController(), path));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"

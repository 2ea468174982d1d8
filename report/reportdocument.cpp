#include "report/reportdocument.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/settings/controllerrecord.h"
#include "protocol/settings/forecast.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <initializer_list>

namespace ReportDocument {

namespace {

constexpr qreal kBodyPointSize = 9;
// Headers a little smaller than the body, so that a column's name fits its narrow column.
constexpr qreal kHeaderPointSize = 8;
constexpr qreal kTitlePointSize = 15;
constexpr qreal kSectionPointSize = 11;
constexpr int kPdfDpi = 300;
constexpr double kMillivoltsPerVolt = 1000.0;
const QColor kHeaderShade(0xe6, 0xe6, 0xe6);

QString text(const char *source)
{
    return QCoreApplication::translate("Report", source);
}

QString tabText(const char *context, const char *source)
{
    return QCoreApplication::translate(context, source);
}

quint32 word(const QStringList &list, int index)
{
    return list.value(index).toUInt();
}

// A period as the controller tab shows it: its day, hour and minute boxes and the minutes.
QString periodText(quint32 seconds, int minSeconds, int maxSeconds)
{
    if (seconds == 0)
        return text("отключен");
    const Forecast::PeriodParts p = Forecast::periodParts(seconds, minSeconds, maxSeconds);
    return text("%1 дней %2 часов %3 минут (%4 мин)")
        .arg(p.days)
        .arg(p.hours)
        .arg(p.minutes)
        .arg(seconds / Forecast::kSecondsPerMinute);
}

QString analogDeviceName(int code)
{
    const int position = AnalogRecord::positionForCode(code);
    if (position == 0 && code != AnalogRecord::kDeviceOff)
        return QString::number(code);
    return tabText("AnalogTab", AnalogRules::kDeviceLabels[position]);
}

QString analogInputName(int code)
{
    if (code < 0 || code >= AnalogRecord::kInputTypes)
        return QString::number(code);
    return tabText("AnalogTab", AnalogRules::kInputLabels[code]);
}

QString digitalDeviceName(int code)
{
    const int position = DigitalRules::devicePositionForCode(code);
    if (position == 0 && code != 0)
        return QString::number(code);
    return tabText("RS485Tab", DigitalRules::kDeviceTypeLabels[position]);
}

QString protocolName(int protocol)
{
    if (protocol < 0 || protocol >= DigitalRules::kProtocolCount)
        return QString::number(protocol);
    return tabText("RS485Tab", DigitalRules::kProtocolLabels[protocol]);
}

QString number(double value)
{
    return QString::number(value, 'g', 12);
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
}

Forecast::Inputs forecastInputs(const ReportData &d)
{
    using namespace ControllerRecord;
    Forecast::Inputs in;
    in.logMinutes = int(word(d.controller, LogPeriod) / Forecast::kSecondsPerMinute);
    in.sendMinutes = int(word(d.controller, SendPeriod) / Forecast::kSecondsPerMinute);
    const quint32 mode = word(d.controller, ConsumptionSendMode);
    in.consumptionMode = mode <= 1 ? int(mode) : -1;
    in.psm = word(d.controller, Psm) != 0;
    in.externalPower = word(d.controller, PowerSource) != 0;
    for (auto it = d.analog.begin(); it != d.analog.end(); ++it) {
        if (!d.analogInUse(it.key()))
            continue;
        ++in.analogChannels;
        in.fastOpenCollector = in.fastOpenCollector
            || AnalogRules::isFastOpenCollector(it.value().value(AnalogRecord::SettingsType).toInt(),
                                                it.value().value(AnalogRecord::SettingsInput).toInt());
    }
    for (auto it = d.digital.begin(); it != d.digital.end(); ++it)
        in.digitalChannels += d.digitalInUse(it.key()) ? 1 : 0;
    return in;
}

// Writes the document at a cursor: headings, paragraphs and tables.
class Writer
{
public:
    explicit Writer(QTextDocument &doc) : cursor(&doc)
    {
        body.setFontPointSize(kBodyPointSize);
        bold = body;
        bold.setFontWeight(QFont::Bold);
        headerFormat = bold;
        headerFormat.setFontPointSize(kHeaderPointSize);
    }

    void heading(const QString &s, qreal size)
    {
        QTextBlockFormat block;
        block.setTopMargin(size);
        block.setBottomMargin(size / 2);
        // A heading never ends a page alone.
        block.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        QTextCharFormat format = bold;
        format.setFontPointSize(size);
        cursor.insertBlock(block, format);
        cursor.insertText(s, format);
    }

    void line(const QString &s)
    {
        cursor.insertBlock(QTextBlockFormat(), body);
        cursor.insertText(s, body);
    }

    // A table of label and value pairs, no header.
    void pairs(const QList<QPair<QString, QString>> &rows)
    {
        QTextTableFormat format = tableFormat(0);
        format.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 45),
                                          QTextLength(QTextLength::PercentageLength, 55)});
        QTextTable *table = cursor.insertTable(int(rows.size()), 2, format);
        for (int r = 0; r < rows.size(); ++r) {
            put(table, r, 0, rows.at(r).first, body);
            put(table, r, 1, rows.at(r).second, body);
        }
        cursor.movePosition(QTextCursor::End);
    }

    // A table whose first row, the header, is repeated on every page it runs onto.
    void table(const QStringList &header, const QList<int> &percent,
               const QList<QStringList> &rows)
    {
        QTextTableFormat format = tableFormat(1);
        QList<QTextLength> widths;
        for (const int p : percent)
            widths.append(QTextLength(QTextLength::PercentageLength, p));
        format.setColumnWidthConstraints(widths);
        QTextTable *table = cursor.insertTable(int(rows.size()) + 1, int(header.size()), format);
        for (int c = 0; c < header.size(); ++c) {
            QTextTableCellFormat shade;
            shade.setBackground(kHeaderShade);
            table->cellAt(0, c).setFormat(shade);
            put(table, 0, c, header.at(c), headerFormat);
        }
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < header.size(); ++c)
                put(table, r + 1, c, rows.at(r).value(c), body);
        }
        cursor.movePosition(QTextCursor::End);
    }

private:
    static QTextTableFormat tableFormat(int headerRows)
    {
        QTextTableFormat format;
        format.setHeaderRowCount(headerRows);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setCellPadding(2);
        format.setCellSpacing(0);
        format.setBorder(0.5);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        return format;
    }

    static void put(QTextTable *table, int row, int column, const QString &s,
                    const QTextCharFormat &format)
    {
        table->cellAt(row, column).firstCursorPosition().insertText(s, format);
    }

    QTextCursor cursor;
    QTextCharFormat body;
    QTextCharFormat bold;
    QTextCharFormat headerFormat;
};

void identification(Writer &w, const ReportData &d)
{
    using namespace ControllerRecord;
    const QStringList &c = d.controller;
    w.heading(text("Информация о контроллере"), kSectionPointSize);
    w.pairs({
        {text("Серийный номер"), c.value(SerialNumber)},
        {text("Версия аппаратуры"), c.value(HardwareVersion)},
        {text("Версия прошивки"), c.value(FirmwareText)},
        {text("IMEI модема"), c.value(Imei)},
        {text("Питание"), word(c, PowerSource) != 0 ? text("Внешнее") : text("Батарейное")},
        {text("Напряжение на батарее"),
         QString::number(word(c, BatteryVoltage) / kMillivoltsPerVolt, 'g', 3) + text(" В")},
        {text("Крышка"), word(c, LidOpen) != 0 ? text("Открыта") : text("Закрыта")},
    });
}

void settings(Writer &w, const ReportData &d)
{
    using namespace ControllerRecord;
    const QStringList &c = d.controller;
    const quint32 mode = word(c, ConsumptionSendMode);
    const QString modeText = mode == 0 ? text("Не чаще чем раз в сутки")
        : mode == 1                    ? text("При каждом журналировании")
                                       : QString::number(mode);
    w.heading(text("Настройки контроллера"), kSectionPointSize);
    w.pairs({
        {text("Период выхода на связь"),
         periodText(word(c, SendPeriod), Forecast::kSendPeriodMinSeconds,
                    Forecast::kSendPeriodMaxSeconds)},
        {text("Период журналирования"),
         periodText(word(c, LogPeriod), Forecast::kLogPeriodMinSeconds,
                    Forecast::kLogPeriodMaxSeconds)},
        {text("Отправка по расходу: л, Втч, ккал"), c.value(ConsumptionThreshold)},
        {text("Режим отправки по расходу"), modeText},
        {text("Период опроса контактных датчиков, сек"), c.value(ContactPollPeriod)},
        {text("PSM-режим работы модема"), word(c, Psm) != 0 ? text("включен") : text("выключен")},
        {text("IP адрес"), c.value(ServerIp)},
        {text("Порт"), c.value(ServerPort)},
        {text("API_GET"), c.value(ApiGet)},
        {text("API_SAVE"), c.value(ApiSave)},
    });
}

void forecast(Writer &w, const ReportData &d)
{
    const Forecast::Inputs in = forecastInputs(d);
    const Forecast::Result r = Forecast::compute(in);
    w.heading(text("Прогноз автономности и трафика"), kSectionPointSize);
    w.pairs({
        {text("Количество аналоговых каналов"), QString::number(in.analogChannels)},
        {text("Количество цифровых каналов"), QString::number(in.digitalChannels)},
        {text("Ресурс батареи ER18505M/ER26500M"),
         Forecast::formatLifetime(r.monthsSmallCell) + QLatin1String(" / ")
             + Forecast::formatLifetime(r.monthsLargeCell)},
        {text("Годовой трафик"), QString::number(r.kilobytesPerYear) + text(" кБайт")},
    });
}

void analogChannels(Writer &w, const ReportData &d)
{
    QList<QStringList> rows;
    for (auto it = d.analog.begin(); it != d.analog.end(); ++it) {
        if (!d.analogInUse(it.key()))
            continue;
        const QStringList &s = it.value();
        const int code = s.value(AnalogRecord::SettingsType).toInt();
        rows.append({QString::number(it.key() + 1), analogDeviceName(code),
                     analogInputName(s.value(AnalogRecord::SettingsInput).toInt()),
                     s.value(AnalogRecord::SettingsSerial), s.value(AnalogRecord::SettingsScale),
                     s.value(AnalogRecord::SettingsDivider),
                     number(AnalogRules::thresholdShown(s.value(AnalogRecord::SettingsLk), code)),
                     number(AnalogRules::thresholdShown(s.value(AnalogRecord::SettingsSt), code)),
                     s.value(AnalogRecord::SettingsObject)});
    }
    w.heading(text("Аналоговые каналы"), kSectionPointSize);
    if (rows.isEmpty()) {
        w.line(text("Не используются."));
        return;
    }
    w.table({text("№"), text("Тип устройства"), text("Тип входа"), text("Серийный №"),
             text("Множитель"), text("Делитель"), text("LK"), text("ST"), text("Объект")},
            {4, 18, 18, 12, 13, 12, 6, 6, 11}, rows);
}

void digitalChannels(Writer &w, const ReportData &d)
{
    QList<QStringList> rows;
    for (auto it = d.digital.begin(); it != d.digital.end(); ++it) {
        if (!d.digitalInUse(it.key()))
            continue;
        const QStringList &s = it.value();
        rows.append({QString::number(DigitalRules::displayNumber(it.key(), d.analogChannelCount)),
                     digitalDeviceName(s.value(DigitalRecord::SetDeviceType).toInt()),
                     protocolName(s.value(DigitalRecord::SetProtocol).toInt()),
                     DigitalRules::numberToAddress(s.value(DigitalRecord::SetAddress)),
                     s.value(DigitalRecord::SetKt), s.value(DigitalRecord::SetObject)});
    }
    w.heading(text("Цифровые каналы"), kSectionPointSize);
    if (rows.isEmpty()) {
        w.line(text("Не используются."));
        return;
    }
    w.table({text("№"), text("Тип устройства"), text("Протокол"), text("Адрес"), text("КТ"),
             text("Объект")},
            {4, 28, 36, 16, 6, 10}, rows);
}

void readings(Writer &w, const ReportData &d)
{
    QList<QStringList> rows;
    for (auto it = d.analogReadings.begin(); it != d.analogReadings.end(); ++it) {
        if (!d.analogInUse(it.key()))
            continue;
        const QStringList &s = d.analog.value(it.key());
        const int code = s.value(AnalogRecord::SettingsType).toInt();
        rows.append({QString::number(it.key() + 1), analogDeviceName(code),
                     s.value(AnalogRecord::SettingsSerial),
                     AnalogRules::readingShown(it.value().fields.value(0), code),
                     timeText(it.value().time)});
    }
    for (auto it = d.meterReadings.begin(); it != d.meterReadings.end(); ++it) {
        if (!d.digitalInUse(it.key()))
            continue;
        const QStringList &f = it.value().fields;
        const bool silent = DigitalRules::meterSilent(f);
        rows.append({QString::number(DigitalRules::displayNumber(it.key(), d.analogChannelCount)),
                     digitalDeviceName(d.digital.value(it.key()).value(DigitalRecord::SetDeviceType).toInt()),
                     silent ? QString() : f.value(DigitalRecord::ReadSerial),
                     silent ? DigitalRules::meterSilentText()
                            : f.mid(DigitalRecord::ReadFirst).join(QLatin1String("; ")),
                     timeText(it.value().time)});
    }
    w.heading(text("Последние показания"), kSectionPointSize);
    if (rows.isEmpty()) {
        w.line(text("Показания не считывались."));
        return;
    }
    w.table({text("№"), text("Тип устройства"), text("Серийный №"), text("Показания"),
             text("Время показаний")},
            {4, 26, 17, 29, 24}, rows);
}

void signatures(Writer &w, const ReportData &d)
{
    w.heading(text("Подписи"), kSectionPointSize);
    w.line(text("Настройку выполнил: ______________________ / %1 /").arg(d.engineer));
    w.line(QString());
    w.line(text("Представитель заказчика: ______________________ / ______________________ /"));
    w.line(QString());
    w.line(text("Дата: «____» ______________ 20____ г."));
}

} // namespace

QString title()
{
    return text("Протокол настройки контроллера");
}

std::unique_ptr<QTextDocument> build(const ReportData &data)
{
    auto doc = std::make_unique<QTextDocument>();
    QFont font = doc->defaultFont();
    font.setPointSizeF(kBodyPointSize);
    doc->setDefaultFont(font);
    doc->setMetaInformation(QTextDocument::DocumentTitle, title());
    Writer w(*doc);
    w.heading(title(), kTitlePointSize);
    w.line(text("Дата и время: %1").arg(data.created.toString(QStringLiteral("dd.MM.yyyy HH:mm"))));
    w.line(text("Инженер: %1").arg(data.engineer));
    identification(w, data);
    settings(w, data);
    forecast(w, data);
    analogChannels(w, data);
    digitalChannels(w, data);
    readings(w, data);
    signatures(w, data);
    return doc;
}

bool writePdf(const ReportData &data, const QString &fileName)
{
    const std::unique_ptr<QTextDocument> doc = build(data);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDpi);
        writer.setTitle(title());
        writer.setCreator(QStringLiteral("LUMARO RS-485 Configurator"));
        // No margins of the writer's own: printing lays the document out on the page with
        // margins of 2 cm and the page numbers in the lower one.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(), QPageLayout::Millimeter));
        doc->print(&writer);
    }
    return file.commit();
}

} // namespace ReportDocument

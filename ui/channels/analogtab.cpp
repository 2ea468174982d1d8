#include "ui/channels/analogtab.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"
#include "ui/widgets/objectname.h"

#include <QComboBox>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Every value of the controller's 16-bit fields: thresholds down to a signed temperature of
// -3276.8 degrees and up to an unsigned 65535; the row check limits what is typed. A scale
// of 0 is shown only as read (HeldValue::showCount).
constexpr double kThresholdMin = -3276.8;
constexpr double kThresholdMax = 65535.0;
constexpr int kThresholdDecimals = 1;
const char kDigitsPattern[] = "[0-9]{10}";

constexpr const char *kHeaders[AnalogTab::ColumnCount] = {
    QT_TRANSLATE_NOOP("AnalogTab", "Тип устройства"),
    QT_TRANSLATE_NOOP("AnalogTab", "Тип входа"),
    QT_TRANSLATE_NOOP("AnalogTab", "Серийный №"),
    QT_TRANSLATE_NOOP("AnalogTab", "Множитель"),
    QT_TRANSLATE_NOOP("AnalogTab", "Делитель"),
    QT_TRANSLATE_NOOP("AnalogTab", "LK"),
    QT_TRANSLATE_NOOP("AnalogTab", "ST"),
    QT_TRANSLATE_NOOP("AnalogTab", "Показания"),
    QT_TRANSLATE_NOOP("AnalogTab", "Объект"),
};

// A device that is off, no input, empty serial number, scale 10/1, no thresholds.
const QStringList kResetSettings = {QStringLiteral("0"), QStringLiteral("0"), QString(),
                                    QStringLiteral("10"), QStringLiteral("1"), QStringLiteral("0"),
                                    QStringLiteral("0"), QString()};
// The same for a channel the board does not have.
const QStringList kAbsentSettings = {QStringLiteral("255"), QStringLiteral("0"), QString(),
                                     QStringLiteral("10"), QStringLiteral("1"), QStringLiteral("0"),
                                     QStringLiteral("0"), QString()};

int intValue(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

AnalogTab::AnalogTab(QWidget *parent)
    : QWidget(parent)
{
    analogTable = named(new QTableWidget(kRows, ColumnCount), "analogTable");
    QStringList headers;
    for (const char *header : kHeaders)
        headers << tr(header);
    analogTable->setHorizontalHeaderLabels(headers);
    analogTable->setShowGrid(true);
    analogTable->setSelectionMode(QAbstractItemView::SingleSelection);
    analogTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    analogTable->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < kRows; ++row)
        createRow(row);

    helpLabel = named(
        new QLabel(tr("Для счетчиков: LK - время детектирования подозрительного расхода (мин),    "
                      "ST - время детектирования остановки потребления (мин). 0 значение - не "
                      "использовать функцию детектирования.\n"
                      "Для датчика температуры: LK - верхняя граница измеряемого диапазона (град), "
                      "ST - нижняя граница (град). Значение LK должно быть больше ST. LK и ST равны "
                      "0 - не детектировать выход за границы.\n"
                      "Для датчика контактного: LK - время детектирования акт. состояния (сек), "
                      "ST - время детектирования неакт. состояния (сек). 0 значение - "
                      "детектирование без задержки.\n"
                      "Для датчика давления: LK - верхняя граница измеряемого диапазона (бар),  "
                      "ST - нижняя граница (бар). Значение LK должно быть больше ST.  LK и ST "
                      "равны 0 - не детектировать выход за границы.")),
        "helpLabel");
    helpLabel->setWordWrap(true);

    auto *layout = new QVBoxLayout;
    layout->addWidget(analogTable);
    layout->addWidget(helpLabel);
    setLayout(layout);

    resetComSettings();
}

void AnalogTab::createRow(int row)
{
    RowWidgets &w = cells[row];
    w.type = new QComboBox;
    for (const char *label : AnalogRules::kDeviceLabels)
        w.type->addItem(tr(label));
    w.input = new QComboBox;
    for (const char *label : AnalogRules::kInputLabels)
        w.input->addItem(tr(label));
    w.serial = new QLineEdit;
    w.serial->setMaxLength(AnalogSettings::kSerialMaxChars);
    w.multiplier = new QSpinBox;
    w.multiplier->setRange(AnalogRules::kScaleMin, AnalogRules::kScaleMax);
    w.divider = new QSpinBox;
    w.divider->setRange(AnalogRules::kScaleMin, AnalogRules::kScaleMax);
    w.lk = new QDoubleSpinBox;
    w.lk->setDecimals(kThresholdDecimals);
    w.lk->setRange(kThresholdMin, kThresholdMax);
    w.st = new QDoubleSpinBox;
    w.st->setDecimals(kThresholdDecimals);
    w.st->setRange(kThresholdMin, kThresholdMax);
    w.value = new QLineEdit;
    w.value->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QLatin1String(kDigitsPattern)), w.value));
    // The object number is a 16-bit field: five digits, refused beyond 65535.
    w.object = new QLineEdit;
    w.object->setMaxLength(AnalogSettings::kObjectMaxChars);
    w.object->setValidator(new QIntValidator(0, AnalogSettings::kObjectMax, w.object));

    analogTable->setCellWidget(row, TypeColumn, w.type);
    analogTable->setCellWidget(row, InputColumn, w.input);
    analogTable->setCellWidget(row, SerialColumn, w.serial);
    analogTable->setCellWidget(row, MultiplierColumn, w.multiplier);
    analogTable->setCellWidget(row, DividerColumn, w.divider);
    analogTable->setCellWidget(row, LkColumn, w.lk);
    analogTable->setCellWidget(row, StColumn, w.st);
    analogTable->setCellWidget(row, ValueColumn, w.value);
    analogTable->setCellWidget(row, ObjectColumn, w.object);

    heldType[row].releaseOn(w.type, &QComboBox::currentIndexChanged);
    heldInput[row].releaseOn(w.input, &QComboBox::currentIndexChanged);
    connect(w.type, &QComboBox::currentIndexChanged, this, [this, row] { updateAllowedInputs(row); });
    connect(w.type, &QComboBox::currentTextChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.input, &QComboBox::currentTextChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.serial, &QLineEdit::textChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.value, &QLineEdit::textChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.object, &QLineEdit::textChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.multiplier, &QSpinBox::valueChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.divider, &QSpinBox::valueChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.lk, &QDoubleSpinBox::valueChanged, this, &AnalogTab::analogSettingsChanged);
    connect(w.st, &QDoubleSpinBox::valueChanged, this, &AnalogTab::analogSettingsChanged);

    updateAllowedInputs(row);
}

void AnalogTab::updateAllowedInputs(int row)
{
    auto *model = qobject_cast<QStandardItemModel *>(cells[row].input->model());
    if (!model)
        return;
    // A device the list does not name allows what an unused channel does.
    const int position = qMax(cells[row].type->currentIndex(), 0);
    // The combo box reports a flag change of its current item as a text change; the text
    // stays, so that is no edit.
    const QSignalBlocker blocker(cells[row].input);
    for (int code = 0; code < model->rowCount(); ++code) {
        if (QStandardItem *item = model->item(code))
            item->setEnabled(AnalogRules::isInputAllowed(position, code));
    }
}

void AnalogTab::setRowEnabled(int row, bool on)
{
    const RowWidgets &w = cells[row];
    for (QWidget *widget : std::initializer_list<QWidget *>{
             w.type, w.input, w.serial, w.multiplier, w.divider, w.lk, w.st, w.value, w.object})
        widget->setEnabled(on);
}

void AnalogTab::fillComRow(int row, const QStringList &data)
{
    if (!isRow(row))
        return;
    using namespace AnalogRecord;
    const int code = intValue(data.value(SettingsType));
    if (code == kAbsentChannel) {
        analogTable->setRowHidden(row, true);
        setRowEnabled(row, false);
        return;
    }
    analogTable->setRowHidden(row, false);
    setRowEnabled(row, true);
    const RowWidgets &w = cells[row];
    // A code the lists do not name shows no item and goes back as it came, until any
    // choice (the engineer's or the program's) changes the combo box.
    const int position = positionForCode(code);
    const bool typeListed = position != 0 || code == kDeviceOff;
    w.type->setCurrentIndex(typeListed ? position : -1);
    const int input = intValue(data.value(SettingsInput));
    const bool inputListed = input >= 0 && input < kInputTypes;
    w.input->setCurrentIndex(inputListed ? input : -1);
    // Set after the combo boxes, whose change releases what an earlier list held.
    heldType[row].holdUnless(typeListed, code);
    heldInput[row].holdUnless(inputListed, input);
    w.serial->setText(data.value(SettingsSerial));
    // The pair changes as one: a change signal between the two would reduce the new
    // multiplier against the old divider and show a scale the controller does not hold.
    const int multiplier = intValue(data.value(SettingsScale));
    const int divider = intValue(data.value(SettingsDivider));
    const bool scaleChanged = multiplier != w.multiplier->value() || divider != w.divider->value();
    {
        const QSignalBlocker blockMultiplier(w.multiplier);
        const QSignalBlocker blockDivider(w.divider);
        HeldValue::showCount(w.multiplier, multiplier, AnalogRules::kScaleMin);
        HeldValue::showCount(w.divider, divider, AnalogRules::kScaleMin);
    }
    if (scaleChanged)
        emit analogSettingsChanged();
    w.lk->setValue(AnalogRules::thresholdShown(data.value(SettingsLk), code));
    w.st->setValue(AnalogRules::thresholdShown(data.value(SettingsSt), code));
    w.object->setText(data.value(SettingsObject));
    analogTable->resizeColumnsToContents();
}

void AnalogTab::setComSettings(int index, const QStringList &data)
{
    storeRow(index, data);
    if (isRow(index))
        storedFromController[index] = true;
}

void AnalogTab::storeRow(int index, const QStringList &data)
{
    if (!isRow(index))
        return;
    // The counter is the reading's business (setComData).
    const qint64 counter = stored[index].counter;
    stored[index] = AnalogSettings::fromFieldList(data);
    stored[index].counter = counter;
    fillComRow(index, data);
}

void AnalogTab::changeComSettings(int row, const QStringList &data)
{
    fillComRow(row, data);
}

void AnalogTab::setComData(int index, const QStringList &data)
{
    if (!isRow(index))
        return;
    const QString raw = data.value(0);
    cells[index].value->setText(AnalogRules::readingShown(raw, deviceCode(index)));
    stored[index].counter = AnalogReading::fromFieldList(data).raw;
    if (index == int(channelCount) - 1) {
        readed = true;
        emit analogSettingsReaded(true);
    }
}

void AnalogTab::setComChannelsCount(uint8_t comChannelsCount)
{
    channelCount = comChannelsCount;
    for (int row = channelCount; row < kRows; ++row) {
        storeRow(row, kAbsentSettings);
        setComData(row, {QString()});
    }
}

void AnalogTab::setComSettingsReaded(bool value)
{
    readed = value;
    if (!readed)
        storedFromController.fill(false);
    emit analogSettingsReaded(value);
}

void AnalogTab::resetComSettings()
{
    storedFromController.fill(false);
    for (int row = 0; row < kRows; ++row) {
        storeRow(row, kResetSettings);
        setComData(row, {QString()});
    }
}

bool AnalogTab::isReadFromController() const
{
    for (int row = 0; row < int(channelCount) && row < kRows; ++row) {
        if (!storedFromController[row])
            return false;
    }
    return true;
}

int AnalogTab::deviceCode(int row) const
{
    if (!isRow(row))
        return 0;
    return int(heldType[row].valueOr(AnalogRecord::codeForPosition(cells[row].type->currentIndex())));
}

AnalogRules::RowValues AnalogTab::rowValues(int row) const
{
    const RowWidgets &w = cells[row];
    AnalogRules::RowValues values;
    values.devicePosition = w.type->currentIndex();
    values.inputCode = w.input->currentIndex();
    values.lk = w.lk->value();
    values.st = w.st->value();
    values.multiplier = w.multiplier->value();
    values.divider = w.divider->value();
    return values;
}

QStringList AnalogTab::collectRow(int row) const
{
    const RowWidgets &w = cells[row];
    int multiplier = w.multiplier->value();
    int divider = w.divider->value();
    AnalogRules::reduceScale(multiplier, divider);
    if (multiplier != w.multiplier->value() || divider != w.divider->value()) {
        // One change signal for the pair, once both show the reduced values.
        {
            const QSignalBlocker blocker(w.multiplier);
            w.multiplier->setValue(multiplier);
        }
        w.divider->setValue(divider);
    }
    const int code = deviceCode(row);
    return {QString::number(code),
            QString::number(heldInput[row].valueOr(w.input->currentIndex())),
            w.serial->text(),
            QString::number(w.multiplier->value()),
            QString::number(w.divider->value()),
            AnalogRules::thresholdCollected(w.lk->value(), code),
            AnalogRules::thresholdCollected(w.st->value(), code),
            QString::number(intValue(w.object->text()))};
}

QStringList AnalogTab::getComSettings(int row)
{
    return isRow(row) ? collectRow(row) : QStringList();
}

QStringList AnalogTab::getComData(int row) const
{
    return isRow(row) ? QStringList{cells[row].value->text()} : QStringList();
}

QStringList AnalogTab::getComWriteData(int row) const
{
    if (!isRow(row))
        return QStringList();
    const QString shown = cells[row].value->text();
    const QString asRead =
        AnalogRules::readingShown(QString::number(stored[row].counter), stored[row].deviceCode);
    return {shown == asRead ? QString() : shown};
}

int AnalogTab::checkComChannel(int row) const
{
    if (!isRow(row))
        return AnalogRules::RowValid;
    const int code = AnalogRules::checkRow(rowValues(row), hasFastOpenCollector());
    // A row just as the controller holds it goes back unchanged, whatever its own values;
    // only the rule that spans rows still applies, as another row may have been edited.
    if (code == AnalogRules::RowValid || !readed || rowChanged(row))
        return code;
    return deviceCode(row) == AnalogRecord::kPressure && hasFastOpenCollector()
        ? AnalogRules::PressureWithFastOpenCollector
        : AnalogRules::RowValid;
}

bool AnalogTab::isComChannelEnabled(int row) const
{
    return isRow(row) && cells[row].type->isEnabled();
}

double AnalogTab::lkValue(int row) const
{
    return isRow(row) ? cells[row].lk->value() : 0;
}

double AnalogTab::stValue(int row) const
{
    return isRow(row) ? cells[row].st->value() : 0;
}

bool AnalogTab::hasFastOpenCollector() const
{
    for (int row = 0; row < kRows; ++row) {
        if (AnalogRules::isFastOpenCollector(deviceCode(row), cells[row].input->currentIndex()))
            return true;
    }
    return false;
}

PageCommand AnalogTab::readSettingsCommand()
{
    return {Link::CmdReadAnalogSettings, std::nullopt, {}};
}

PageCommand AnalogTab::readDataCommand()
{
    Rows rows;
    for (int row = 0; row < kRows; ++row) {
        if (isComChannelEnabled(row))
            rows.append(QStringList{QString::number(row)});
    }
    return {Link::CmdAnalogReading, rows, {}};
}

WritePreflight::Steps AnalogTab::writePreflight(const WriteContext &context) const
{
    return WritePreflight::analog(preflightRows(true), context.pollPeriodSeconds);
}

PageCommand AnalogTab::writeCommand()
{
    Rows rows;
    for (int row = 0; row < kRows; ++row) {
        if (!isComChannelEnabled(row))
            continue;
        QStringList entry{QString::number(row)};
        entry << getComSettings(row) << getComWriteData(row);
        // The serial's bytes as read go along; they are written while the serial reads as they do.
        if (!stored[row].serialKept.isEmpty())
            entry << stored[row].serialKept;
        rows.append(entry);
    }
    return {Link::CmdWriteAnalogSettings, rows, {}};
}

QList<ChannelExchange::ExportRow> AnalogTab::exportRows()
{
    QList<ChannelExchange::ExportRow> rows;
    for (int row = 0; row < kRows; ++row) {
        ChannelExchange::ExportRow r;
        r.valid = checkComChannel(row) == AnalogRules::RowValid;
        r.present = isComChannelEnabled(row);
        if (r.valid && r.present) {
            r.settings = getComSettings(row);
            r.reading = getComData(row).value(0);
        }
        rows << r;
        // The export stops here; collecting later rows would reduce their scales for nothing.
        if (!r.valid)
            break;
    }
    return rows;
}

QList<WritePreflight::AnalogRow> AnalogTab::preflightRows(bool compared) const
{
    QList<WritePreflight::AnalogRow> rows;
    for (int row = 0; row < kRows; ++row) {
        if (!isComChannelEnabled(row))
            continue;
        WritePreflight::AnalogRow r;
        r.index = row;
        r.changed = compared && (!readed || rowChanged(row));
        const RowWidgets &w = cells[row];
        r.settings.deviceCode = deviceCode(row);
        r.settings.input = int(heldInput[row].valueOr(w.input->currentIndex()));
        r.settings.serial = w.serial->text();
        r.settings.serialKept = stored[row].serialKept;
        r.settings.multiplier = w.multiplier->value();
        r.settings.divider = w.divider->value();
        r.lk = w.lk->value();
        r.st = w.st->value();
        r.settings.object = intValue(w.object->text());
        if (storedFromController[row])
            r.asRead = stored[row];
        r.typedReading = getComWriteData(row).value(0);
        r.pairedAnew = r.settings.deviceCode != stored[row].deviceCode
            || r.settings.input != stored[row].input;
        rows << r;
    }
    return rows;
}

bool AnalogTab::rowChanged(int row) const
{
    const QStringList current = collectRow(row);
    using namespace AnalogRecord;
    const QStringList copy = stored[row].toFieldList();
    const int storedCode = stored[row].deviceCode;
    bool changed = false;
    const auto differs = [&changed, row](const char *key, const QString &was, const QString &now) {
        if (was == now)
            return;
        qCDebug(lcChannels) << key << row << was << now;
        changed = true;
    };
    // The table collects temperature thresholds signed; the controller sends them unsigned.
    const bool signedThresholds = storedCode == kTemperature;
    const auto threshold = [signedThresholds](const QString &raw) {
        return signedThresholds ? AnalogRules::signedThresholdText(raw) : raw;
    };
    differs("type", copy[SettingsType], current[0]);
    differs("phy_type", copy[SettingsInput], current[1]);
    differs("serial", copy[SettingsSerial], current[2]);
    differs("scale", copy[SettingsScale], current[3]);
    differs("div", copy[SettingsDivider], current[4]);
    differs("t_ovr", threshold(copy[SettingsLk]), current[5]);
    differs("t_stop", threshold(copy[SettingsSt]), current[6]);
    // Sensor readings move on their own; only a meter's reading is a setting.
    if (storedCode != kTemperature && storedCode != kContact && storedCode != kPressure)
        differs("value", copy[SettingsValue], cells[row].value->text());
    differs("object", copy[SettingsObject], current[7]);
    return changed;
}

bool AnalogTab::isComSettingsChanged() const
{
    bool changed = !readed;
    for (int row = 0; !changed && row < int(channelCount) && row < kRows; ++row) {
        if (stored[row].isPresent())
            changed = rowChanged(row);
    }
    qCDebug(lcChannels) << changed;
    return changed;
}

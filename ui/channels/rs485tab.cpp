#include "ui/channels/rs485tab.h"

#include "ui/dialog/textwidth.h"
#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/frame/frame.h"
#include "ui/widgets/objectname.h"
#include "protocol/channels/protocolhint.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableWidget>
#include <QValidator>

#include <algorithm>

namespace {

// Address as typed: the kv form with seven digits, or up to ten decimal digits.
const char kAddressPattern[] = "kv{1,1}[0-9]{7}|[0-9]{10}";
const char kSelectStyle[] = "margin-left:10%; margin-right:0%;";
const char kHintStyle[] = "QLabel {color:blue}";
const char kNoValue[] = "-";
const QColor kChangedBackground = QColor::fromRgbF(0.0f, 0.470588f, 0.843137f, 1.0f);

// A meter's answer can be wider than its column, which was sized before any answer came:
// the column grows to show it whole, and the table scrolls sideways when it must.
void fitColumn(QTableWidget *table, int column, const QLineEdit *edit)
{
    const int width = lineEditWidth(edit, edit->text());
    if (table->columnWidth(column) < width)
        table->setColumnWidth(column, width);
}

const char *const kColumnHeaders[RS485Tab::ColumnCount] = {
    "",
    QT_TRANSLATE_NOOP("RS485Tab", "Тип устройства"),
    QT_TRANSLATE_NOOP("RS485Tab", "Тип входа"),
    QT_TRANSLATE_NOOP("RS485Tab", "Адрес"),
    QT_TRANSLATE_NOOP("RS485Tab", "Пароль (hex)"),
    QT_TRANSLATE_NOOP("RS485Tab", "КТ"),
    QT_TRANSLATE_NOOP("RS485Tab", "Серийный №"),
    QT_TRANSLATE_NOOP("RS485Tab", "Показания"),
    QT_TRANSLATE_NOOP("RS485Tab", "Объект"),
};

// The settings a channel gets when the session ends: off, no address, КТ 1.
const QStringList &resetSettings()
{
    static const QStringList list{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                  QString(), QStringLiteral("1"), QStringLiteral("0")};
    return list;
}

const QStringList &unknownReadings()
{
    static const QStringList list(DigitalRecord::ReadingsFieldCount, QLatin1String(kNoValue));
    return list;
}

} // namespace

// The password editor lets the engineer type at most nine characters. A longer password
// that the table sets itself (the controller's field holds 10 bytes, and a row filled by
// the controller spreads to the group) is shown and kept whole: it stays acceptable until
// an edit changes it, so no cut password is ever shown or passed on.
class RS485Tab::PasswordValidator : public QValidator
{
public:
    using QValidator::QValidator;

    void allow(const QString &text) { allowed = text; }

    State validate(QString &input, int &) const override
    {
        return input.size() <= DigitalSettings::kPasswordMaxChars || input == allowed ? Acceptable : Invalid;
    }

private:
    QString allowed;
};

RS485Tab::RS485Tab(QWidget *parent)
    : QWidget(parent)
{
    table = named(new QTableWidget(kRowCount, ColumnCount), "rs485Table");
    table->setShowGrid(true);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    QStringList headers;
    for (const char *header : kColumnHeaders)
        headers.append(tr(header));
    table->setHorizontalHeaderLabels(headers);

    readSelectedCheck = named(new QCheckBox(tr("Считывать показания только для выбранных каналов")),
                              "readSelectedCheck");
    readSelectedCheck->setChecked(true);
    selectAllCheck = named(new QCheckBox(tr("Выбрать/сбросить все")), "selectAllCheck");
    groupCheck = named(new QCheckBox(tr("Групповая настройка выбранных каналов")), "groupCheck");
    hintLabel = named(new QLabel, "hintLabel");
    hintLabel->setStyleSheet(QLatin1String(kHintStyle));
    hintLabel->setWordWrap(true);

    const QString headerTip =
        tr("Номера каналов, отмеченные синим цветом, означают, что канал изменён (конфигурация "
           "канала в утилите не совпадает с конфигурацией канала в контроллере).\r\nПри нажатии "
           "на \"Записать настройки\", записываются только изменённые каналы.");
    for (int row = 0; row < kRowCount; ++row) {
        auto *headerItem = new QTableWidgetItem;
        headerItem->setToolTip(headerTip);
        table->setVerticalHeaderItem(row, headerItem);
        buildRow(row);
    }
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();

    auto *grid = new QGridLayout;
    grid->addWidget(table, 0, 0, 1, 3);
    grid->addWidget(readSelectedCheck, 1, 0);
    grid->addWidget(selectAllCheck, 2, 0);
    grid->addWidget(groupCheck, 3, 0);
    grid->addWidget(hintLabel, 1, 1, 3, 2);
    setLayout(grid);

    for (int row = 0; row < kRowCount; ++row)
        connectRow(row);
    connect(table->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            &RS485Tab::toggleReadFromHeader);
    resetChannels();
}

void RS485Tab::buildRow(int row)
{
    RowEditors &e = rows[row];
    e.select = new QCheckBox;
    e.select->setStyleSheet(QLatin1String(kSelectStyle));

    e.type = new QComboBox;
    for (const char *label : DigitalRules::kDeviceTypeLabels)
        e.type->addItem(tr(label));
    e.protocol = new QComboBox;
    for (const char *label : DigitalRules::kProtocolLabels)
        e.protocol->addItem(tr(label));

    e.address = new QLineEdit;
    e.address->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QLatin1String(kAddressPattern)), e.address));
    e.password = new QLineEdit;
    e.passwordLimit = new PasswordValidator(e.password);
    e.password->setValidator(e.passwordLimit);
    e.kt = new QSpinBox;
    e.kt->setRange(DigitalRules::kKtMin, DigitalRules::kKtMax);
    // The serial number and readings only show what the meter answered. No length limit:
    // the serial number field holds 16 bytes and must be shown whole.
    e.serial = new QLineEdit;
    e.serial->setEnabled(false);
    e.readings = new QLineEdit;
    e.readings->setEnabled(false);
    e.object = new QLineEdit;
    e.object->setValidator(new QIntValidator(0, DigitalSettings::kObjectMax, e.object));

    table->setCellWidget(row, SelectColumn, e.select);
    table->setCellWidget(row, TypeColumn, e.type);
    table->setCellWidget(row, ProtocolColumn, e.protocol);
    table->setCellWidget(row, AddressColumn, e.address);
    table->setCellWidget(row, PasswordColumn, e.password);
    table->setCellWidget(row, KtColumn, e.kt);
    table->setCellWidget(row, SerialColumn, e.serial);
    table->setCellWidget(row, ReadingsColumn, e.readings);
    table->setCellWidget(row, ObjectColumn, e.object);
    // The type list starts at "off" without a change signal, so its filter is applied here.
    filterProtocols(row, 0);
}

void RS485Tab::connectRow(int row)
{
    // Connections run in the order made: a change first spreads to the selected rows and
    // only then marks its own row.
    const RowEditors &e = rows[row];
    QCheckBox *select = e.select;
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(selectAllCheck, &QCheckBox::checkStateChanged, select,
            [select](Qt::CheckState state) { select->setChecked(state != Qt::Unchecked); });
#else
    connect(selectAllCheck, &QCheckBox::stateChanged, select,
            [select](int state) { select->setChecked(state != Qt::Unchecked); });
#endif
    heldType[row].releaseOn(e.type, &QComboBox::currentIndexChanged);
    heldProtocol[row].releaseOn(e.protocol, &QComboBox::currentIndexChanged);
    connect(e.type, &QComboBox::currentIndexChanged, this,
            [this, row](int position) { deviceTypeChanged(row, position); });
    // Group editing follows only what the engineer picks or types: rows filled from the
    // controller, a file or a reset must show their own values, not spread them.
    connect(e.type, &QComboBox::activated, this,
            [this, row](int position) { spreadEdit(row, &RS485Tab::groupUpdateType, position); });
    connect(e.protocol, &QComboBox::activated, this,
            [this, row](int protocol) { spreadEdit(row, &RS485Tab::groupUpdatePhyType, protocol); });
    connect(e.address, &QLineEdit::textEdited, this, [this, row](const QString &text) {
        spreadEdit<const QString &>(row, &RS485Tab::groupUpdateAddr, text);
    });
    connect(e.password, &QLineEdit::textEdited, this, [this, row](const QString &text) {
        spreadEdit<const QString &>(row, &RS485Tab::groupUpdatePass, text);
    });
    connect(e.object, &QLineEdit::textEdited, this, [this, row](const QString &text) {
        spreadEdit<const QString &>(row, &RS485Tab::groupUpdateObj, text);
    });
    // A spin box has no signal of its own for the engineer's steps and typing.
    connect(e.kt, &QSpinBox::valueChanged, this, [this, row](int value) {
        if (!filling)
            spreadEdit(row, &RS485Tab::groupUpdateKt, value);
    });

    const auto mark = [this, row] { updateChannelMark(row); };
    connect(e.type, &QComboBox::currentIndexChanged, this, mark);
    connect(e.protocol, &QComboBox::currentIndexChanged, this, mark);
    connect(e.address, &QLineEdit::textChanged, this, mark);
    connect(e.password, &QLineEdit::textChanged, this, mark);
    connect(e.kt, &QSpinBox::valueChanged, this, mark);
    connect(e.object, &QLineEdit::textChanged, this, mark);
}

void RS485Tab::deviceTypeChanged(int row, int position)
{
    // Outside group editing, choosing a meter selects the row for reading its readings.
    if (!groupCheck->isChecked())
        rows[row].select->setChecked(position != 0);
    filterProtocols(row, position);
}

template <typename Value>
void RS485Tab::spreadEdit(int row, void (RS485Tab::*update)(Value), Value value)
{
    if (!groupCheck->isChecked())
        return;
    // The spread sets the other rows with the fill guard up: they take the value, they
    // do not pass it on again.
    {
        const QScopedValueRollback<bool> guard(filling, true);
        (this->*update)(value);
    }
    updateChannelMark(row);
}

void RS485Tab::filterProtocols(int row, int position)
{
    auto *model = qobject_cast<QStandardItemModel *>(rows[row].protocol->model());
    if (!model)
        return;
    // The current protocol stays selected even when it becomes a disabled item: the row
    // check reports the mismatch instead of the table changing the value silently.
    for (int p = 0; p < DigitalRules::kProtocolCount; ++p) {
        if (QStandardItem *item = model->item(p))
            item->setEnabled(DigitalRules::isProtocolSelectable(position, p));
    }
}

void RS485Tab::setPasswordText(const RowEditors &e, const QString &text)
{
    // The typing limit must not cut a longer password that the controller (whose field
    // holds 10 bytes) or another row already has: that row would be written back cut.
    e.passwordLimit->allow(text);
    e.password->setText(text);
}

void RS485Tab::setRowEditorsEnabled(int row, bool on)
{
    const RowEditors &e = rows[row];
    for (QWidget *w : {static_cast<QWidget *>(e.type), static_cast<QWidget *>(e.protocol),
                       static_cast<QWidget *>(e.address), static_cast<QWidget *>(e.password),
                       static_cast<QWidget *>(e.kt), static_cast<QWidget *>(e.object)})
        w->setEnabled(on);
}

void RS485Tab::updateChannelMark(int row)
{
    if (!validRow(row))
        return;
    if (QTableWidgetItem *header = table->verticalHeaderItem(row)) {
        if (isChannelChanged(row)) {
            header->setBackground(kChangedBackground);
            header->setForeground(QColor(Qt::white));
        } else {
            const QPalette palette = QApplication::style()->standardPalette();
            header->setBackground(palette.window());
            header->setForeground(palette.windowText());
        }
    }
    hintLabel->setText(tr(ProtocolHint::hintSource(rows[row].protocol->currentIndex())));
    emit rsSettingsChanged();
}

void RS485Tab::setRsSettings(int index, const QStringList &data)
{
    if (!validRow(index))
        return;
    stored[index] = DigitalSettings::fromFieldList(data);
    storedFromController[index] = true;
    showChannelSettings(index, data);
}

void RS485Tab::changeRsSettings(int index, const QStringList &data)
{
    showChannelSettings(index, data);
}

void RS485Tab::showChannelSettings(int index, const QStringList &data)
{
    if (!validRow(index))
        return;
    const QScopedValueRollback<bool> guard(filling, true);
    const RowEditors &e = rows[index];
    if (data.value(DigitalRecord::SetDeviceType).toInt() == DigitalRules::kMissingChannelCode) {
        // The controller lacks this channel: keep what the row shows, but lock it.
        setRowEditorsEnabled(index, false);
        updateChannelMark(index);
        return;
    }
    // A code the lists do not name shows no item and goes back as it came, until any
    // choice (the engineer's, the group's or the program's) changes the combo box.
    const int code = data.value(DigitalRecord::SetDeviceType).toInt();
    const int position = devicePositionForCode(code);
    const bool typeListed = position != 0 || code == 0;
    e.type->setCurrentIndex(typeListed ? position : -1);
    e.type->setEnabled(true);
    const int protocol = data.value(DigitalRecord::SetProtocol).toInt();
    const bool listed = protocol >= 0 && protocol < DigitalRules::kProtocolCount;
    e.protocol->setCurrentIndex(listed ? protocol : -1);
    e.protocol->setEnabled(true);
    // Set after the combo boxes, whose change releases what an earlier list held.
    heldType[index].holdUnless(typeListed, code);
    heldProtocol[index].holdUnless(listed, protocol);
    e.address->setText(numberToAddress(data.value(DigitalRecord::SetAddress)));
    e.address->setEnabled(true);
    setPasswordText(e, data.value(DigitalRecord::SetPassword));
    e.password->setEnabled(true);
    // A КТ text that is no number falls back to 1, the value of a fresh channel: 0, which
    // the controller may hold, would zero the meter's readings.
    bool ktIsNumber = false;
    const int kt = data.value(DigitalRecord::SetKt).toInt(&ktIsNumber);
    HeldValue::showCount(e.kt, ktIsNumber ? kt : 1, DigitalRules::kKtMin);
    e.kt->setEnabled(true);
    e.object->setText(data.value(DigitalRecord::SetObject));
    e.object->setEnabled(true);
    updateChannelMark(index);
}

void RS485Tab::setRsData(int index, const QStringList &data)
{
    if (!validRow(index))
        return;
    const RowEditors &e = rows[index];
    if (DigitalRules::meterSilent(data)) {
        e.serial->setText(DigitalRules::meterSilentText());
        e.readings->setText(QStringLiteral("-,-,-,-"));
        return;
    }
    e.serial->setText(data.value(DigitalRecord::ReadSerial));
    QStringList readings;
    for (int i = DigitalRecord::ReadFirst; i < DigitalRecord::ReadingsFieldCount; ++i)
        readings.append(data.value(i));
    e.readings->setText(readings.join(QLatin1Char(',')));
    fitColumn(table, SerialColumn, e.serial);
    fitColumn(table, ReadingsColumn, e.readings);
}

void RS485Tab::clearReadings()
{
    for (int row = 0; row < kRowCount; ++row)
        setRsData(row, unknownReadings());
}

void RS485Tab::setRsSettingsReaded(bool value, bool updateChangedChannels)
{
    readed = value;
    if (!readed)
        storedFromController.fill(false);
    if (updateChangedChannels) {
        for (int row = 0; row < kRowCount; ++row)
            updateChannelMark(row);
    }
    emit rsSettingsReaded(readed);
}

void RS485Tab::setRsSettingsReaded(bool value)
{
    setRsSettingsReaded(value, false);
}

void RS485Tab::name_rs_channels(uint8_t comChannelsCount)
{
    for (int row = 0; row < kRowCount; ++row) {
        if (QTableWidgetItem *header = table->verticalHeaderItem(row))
            header->setText(QString::number(int(comChannelsCount) + row + 1));
    }
}

void RS485Tab::resetChannels()
{
    readed = false;
    storedFromController.fill(false);
    emit rsSettingsReaded(false);
    for (int row = 0; row < kRowCount; ++row) {
        changeRsSettings(row, resetSettings());
        setRsData(row, unknownReadings());
        rows[row].select->setChecked(false);
    }
    name_rs_channels(AnalogRecord::kChannelCount);
}

void RS485Tab::toggleReadFromHeader(int section)
{
    // A hidden service action: with no text in the selection column's header, a
    // double-click there lets the engineer see all rows as changed or compare them again.
    if (section != SelectColumn)
        return;
    readed = !readed;
    for (int row = 0; row < kRowCount; ++row)
        updateChannelMark(row);
    emit rsSettingsReaded(readed);
}

void RS485Tab::groupUpdateType(int position)
{
    if (!groupCheck->isChecked())
        return;
    // Every selected row that already holds the value emits nothing when set again, so
    // the spread through the rows' own reactions ends after one pass.
    for (const RowEditors &e : rows) {
        if (e.select->isChecked())
            e.type->setCurrentIndex(position);
    }
}

void RS485Tab::groupUpdatePhyType(int protocol)
{
    if (!groupCheck->isChecked())
        return;
    for (const RowEditors &e : rows) {
        if (e.select->isChecked())
            e.protocol->setCurrentIndex(protocol);
    }
}

void RS485Tab::groupUpdateAddr(const QString &addr)
{
    if (!groupCheck->isChecked())
        return;
    for (const RowEditors &e : rows) {
        if (e.select->isChecked())
            e.address->setText(addr);
    }
}

void RS485Tab::groupUpdatePass(const QString &pass)
{
    if (!groupCheck->isChecked())
        return;
    for (const RowEditors &e : rows) {
        if (e.select->isChecked())
            setPasswordText(e, pass);
    }
}

void RS485Tab::groupUpdateObj(const QString &object)
{
    if (!groupCheck->isChecked())
        return;
    for (const RowEditors &e : rows) {
        if (e.select->isChecked())
            e.object->setText(object);
    }
}

void RS485Tab::groupUpdateKt(int value)
{
    if (!groupCheck->isChecked())
        return;
    for (const RowEditors &e : rows) {
        if (e.select->isChecked())
            e.kt->setValue(value);
    }
}

bool RS485Tab::hasChanges() const
{
    for (int row = 0; row < kRowCount; ++row) {
        if (isChannelChanged(row))
            return true;
    }
    return false;
}

bool RS485Tab::isReadFromController() const
{
    return std::all_of(storedFromController.begin(), storedFromController.end(),
                       [](bool fromController) { return fromController; });
}

bool RS485Tab::isChannelEnabled(int row) const
{
    // Asked while the dialog may be disabled for a command: only the row's own state counts.
    return validRow(row) && rows[row].type->isEnabledTo(this);
}

int RS485Tab::checkChannel(int row) const
{
    if (!validRow(row))
        return DigitalRules::ChannelValid;
    const RowEditors &e = rows[row];
    return DigitalRules::checkChannel(e.type->currentIndex(), e.protocol->currentIndex(),
                                      e.address->text());
}

bool RS485Tab::isChannelChanged(int row) const
{
    if (!readed)
        return true;
    if (!validRow(row))
        return false;
    if (!stored[row].isPresent())
        return false;
    return channelSettings(row) != stored[row].toWriteList(row);
}

QStringList RS485Tab::channelSettings(int row) const
{
    if (!validRow(row))
        return {};
    const RowEditors &e = rows[row];
    QStringList settings{
        QString::number(row),
        QString::number(heldType[row].valueOr(codeForDevicePosition(e.type->currentIndex()))),
        QString::number(heldProtocol[row].valueOr(e.protocol->currentIndex())),
        addressToNumber(e.address->text()),
        e.password->text(),
        QString::number(e.kt->value()),
        QString::number(e.object->text().toInt()),
    };
    // The password's bytes as read go along; they are written while the password reads as they do.
    if (!stored[row].passwordKept.isEmpty())
        settings << stored[row].passwordKept;
    return settings;
}

PageCommand RS485Tab::readSettingsCommand()
{
    setRsSettingsReaded(true, false);
    return {Link::CmdReadDigitalSettings, std::nullopt, {}};
}

PageCommand RS485Tab::readDataCommand()
{
    Rows rows;
    for (int row = 0; row < kRowCount; ++row) {
        if (!isChannelEnabled(row) || !isMeterChannel(row))
            continue;
        if (readSelectedOnly() && !isChannelSelected(row))
            continue;
        rows.append(QStringList{QString::number(row)});
        setRsData(row, unknownReadings());
    }
    if (rows.isEmpty())
        return {0, std::nullopt, tr("Не выбрано ни одного канала для считывания показаний!")};
    return {Link::CmdDigitalReadings, rows, {}};
}

WritePreflight::Steps RS485Tab::writePreflight(const WriteContext &context) const
{
    return WritePreflight::digital(preflightRows(), context.analogCount);
}

PageCommand RS485Tab::writeCommand()
{
    Rows rows;
    for (int row = 0; row < kRowCount; ++row) {
        if (isChannelEnabled(row) && isChannelChanged(row))
            rows.append(channelSettings(row));
    }
    setRsSettingsReaded(true, false);
    return {Link::CmdWriteDigitalSettings, rows, {}};
}

QList<ChannelExchange::ExportRow> RS485Tab::exportRows() const
{
    QList<ChannelExchange::ExportRow> out;
    for (int row = 0; row < kRowCount; ++row) {
        ChannelExchange::ExportRow r;
        r.valid = checkChannel(row) == DigitalRules::ChannelValid;
        r.present = isChannelEnabled(row);
        r.settings = channelSettings(row);
        const QStringList readings = channelReadings(row);
        r.reading = readings.value(0);
        r.readings = readings.value(1);
        out << r;
    }
    return out;
}

QList<WritePreflight::DigitalRow> RS485Tab::preflightRows() const
{
    QList<WritePreflight::DigitalRow> out;
    for (int row = 0; row < kRowCount; ++row) {
        if (isChannelEnabled(row))
            out.append({row, DigitalSettings::fromWriteList(channelSettings(row)),
                        isChannelChanged(row),
                        storedFromController[row] ? std::optional(stored[row]) : std::nullopt});
    }
    return out;
}

bool RS485Tab::isMeterChannel(int row) const
{
    if (!validRow(row))
        return false;
    const int position = rows[row].type->currentIndex();
    return position >= 1 && position < DigitalRules::kDeviceTypeCount;
}

bool RS485Tab::readSelectedOnly() const
{
    return readSelectedCheck->isChecked();
}

bool RS485Tab::isChannelSelected(int row) const
{
    return validRow(row) && rows[row].select->isChecked();
}

QStringList RS485Tab::channelReadings(int row) const
{
    if (!validRow(row))
        return {};
    return {rows[row].serial->text(), rows[row].readings->text()};
}

int RS485Tab::codeForDevicePosition(int position)
{
    return DigitalRules::codeForDevicePosition(position);
}

int RS485Tab::devicePositionForCode(int code)
{
    return DigitalRules::devicePositionForCode(code);
}

QString RS485Tab::addressToNumber(const QString &text)
{
    return DigitalRules::addressToNumber(text);
}

QString RS485Tab::numberToAddress(const QString &text)
{
    return DigitalRules::numberToAddress(text);
}

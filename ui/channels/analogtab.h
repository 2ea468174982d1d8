#pragma once

// Analog channel table: eight rows of device, input, serial number, scaling, thresholds,
// reading and object number, with the stored copy of what the controller holds.

#include "protocol/bulk/channelexchange.h"
#include "protocol/bulk/writepreflight.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/analogsettings.h"
#include "ui/dialog/tabpage.h"
#include "ui/widgets/heldvalue.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

class AnalogTab : public QWidget, public TabPage
{
    Q_OBJECT

public:
    enum Column {
        TypeColumn,
        InputColumn,
        SerialColumn,
        MultiplierColumn,
        DividerColumn,
        LkColumn,
        StColumn,
        ValueColumn,
        ObjectColumn,
        ColumnCount
    };
    static constexpr int kRows = AnalogRecord::kChannelCount;

    explicit AnalogTab(QWidget *parent = nullptr);

    void setComSettingsReaded(bool readed);
    void setComChannelsCount(uint8_t comChannelsCount);
    void resetComSettings();
    bool isComSettingsChanged() const;
    // Whether every present row holds what this controller reported in this session; only
    // then may the table be written, since a write sends the reading column too.
    bool isReadFromController() const override;
    bool hasChanges() const override { return isComSettingsChanged(); }
    PageCommand readSettingsCommand() override;
    PageCommand readDataCommand() override;
    WritePreflight::Steps writePreflight(const WriteContext &context) const override;
    PageCommand writeCommand() override;
    // Every row for the channel file, present or not.
    QList<ChannelExchange::ExportRow> exportRows();
    // Fills a row without touching the stored copy, so that the values show as changes.
    void changeComSettings(int row, const QStringList &data);

    bool isComChannelEnabled(int row) const;
    int checkComChannel(int row) const;
    double lkValue(int row) const;
    double stValue(int row) const;
    QStringList getComSettings(int row);
    QStringList getComData(int row) const;
    // The reading entry of the write list: the counter the engineer typed, or empty when the
    // cell shows what was read, so that the write takes the counter fresh from the controller.
    QStringList getComWriteData(int row) const;
    bool hasFastOpenCollector() const;
    // The present rows as they would be written, for the write preflight. Only with
    // `compared` is each row compared with what was read, which first reduces its scale.
    QList<WritePreflight::AnalogRow> preflightRows(bool compared) const;
    // What the controller reported for the row in this session (or the reset values).
    const AnalogSettings &settingsAsRead(int row) const { return stored.at(row); }

signals:
    void analogSettingsReaded(bool readed);
    void analogSettingsChanged();

public slots:
    void setComSettings(int index, const QStringList &data);
    void setComData(int index, const QStringList &data);

private:
    struct RowWidgets {
        QComboBox *type = nullptr;
        QComboBox *input = nullptr;
        QLineEdit *serial = nullptr;
        QSpinBox *multiplier = nullptr;
        QSpinBox *divider = nullptr;
        QDoubleSpinBox *lk = nullptr;
        QDoubleSpinBox *st = nullptr;
        QLineEdit *value = nullptr;
        QLineEdit *object = nullptr;
    };

    void createRow(int row);
    void storeRow(int index, const QStringList &data);
    void fillComRow(int row, const QStringList &data);
    void setRowEnabled(int row, bool on);
    void updateAllowedInputs(int row);
    int deviceCode(int row) const;
    AnalogRules::RowValues rowValues(int row) const;
    // Compares a row with its stored copy, writing each difference to the debug log.
    bool rowChanged(int row) const;
    // Collects a row for writing or comparing; reduces its scale in the widgets first.
    QStringList collectRow(int row) const;
    static bool isRow(int row) { return row >= 0 && row < kRows; }

    QTableWidget *analogTable = nullptr;
    QLabel *helpLabel = nullptr;
    std::array<RowWidgets, kRows> cells;
    // What the controller reported for each row, as read.
    std::array<AnalogSettings, kRows> stored;
    std::array<bool, kRows> storedFromController{};
    // A device or input code the lists do not hold, kept as read until its combo box changes.
    std::array<HeldValue, kRows> heldType;
    std::array<HeldValue, kRows> heldInput;
    bool readed = false;
    uint8_t channelCount = kRows;
};

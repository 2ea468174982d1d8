#pragma once

// Digital channel table: 32 meters on the controller's RS-485 line, with device type,
// protocol, address, password, КТ and object number, and the marks of changed channels.

#include "protocol/bulk/channelexchange.h"
#include "protocol/bulk/writepreflight.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/channels/digitalsettings.h"
#include "ui/dialog/tabpage.h"
#include "ui/widgets/heldvalue.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

class RS485Tab : public QWidget, public TabPage
{
    Q_OBJECT

public:
    enum Column {
        SelectColumn,
        TypeColumn,
        ProtocolColumn,
        AddressColumn,
        PasswordColumn,
        KtColumn,
        SerialColumn,
        ReadingsColumn,
        ObjectColumn,
        ColumnCount
    };

    static constexpr int kRowCount = DigitalRules::kChannelCount;

    explicit RS485Tab(QWidget *parent = nullptr);

    void resetChannels();
    void showChannelSettings(int index, const QStringList &data);
    // Re-marks one row against its stored settings and shows its protocol's hint.
    void updateChannelMark(int row);
    void clearReadings();

    // Whether the changed marks compare with what was read (else every row counts as changed).
    bool countsAsRead() const { return readed; }
    bool hasChanges() const override;
    // Whether every row's stored settings came from this controller in this session; the
    // changed marks mean nothing before that.
    bool isReadFromController() const override;
    PageCommand readSettingsCommand() override;
    PageCommand readDataCommand() override;
    WritePreflight::Steps writePreflight(const WriteContext &context) const override;
    PageCommand writeCommand() override;
    // Every row for the channel file, present or not.
    QList<ChannelExchange::ExportRow> exportRows() const;
    bool isChannelEnabled(int row) const;
    int checkChannel(int row) const;
    bool isChannelChanged(int row) const;
    QStringList channelSettings(int row) const;
    // The present rows as they would be written, with their changed marks, for the preflight.
    QList<WritePreflight::DigitalRow> preflightRows() const;
    bool isMeterChannel(int row) const;
    bool readSelectedOnly() const;
    bool isChannelSelected(int row) const;
    // Serial number text and readings text of the row.
    QStringList channelReadings(int row) const;
    // What the controller reported for the row in this session.
    const DigitalSettings &settingsAsRead(int row) const { return stored.at(row); }

    static int codeForDevicePosition(int position);
    static int devicePositionForCode(int code);
    static QString addressToNumber(const QString &text);
    static QString numberToAddress(const QString &text);

signals:
    void rsSettingsReaded(bool readed);
    void rsSettingsChanged();

public slots:
    void setRsData(int index, const QStringList &data);
    void setRsSettings(int index, const QStringList &data);
    void changeRsSettings(int index, const QStringList &data);
    void name_rs_channels(uint8_t comChannelsCount);
    void setRsSettingsReaded(bool readed, bool updateChangedChannels);
    void setRsSettingsReaded(bool readed);
    void groupUpdateType(int position);
    void groupUpdatePhyType(int protocol);
    void groupUpdateAddr(const QString &addr);
    void groupUpdatePass(const QString &pass);
    void groupUpdateObj(const QString &object);
    void groupUpdateKt(int value);

private:
    class PasswordValidator;

    struct RowEditors {
        QCheckBox *select = nullptr;
        QComboBox *type = nullptr;
        QComboBox *protocol = nullptr;
        QLineEdit *address = nullptr;
        QLineEdit *password = nullptr;
        PasswordValidator *passwordLimit = nullptr;
        QSpinBox *kt = nullptr;
        QLineEdit *serial = nullptr;
        QLineEdit *readings = nullptr;
        QLineEdit *object = nullptr;
    };

    void buildRow(int row);
    void connectRow(int row);
    void deviceTypeChanged(int row, int position);
    // Copies the engineer's own edit in a row to the selected rows, then re-marks the row.
    template <typename Value>
    void spreadEdit(int row, void (RS485Tab::*update)(Value), Value value);
    void filterProtocols(int row, int position);
    void setRowEditorsEnabled(int row, bool on);
    static void setPasswordText(const RowEditors &e, const QString &text);
    void toggleReadFromHeader(int section);
    static bool validRow(int row) { return row >= 0 && row < kRowCount; }

    QTableWidget *table = nullptr;
    QCheckBox *readSelectedCheck = nullptr;
    QCheckBox *selectAllCheck = nullptr;
    QCheckBox *groupCheck = nullptr;
    QLabel *hintLabel = nullptr;
    bool readed = false;
    // What the controller reported for each row, as read.
    std::array<DigitalSettings, kRowCount> stored;
    std::array<bool, kRowCount> storedFromController{};
    // Set while the table fills rows itself, so that the fill is not taken for an edit.
    bool filling = false;
    std::array<RowEditors, kRowCount> rows;
    // A device or protocol code the lists do not hold, kept as read until its combo box changes.
    std::array<HeldValue, kRowCount> heldType;
    std::array<HeldValue, kRowCount> heldProtocol;
};

#include "protocol/settings/controllersettings.h"

namespace {

quint32 word(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

ControllerSettings ControllerSettings::fromFieldList(const QStringList &list)
{
    using namespace ControllerRecord;
    ControllerSettings s;
    s.logPeriodSeconds = word(list.value(LogPeriod));
    s.sendPeriodSeconds = word(list.value(SendPeriod));
    s.contactPollPeriodSeconds = word(list.value(ContactPollPeriod));
    s.consumptionThreshold = word(list.value(ConsumptionThreshold));
    s.serialNumber = list.value(SerialNumber);
    s.hardwareVersion = list.value(HardwareVersion);
    s.firmwareText = list.value(FirmwareText);
    s.infoText = list.value(InfoText);
    s.imei = list.value(Imei);
    s.powerSource = word(list.value(PowerSource));
    s.batteryMillivolts = word(list.value(BatteryVoltage));
    s.lidOpen = word(list.value(LidOpen));
    s.consumptionSendMode = word(list.value(ConsumptionSendMode));
    s.psm = word(list.value(Psm));
    s.serverIp = list.value(ServerIp);
    s.serverPort = word(list.value(ServerPort));
    s.apiGet = list.value(ApiGet);
    s.apiSave = list.value(ApiSave);
    s.apiGetKept = list.value(ApiGetKept);
    s.apiSaveKept = list.value(ApiSaveKept);
    return s;
}

QStringList ControllerSettings::toFieldList() const
{
    using namespace ControllerRecord;
    QStringList list(EntryCount);
    list[LogPeriod] = QString::number(logPeriodSeconds);
    list[SendPeriod] = QString::number(sendPeriodSeconds);
    list[ContactPollPeriod] = QString::number(contactPollPeriodSeconds);
    list[ConsumptionThreshold] = QString::number(consumptionThreshold);
    list[SerialNumber] = serialNumber;
    list[HardwareVersion] = hardwareVersion;
    list[FirmwareText] = firmwareText;
    list[InfoText] = infoText;
    list[Imei] = imei;
    list[PowerSource] = QString::number(powerSource);
    list[BatteryVoltage] = QString::number(batteryMillivolts);
    list[LidOpen] = QString::number(lidOpen);
    list[ConsumptionSendMode] = QString::number(consumptionSendMode);
    list[Psm] = QString::number(psm);
    list[ServerIp] = serverIp;
    list[ServerPort] = QString::number(serverPort);
    list[ApiGet] = apiGet;
    list[ApiSave] = apiSave;
    if (!apiGetKept.isEmpty() || !apiSaveKept.isEmpty())
        list << apiGetKept << apiSaveKept;
    return list;
}

QStringList ControllerSettings::toWriteList() const
{
    using namespace ControllerRecord;
    QStringList list(WriteEntryCount);
    list[WriteLogPeriod] = QString::number(logPeriodSeconds);
    list[WriteSendPeriod] = QString::number(sendPeriodSeconds);
    list[WriteContactPollPeriod] = QString::number(contactPollPeriodSeconds);
    list[WriteConsumptionThreshold] = QString::number(consumptionThreshold);
    list[WriteConsumptionSendMode] = QString::number(consumptionSendMode);
    list[WritePsm] = QString::number(psm);
    list[WriteServerIp] = serverIp;
    list[WriteServerPort] = QString::number(serverPort);
    list[WriteApiGet] = apiGet;
    list[WriteApiSave] = apiSave;
    if (!apiGetKept.isEmpty() || !apiSaveKept.isEmpty())
        list << apiGetKept << apiSaveKept;
    return list;
}

void ControllerSettings::setFromWriteList(const QStringList &entry)
{
    using namespace ControllerRecord;
    logPeriodSeconds = word(entry.value(WriteLogPeriod));
    sendPeriodSeconds = word(entry.value(WriteSendPeriod));
    contactPollPeriodSeconds = word(entry.value(WriteContactPollPeriod));
    consumptionThreshold = word(entry.value(WriteConsumptionThreshold));
    consumptionSendMode = word(entry.value(WriteConsumptionSendMode));
    psm = word(entry.value(WritePsm));
    serverIp = entry.value(WriteServerIp);
    serverPort = word(entry.value(WriteServerPort));
    apiGet = entry.value(WriteApiGet);
    apiSave = entry.value(WriteApiSave);
    apiGetKept = entry.value(WriteApiGetKept);
    apiSaveKept = entry.value(WriteApiSaveKept);
}

bool ControllerSettings::sameSettings(const ControllerSettings &other) const
{
    return toWriteList() == other.toWriteList();
}

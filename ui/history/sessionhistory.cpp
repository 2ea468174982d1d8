#include "ui/history/sessionhistory.h"

#include "protocol/document/documentoverlay.h"
#include "protocol/document/fieldnames.h"
#include "protocol/document/jsondocument.h"
#include "protocol/frame/frame.h"
#include "protocol/frame/sessionrecord.h"
#include "link/worker/masterthread.h"
#include "ui/channels/analogtab.h"
#include "ui/channels/rs485tab.h"
#include "ui/dialog/commandgating.h"
#include "ui/dialog/sessionstate.h"
#include "ui/history/historywindow.h"
#include "ui/journal/trafficwindow.h"
#include "ui/settings/settingstab.h"
#include "ui/widgets/objectname.h"

#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>

#include <utility>

namespace {

struct TabCommands {
    int read;
    int write;
};

// By tab, as TabIndex numbers them.
constexpr TabCommands kCommands[] = {
    {Link::CmdReadControllerSettings, Link::CmdWriteControllerSettings},
    {Link::CmdReadAnalogSettings, Link::CmdWriteAnalogSettings},
    {Link::CmdReadDigitalSettings, Link::CmdWriteDigitalSettings},
};

} // namespace

SessionHistory::SessionHistory(QWidget *dialog, MasterThread *worker, const Tabs &tabs,
                               const SessionState &session, QLabel *statusLabel,
                               TrafficWindow *journal)
    : QObject(dialog)
    , historyButton(named(new QPushButton(tr("История")), "historyButton"))
    , window(new HistoryWindow(dialog))
    , tabs(tabs)
    , session(session)
    , statusLabel(statusLabel)
{
    historyButton->setFocusPolicy(Qt::NoFocus);
    connect(historyButton, &QPushButton::clicked, window, &HistoryWindow::showWindow);
    connect(window, &HistoryWindow::unavailable, statusLabel, &QLabel::setText);
    connect(window, &HistoryWindow::unavailable, journal, &TrafficWindow::appendNote);
    connect(worker, &MasterThread::setComSettings, this, &SessionHistory::answered);
    connect(worker, &MasterThread::setRsSettings, this, &SessionHistory::answered);
    connect(worker, &MasterThread::setCpuSet, this, &SessionHistory::answered);
}

void SessionHistory::commandStarted(int cmd)
{
    runningCmd = cmd;
    gotAnswer = false;
}

void SessionHistory::commandEnded()
{
    const int cmd = std::exchange(runningCmd, 0);
    updateConnected();
    for (std::size_t tab = 0; tab < restored.size(); ++tab) {
        const TabCommands &c = kCommands[tab];
        if (cmd != c.read && cmd != c.write)
            continue;
        SnapshotMeta::Kind kind = SnapshotMeta::Read;
        if (cmd == c.read) {
            // Read again, the tab shows the controller: what was laid from the history is gone.
            restored.at(tab) = false;
            if (!isRead(int(tab)))
                return;
        } else {
            if (!gotAnswer)
                return;
            kind = std::exchange(restored.at(tab), false) ? SnapshotMeta::Restore
                                                          : SnapshotMeta::Write;
        }
        // The history knows a controller by its serial number, which only its own tab reads.
        if (connectedSerial().isEmpty())
            return;
        window->storeSnapshot(QJsonDocument::fromJson(JsonDocument::write(asRead())).object(), kind);
        return;
    }
}

void SessionHistory::sessionEnded()
{
    restored.fill(false);
    window->setConnectedController(QString(), false);
}

Snapshot SessionHistory::asRead() const
{
    Snapshot s;
    s.analogChannelCount = SessionRecord::analogChannelCount(session.hwVersion);
    if (isRead(ControllerTab))
        s.controller = tabs.settings->settingsAsRead();
    if (isRead(AnalogChannelsTab)) {
        for (int row = 0; row < AnalogTab::kRows; ++row)
            s.analog.insert(row, tabs.analog->settingsAsRead(row));
    }
    if (isRead(DigitalChannelsTab)) {
        for (int row = 0; row < RS485Tab::kRowCount; ++row)
            s.digital.insert(row, tabs.digital->settingsAsRead(row));
    }
    return s;
}

bool SessionHistory::restore(const QJsonObject &document)
{
    const QString serial = document.value(QLatin1String(FieldNames::kControllerSection))
                               .toObject()
                               .value(QLatin1String("serialNumber"))
                               .toString();
    // The window offers the button only then; the session may have ended since.
    if (serial.isEmpty() || serial != connectedSerial() || !allTabsRead()) {
        statusLabel->setText(tr("Версию можно загрузить только в считанные вкладки контроллера "
                                "%1.")
                                 .arg(serial));
        return false;
    }
    const Snapshot read = asRead();
    const Snapshot laid = DocumentOverlay::overlay(document, read);
    const auto has = [&document](const char *section) {
        return document.contains(QLatin1String(section));
    };
    if (has(FieldNames::kControllerSection)) {
        tabs.settings->changeSettings(*laid.controller);
        restored.at(ControllerTab) = true;
    }
    if (has(FieldNames::kAnalogSection)) {
        for (auto it = laid.analog.begin(); it != laid.analog.end(); ++it) {
            if (laid.analogPresent(it.key()))
                tabs.analog->changeComSettings(it.key(), it.value().toFieldList());
        }
        restored.at(AnalogChannelsTab) = true;
    }
    if (has(FieldNames::kDigitalSection)) {
        for (auto it = laid.digital.begin(); it != laid.digital.end(); ++it) {
            if (laid.digitalPresent(it.key()))
                tabs.digital->changeRsSettings(it.key(), it.value().toFieldList());
        }
        restored.at(DigitalChannelsTab) = true;
    }
    statusLabel->setText(tr("Версия из истории загружена в таблицы. Запишите вкладки, чтобы "
                            "вернуть эти настройки контроллеру."));
    return true;
}

void SessionHistory::updateConnected()
{
    window->setConnectedController(connectedSerial(), allTabsRead());
}

QString SessionHistory::connectedSerial() const
{
    return isRead(ControllerTab) ? tabs.settings->settingsAsRead().serialNumber
                                                 : QString();
}

bool SessionHistory::isRead(int tab) const
{
    switch (tab) {
    case ControllerTab:
        return tabs.settings->isReadFromController();
    case AnalogChannelsTab:
        return tabs.analog->isReadFromController();
    default:
        return tabs.digital->isReadFromController();
    }
}

bool SessionHistory::allTabsRead() const
{
    return isRead(ControllerTab) && isRead(AnalogChannelsTab) && isRead(DigitalChannelsTab);
}

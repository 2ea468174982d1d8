#include "ui/dialog/channelfileactions.h"

#include "protocol/bulk/channelexchange.h"
#include "ui/channels/analogtab.h"
#include "ui/channels/rs485tab.h"
#include "ui/dialog/sessionstate.h"
#include "ui/dialog/userprompts.h"
#include "ui/settings/settingstab.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace {

QString tr(const char *source)
{
    return QCoreApplication::translate("TabDialog", source);
}

} // namespace

ChannelFileActions::ChannelFileActions(QWidget *w, const Tabs &t, const SessionState &s,
                                       QLabel *status)
    : window(w)
    , tabs(t)
    , session(s)
    , statusLabel(status)
    , lastDir(QDir::currentPath())
{
}

void ChannelFileActions::critical(const QString &title, const QString &text)
{
    UserPrompts::current().critical(window, title, text);
}

void ChannelFileActions::rememberDir(const QString &fileName)
{
    lastDir = QFileInfo(fileName).absoluteDir().absolutePath();
}

void ChannelFileActions::exportChannels(int analogCount)
{
    const QString proposed = lastDir + QLatin1Char('/') + tabs.settings->getSerialNumber();
    // Tables emptied while the dialog was open are not what the engineer meant to save.
    const std::optional<QString> chosen = session.within([&] {
        return UserPrompts::current().saveFileName(window, tr("Сохранить файл"), proposed,
                                                   ChannelFile::fileFilter());
    });
    if (!chosen)
        return;
    statusLabel->clear();
    if (chosen->isEmpty())
        return;
    rememberDir(*chosen);
    const ChannelExchange::Export out = ChannelExchange::exportLines(
        tabs.analog->exportRows(), tabs.digital->exportRows(), analogCount);
    if (!out.error.isEmpty())
        critical(tr("Ошибка"), out.error);
    else if (!ChannelFile::save(*chosen, out.lines))
        critical(tr("Ошибка"), ChannelFile::saveFailedText());
}

bool ChannelFileActions::importChannels()
{
    // The file carries settings but no readings: its rows are laid over what the controller
    // reported, so that the next write keeps the meters' counters.
    if (!tabs.analog->isReadFromController() || !tabs.digital->isReadFromController()) {
        critical(tr("Ошибка"), tr("Настройки каналов не считаны с контроллера. Сначала нажмите "
                                 "«Считать настройки» на вкладках «Аналоговые каналы» и "
                                 "«Цифровые каналы»."));
        return false;
    }
    // A session that ended while the dialog was open took the read rows with it.
    const std::optional<QString> chosen = session.within([this] {
        return UserPrompts::current().openFileName(window, tr("Открыть файл"), lastDir,
                                                   ChannelFile::fileFilter());
    });
    if (!chosen)
        return false;
    statusLabel->clear();
    if (chosen->isEmpty())
        return false;
    if (!chosen->contains(tabs.settings->getSerialNumber())) {
        critical(tr("Некорректное имя файла"), tr("Имя файла не соответствует SN контроллера."));
        return false;
    }
    rememberDir(*chosen);
    QFile file(*chosen);
    if (!file.open(QIODevice::ReadOnly)) {
        statusLabel->setText(ChannelFile::openFailedText(*chosen));
        return false;
    }
    QList<bool> analogPresent;
    for (int row = 0; row < AnalogTab::kRows; ++row)
        analogPresent << tabs.analog->isComChannelEnabled(row);
    QList<bool> digitalPresent;
    for (int row = 0; row < RS485Tab::kRowCount; ++row)
        digitalPresent << tabs.digital->isChannelEnabled(row);
    const ChannelExchange::Import in = ChannelExchange::importLines(
        ChannelFile::parse(file.readAll()), analogPresent, digitalPresent);
    tabs.digital->clearReadings();
    for (const auto &[row, settings] : in.analog)
        tabs.analog->changeComSettings(row, settings);
    for (const auto &[row, settings] : in.digital)
        tabs.digital->changeRsSettings(row, settings);
    if (in.skipped > 0)
        statusLabel->setText(tr("Импорт каналов: пропущено строк с ошибками: %1").arg(in.skipped));
    return true;
}

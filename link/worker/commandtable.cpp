#include "link/worker/commandtable.h"

#include "link/channels/analogcommands.h"
#include "link/channels/digitalcommands.h"
#include "link/firmware/firmwarecommand.h"
#include "protocol/frame/frame.h"
#include "link/session/sessioncommands.h"
#include "link/settings/controllercommands.h"
#include "link/settings/modemcommands.h"

namespace {

struct Entry {
    int code;
    Commands::Function run;
};

constexpr Entry kCommands[] = {
    {Link::CmdAnalogReading, AnalogCommands::readReadings},
    {Link::CmdDigitalReadings, DigitalCommands::readReadings},
    {Link::CmdReadAnalogSettings, AnalogCommands::readSettings},
    {Link::CmdReadDigitalSettings, DigitalCommands::readSettings},
    {Link::CmdReadControllerSettings, ControllerCommands::readSettings},
    {Link::CmdWriteAnalogSettings, AnalogCommands::writeSettings},
    {Link::CmdWriteDigitalSettings, DigitalCommands::writeSettings},
    {Link::CmdWriteControllerSettings, ControllerCommands::writeSettings},
    {Link::CmdLeaveSettingsMode, SessionCommands::leaveSettingsMode},
    {Link::CmdFirmwareStart, FirmwareCommand::upload},
    {Link::CmdAuthorise, SessionCommands::authorise},
    {Link::CmdNewPassword, SessionCommands::newPassword},
    {Link::CmdModemTest, ModemCommands::test},
    {Link::CmdModemSessionData, ModemCommands::sessionData},
};

} // namespace

namespace Commands {

Function find(int code)
{
    for (const Entry &entry : kCommands) {
        if (entry.code == code)
            return entry.run;
    }
    return nullptr;
}

} // namespace Commands

#include "link/commandtable.h"

#include "channels/analogcommands.h"
#include "channels/digitalcommands.h"
#include "firmware/firmwarecommand.h"
#include "link/frame.h"
#include "link/sessioncommands.h"
#include "settings/controllercommands.h"
#include "settings/modemcommands.h"

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

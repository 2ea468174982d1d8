#pragma once

// Diagnostic categories of the configurator's libraries. Debug lines are off unless the program
// is run with --verbose or QT_LOGGING_RULES switches them on ("lumaro.*.debug=true"); warnings
// always show.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLink)        // lumaro.link: frames, the port, retries
Q_DECLARE_LOGGING_CATEGORY(lcFirmware)    // lumaro.firmware: image size, CRCs, parts
Q_DECLARE_LOGGING_CATEGORY(lcModem)       // lumaro.modem: the modem's session state
Q_DECLARE_LOGGING_CATEGORY(lcSettings)    // lumaro.settings: the controller settings record
Q_DECLARE_LOGGING_CATEGORY(lcForecast)    // lumaro.forecast: battery and traffic forecast
Q_DECLARE_LOGGING_CATEGORY(lcChannels)    // lumaro.channels: channel tables and rules
Q_DECLARE_LOGGING_CATEGORY(lcChannelFile) // lumaro.channelfile: the channel file's lines
Q_DECLARE_LOGGING_CATEGORY(lcHistory)     // lumaro.history: the configuration history's database

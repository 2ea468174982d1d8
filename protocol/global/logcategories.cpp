#include "protocol/global/logcategories.h"

// Declared quiet below warnings here, so that every program linking the libraries is quiet.
Q_LOGGING_CATEGORY(lcLink, "lumaro.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFirmware, "lumaro.firmware", QtWarningMsg)
Q_LOGGING_CATEGORY(lcModem, "lumaro.modem", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "lumaro.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcForecast, "lumaro.forecast", QtWarningMsg)
Q_LOGGING_CATEGORY(lcChannels, "lumaro.channels", QtWarningMsg)
Q_LOGGING_CATEGORY(lcChannelFile, "lumaro.channelfile", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHistory, "lumaro.history", QtWarningMsg)

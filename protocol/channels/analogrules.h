#pragma once

// Rules of the analog channel table without widgets: which inputs suit a device, the row
// check with its result codes, threshold scaling, the tenths form and scale reduction.

#include "protocol/channels/analogrecord.h"

#include <QString>
#include <QStringList>

namespace AnalogRules {

// Labels of the device list (by position) and of the input list (by code), untranslated; they
// belong to the translation context "AnalogTab".
extern const char *const kDeviceLabels[AnalogRecord::kDevicePositions];
extern const char *const kInputLabels[AnalogRecord::kInputTypes];

// The controller measures temperatures in this range; thresholds outside it never trigger.
constexpr double kTemperatureMinDeg = -30.0;
constexpr double kTemperatureMaxDeg = 100.0;
constexpr double kPressureMaxBar = 100.0;
// Meters ignore suspicious-flow and stop times below this many minutes, except 0 (off).
constexpr double kMeterMinTime = 5.0;
constexpr double kMeterMaxTime = 32767.0;
// A multiplier or divider of 0 zeroes the readings, so the editors start at 1; the field is
// 16 bits.
constexpr int kScaleMin = 1;
constexpr int kScaleMax = 65535;

// Result codes of the row check; the write checks name each in their message.
enum CheckResult {
    RowValid = 0,
    InputMismatch = 1,
    LkEqualsSt = 2,
    StAboveLk = 3,
    LkNegative = 4,
    StNegative = 5,
    MultiplierZero = 6,
    DividerZero = 7,
    LkNotWhole = 8,
    StNotWhole = 9,
    LkOutOfTimeRange = 10,
    StOutOfTimeRange = 11,
    LkOutOfTemperatureRange = 12,
    StOutOfTemperatureRange = 13,
    LkAbovePressureMax = 14,
    StAbovePressureMax = 15,
    PressureWithFastOpenCollector = 16,
};

// One row as its widgets show it.
struct RowValues {
    int devicePosition = 0; // position in the table's device list
    int inputCode = 0;
    double lk = 0;          // as shown: degrees or bar for sensors, minutes or seconds otherwise
    double st = 0;
    int multiplier = 1;
    int divider = 1;
};

// Bit n set when input code n suits the device at `devicePosition`.
quint16 allowedInputs(int devicePosition);
bool isInputAllowed(int devicePosition, int inputCode);
// A pulse meter on the fast open-collector input, which rules out a pressure sensor.
bool isFastOpenCollector(int deviceCode, int inputCode);

// `fastOpenCollectorPresent`: some channel of the board uses a fast open-collector meter.
int checkRow(const RowValues &row, bool fastOpenCollectorPresent);

// A threshold as the controller stores it (raw list text) to the value shown for `deviceCode`.
double thresholdShown(const QString &raw, int deviceCode);
// A stored threshold number to the value shown, without the 16-bit field's wrap: a file or a
// plan may carry a number the field cannot hold, which must stay visible as it is.
double thresholdShown(double stored, int deviceCode);
// A shown threshold to the text that is written for `deviceCode`.
QString thresholdCollected(double shown, int deviceCode);
// A shown threshold to the text its record field stores, sensors rounded to the tenth. The
// field is 16 bits (signed for temperatures) and takes whole numbers only; a value outside
// that clears `*fits` and comes back in full, so that it is refused rather than cut.
QString thresholdStored(double shown, int deviceCode, bool *fits);
// The lowest and highest stored threshold the field holds for `deviceCode`.
qint64 thresholdStoredMin(int deviceCode);
qint64 thresholdStoredMax(int deviceCode);
// A raw reading as the window shows it: tenths for temperature and pressure, else as read.
QString readingShown(const QString &raw, int deviceCode);
// A raw temperature threshold in the decimal form collected from the table ("65486" -> "-50").
QString signedThresholdText(const QString &raw);
// A raw reading of a temperature or pressure channel in tenths ("235" -> "23.5").
QString tenthsText(const QString &raw);

// Multiplier and divider in lowest terms (Euclid); with one of them 0 the pair is divided by the
// other, so 0 and 6 become 0 and 1; both 0 stay as they are.
void reduceScale(int &multiplier, int &divider);

} // namespace AnalogRules

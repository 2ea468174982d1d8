#include "protocol/channels/analogrules.h"

#include "protocol/channels/analogrecord.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace AnalogRules {

// Device list in table order; the wire code of each position is the record's business.
const char *const kDeviceLabels[AnalogRecord::kDevicePositions] = {
    QT_TRANSLATE_NOOP("AnalogTab", "0 - Отключен"),
    QT_TRANSLATE_NOOP("AnalogTab", "1 - Счетчик ХВС, л"),
    QT_TRANSLATE_NOOP("AnalogTab", "2 - Счетчик ГВС, л"),
    QT_TRANSLATE_NOOP("AnalogTab", "3 - Счетчик Газа, л"),
    QT_TRANSLATE_NOOP("AnalogTab", "4 - Теплосчетчик, Вт*ч"),
    QT_TRANSLATE_NOOP("AnalogTab", "5 - Теплосчетчик, ккал"),
    QT_TRANSLATE_NOOP("AnalogTab", "6 - Электросчетчик, Вт*ч"),
    QT_TRANSLATE_NOOP("AnalogTab", "7 - Датчик температуры, град"),
    QT_TRANSLATE_NOOP("AnalogTab", "8 - Датчик контактный"),
    QT_TRANSLATE_NOOP("AnalogTab", "9 - Датчик давления, бар"),
};

// Input list in code order.
const char *const kInputLabels[AnalogRecord::kInputTypes] = {
    QT_TRANSLATE_NOOP("AnalogTab", "0 - Не определен"),
    QT_TRANSLATE_NOOP("AnalogTab", "1 - Намур"),
    QT_TRANSLATE_NOOP("AnalogTab", "2 - Геркон"),
    QT_TRANSLATE_NOOP("AnalogTab", "3 - Открытый коллектор"),
    QT_TRANSLATE_NOOP("AnalogTab", "4 - Открытый коллектор быстрый"),
    QT_TRANSLATE_NOOP("AnalogTab", "5 - Тип 1 (NTC, 10K, B=3300)"),
    QT_TRANSLATE_NOOP("AnalogTab", "6 - Тип 2 (NTC, 10K, B=3988)"),
    QT_TRANSLATE_NOOP("AnalogTab", "7 - Тип 3 (NTC, 10K, B=3435)"),
    QT_TRANSLATE_NOOP("AnalogTab", "8 - Тип 4 (NTC, 10K, B=3950)"),
    QT_TRANSLATE_NOOP("AnalogTab", "9 - Д. протечки WSP"),
    QT_TRANSLATE_NOOP("AnalogTab", "10 - Д. протечки WSP+"),
    QT_TRANSLATE_NOOP("AnalogTab", "11 - Сухой контакт НО"),
    QT_TRANSLATE_NOOP("AnalogTab", "12 - Сухой контакт Н3"),
    QT_TRANSLATE_NOOP("AnalogTab", "13 - 4-20мА (Rн=120 Ом)"),
};

namespace {

constexpr quint16 inputRange(int first, int last)
{
    quint16 mask = 0;
    for (int code = first; code <= last; ++code)
        mask |= quint16(1u << code);
    return mask;
}

constexpr quint16 inputBit(int code)
{
    return quint16(1u << code);
}

// Inputs that suit each position of the device list: pulse meters on pulse inputs (heat and
// electricity meters only on the fast open collector), sensors on their own inputs. An unused
// channel may keep any pulse or NTC input.
constexpr quint16 kAllowedInputs[AnalogRecord::kDevicePositions] = {
    inputRange(0, 8),  // off
    inputRange(1, 4),  // cold water
    inputRange(1, 4),  // hot water
    inputRange(2, 4),  // gas: no Namur sensor on gas meters
    inputBit(4),       // heat, Wh
    inputBit(4),       // heat, kcal
    inputBit(4),       // electricity
    inputRange(5, 8),  // temperature: the four NTC curves
    inputRange(9, 12), // contact: leak sensors and dry contacts
    inputBit(13),      // pressure: 4-20 mA loop
};

constexpr double kTenthsPerUnit = 10.0;
constexpr int kSignificantDigits = 6;

bool isFractional(double value)
{
    double whole = 0;
    return std::modf(value, &whole) > 0;
}

bool inRange(double value, double low, double high)
{
    return value >= low && value <= high;
}

// Meters count minutes: 0 switches the detection off, otherwise 5 to 32767.
bool isBadMeterTime(double value)
{
    return (value > 0 && value < kMeterMinTime) || value > kMeterMaxTime;
}

// A list text as a 32-bit pattern: the wire sends it unsigned, the channel file signed.
quint32 wordValue(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (ok)
        return value;
    const int signedValue = text.toInt(&ok, 10);
    return ok ? quint32(signedValue) : 0;
}

int checkTemperature(const RowValues &row)
{
    if (!inRange(row.inputCode, 5, 8))
        return InputMismatch;
    if (row.lk == row.st && row.lk != 0)
        return LkEqualsSt;
    if (row.st > row.lk)
        return StAboveLk;
    if (!inRange(row.lk, kTemperatureMinDeg, kTemperatureMaxDeg))
        return LkOutOfTemperatureRange;
    if (!inRange(row.st, kTemperatureMinDeg, kTemperatureMaxDeg))
        return StOutOfTemperatureRange;
    return RowValid;
}

// Meters and contact sensors count LK and ST in whole minutes or seconds.
int checkWholeTimes(const RowValues &row)
{
    if (row.lk < 0)
        return LkNegative;
    if (row.st < 0)
        return StNegative;
    if (isFractional(row.lk))
        return LkNotWhole;
    if (isFractional(row.st))
        return StNotWhole;
    return RowValid;
}

int checkMeter(const RowValues &row, int code)
{
    if (const int times = checkWholeTimes(row); times != RowValid)
        return times;
    if (isBadMeterTime(row.lk))
        return LkOutOfTimeRange;
    if (isBadMeterTime(row.st))
        return StOutOfTimeRange;
    if ((code == AnalogRecord::kColdWater || code == AnalogRecord::kHotWater)
        && !inRange(row.inputCode, 1, 4))
        return InputMismatch;
    if (code == AnalogRecord::kGas && !inRange(row.inputCode, 2, 4))
        return InputMismatch;
    return RowValid;
}

int checkContact(const RowValues &row)
{
    if (!inRange(row.inputCode, 9, 12))
        return InputMismatch;
    return checkWholeTimes(row);
}

int checkPressure(const RowValues &row, bool fastOpenCollectorPresent)
{
    if (row.inputCode != 13)
        return InputMismatch;
    if (row.lk == row.st && row.lk != 0)
        return LkEqualsSt;
    if (row.st > row.lk)
        return StAboveLk;
    if (row.lk < 0)
        return LkNegative;
    if (row.st < 0)
        return StNegative;
    if (row.lk > kPressureMaxBar)
        return LkAbovePressureMax;
    if (row.st > kPressureMaxBar)
        return StAbovePressureMax;
    if (row.multiplier == 0)
        return MultiplierZero;
    if (row.divider == 0)
        return DividerZero;
    // The 4-20 mA loop and the fast open-collector input cannot be powered together.
    if (fastOpenCollectorPresent)
        return PressureWithFastOpenCollector;
    return RowValid;
}

} // namespace

quint16 allowedInputs(int devicePosition)
{
    if (devicePosition < 0 || devicePosition >= AnalogRecord::kDevicePositions)
        return 0;
    return kAllowedInputs[devicePosition];
}

bool isInputAllowed(int devicePosition, int inputCode)
{
    return inputCode >= 0 && inputCode < AnalogRecord::kInputTypes
        && (allowedInputs(devicePosition) & inputBit(inputCode)) != 0;
}

bool isFastOpenCollector(int deviceCode, int inputCode)
{
    return AnalogRecord::isMeterCode(deviceCode) && inputCode == AnalogRecord::kInputFastOpenCollector;
}

int checkRow(const RowValues &row, bool fastOpenCollectorPresent)
{
    if (row.devicePosition == 0)
        return RowValid;
    if (row.inputCode == AnalogRecord::kInputUndefined)
        return InputMismatch;
    const int code = AnalogRecord::codeForPosition(row.devicePosition);
    if ((code == AnalogRecord::kHeatWh || code == AnalogRecord::kElectricity
         || code == AnalogRecord::kHeatKcal)
        && row.inputCode != AnalogRecord::kInputFastOpenCollector)
        return InputMismatch;
    if (code == AnalogRecord::kTemperature)
        return checkTemperature(row);
    if (AnalogRecord::isMeterCode(code))
        return checkMeter(row, code);
    if (code == AnalogRecord::kContact)
        return checkContact(row);
    if (code == AnalogRecord::kPressure)
        return checkPressure(row, fastOpenCollectorPresent);
    return RowValid;
}

double thresholdShown(const QString &raw, int deviceCode)
{
    if (deviceCode == AnalogRecord::kTemperature)
        return thresholdShown(double(qint16(quint16(wordValue(raw) & 0xFFFF))), deviceCode);
    bool ok = false;
    const double value = double(raw.toLongLong(&ok, 10));
    return ok ? thresholdShown(value, deviceCode) : 0;
}

double thresholdShown(double stored, int deviceCode)
{
    return AnalogRecord::isTenthsCode(deviceCode) ? stored / kTenthsPerUnit : stored;
}

QString thresholdCollected(double shown, int deviceCode)
{
    const double value = AnalogRecord::isTenthsCode(deviceCode) ? shown * kTenthsPerUnit : shown;
    return QString::number(value, 'g', kSignificantDigits);
}

QString thresholdStored(double shown, int deviceCode, bool *fits)
{
    const double stored =
        AnalogRecord::isTenthsCode(deviceCode) ? std::round(shown * kTenthsPerUnit) : shown;
    double whole = 0;
    *fits = std::modf(stored, &whole) == 0 && stored >= double(thresholdStoredMin(deviceCode))
        && stored <= double(thresholdStoredMax(deviceCode));
    return *fits ? QString::number(qint64(stored))
                 : QString::number(stored, 'g', std::numeric_limits<double>::max_digits10);
}

// Temperatures go below zero, so their field is signed; the LK and ST boxes reach -3276.8.
qint64 thresholdStoredMin(int deviceCode)
{
    return deviceCode == AnalogRecord::kTemperature ? std::numeric_limits<qint16>::min() : 0;
}

qint64 thresholdStoredMax(int deviceCode)
{
    return deviceCode == AnalogRecord::kTemperature ? std::numeric_limits<qint16>::max()
                                                    : std::numeric_limits<quint16>::max();
}

QString readingShown(const QString &raw, int deviceCode)
{
    return AnalogRecord::isTenthsCode(deviceCode) ? tenthsText(raw) : raw;
}

QString signedThresholdText(const QString &raw)
{
    return QString::number(qint16(quint16(wordValue(raw) & 0xFFFF)));
}

QString tenthsText(const QString &raw)
{
    const qint32 value = qint32(wordValue(raw));
    const qint32 whole = value / 10;
    const int digit = std::abs(value - whole * 10);
    // The whole part of -0.5 is 0, which alone would lose the sign.
    const QString sign = value < 0 && whole == 0 ? QStringLiteral("-") : QString();
    return sign + QString::number(whole) + QLatin1Char('.') + QString::number(digit);
}

void reduceScale(int &multiplier, int &divider)
{
    int a = multiplier;
    int b = divider;
    while (b != 0) {
        const int r = a % b;
        a = b;
        b = r;
    }
    const int divisor = std::abs(a);
    if (divisor <= 1)
        return;
    multiplier /= divisor;
    divider /= divisor;
}

} // namespace AnalogRules

#pragma once

// Texts and small rules of the checks that run before settings are written.

#include <QString>

namespace WriteChecks {

constexpr int kPressureNeedsSlowInputs = 16;

// Message for an analog row check code (1 to 16); empty for 0 or an unknown code.
QString analogMessage(int code, int channel);
// Message for a digital row check code (1 or 2); empty otherwise.
QString digitalMessage(int code, int channel);

// A contact-sensor threshold below the poll period would be missed between two polls.
bool thresholdBelowPollPeriod(double threshold, int pollPeriodSeconds);
// Title of the contact-sensor question; empty when neither threshold is low.
QString contactSensorTitle(bool lkLow, bool stLow);
QString contactSensorText(int channel, int pollPeriodSeconds);

// PSM costs standing current on these boards.
bool psmIsCostly(const QString &hwVersion);
QString psmTitle();
QString psmText();

QString zeroPollPeriodTitle();
QString zeroPollPeriodText();

// Serial numbers and meter passwords are never cut to their fields: the engineer shortens them.
QString serialTooLongText(int channel);
QString passwordTooLongText(int channel, int fieldBytes);
// A threshold (`key`: "LK" or "ST") that its record field cannot store for `deviceCode`; the
// window's boxes keep within the field, a file need not.
QString thresholdRangeText(const QString &key, int deviceCode, int channel);

// A number (`field`: "Множитель", "Делитель", "Объект", "КТ") that its record field cannot hold,
// or a 0 where the controller would divide by it.
QString fieldRangeText(const char *field, qint64 low, qint64 high, int channel);
// A typed meter reading that the 32-bit counter cannot hold.
QString readingRangeText(int channel);

// Every record as the controller holds it: no command is sent.
QString nothingToWriteText();

} // namespace WriteChecks

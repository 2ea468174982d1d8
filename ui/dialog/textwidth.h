#pragma once

// Widths that fit a text, for fields whose text arrives after the layout has sized them.

class QLineEdit;
class QString;

// The width at which `edit` shows `text` whole, reckoned as QLineEdit reckons its own size
// hint.
int lineEditWidth(const QLineEdit *edit, const QString &text);

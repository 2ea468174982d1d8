#pragma once

#include <QSpinBox>

// A count the engineer sets from 1 up, which the controller may nevertheless hold as 0 (a
// scale of a channel never set up, a КТ of a fresh meter). The box shows such a 0 and keeps
// it, but the engineer cannot choose 0 on a row that held anything else.
inline void showCountKeepingZero(QSpinBox *box, int value)
{
    box->setMinimum(value == 0 ? 0 : 1);
    box->setValue(value);
}

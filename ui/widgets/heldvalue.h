#pragma once

// A value read from the controller that its editor cannot show whole (a code no list names,
// a number beyond a spin box, a period that is not whole minutes, a count of 0 where the
// engineer may set 1 and up): written back as it came until the editor changes in any way.

#include <QObject>
#include <QSpinBox>

#include <optional>

class HeldValue
{
public:
    // Holds `value`; set it after filling the editor, whose change releases what was held.
    void hold(qint64 value) { held = value; }
    void release() { held.reset(); }
    // Holds `value` when the editor cannot show it, else lets go of what an earlier read held.
    void holdUnless(bool shown, qint64 value)
    {
        if (shown)
            held.reset();
        else
            held = value;
    }
    bool isHeld() const { return held.has_value(); }
    qint64 valueOr(qint64 editorValue) const { return held ? *held : editorValue; }

    // Any change of `editor` through `changed`, typed or set by the program, releases the value.
    template <typename Editor, typename Signal>
    void releaseOn(Editor *editor, Signal changed)
    {
        QObject::connect(editor, changed, editor, [this] { release(); });
    }

    // A count the engineer sets from `minimum` up, which the controller may nevertheless hold
    // as 0 (a scale of a channel never set up, a КТ of a fresh meter): the box shows such a 0
    // and so keeps it, but 0 cannot be chosen on a row that held anything else.
    static void showCount(QSpinBox *box, int value, int minimum)
    {
        box->setMinimum(value == 0 ? 0 : minimum);
        box->setValue(value);
    }

private:
    std::optional<qint64> held;
};

#include "ui/dialog/textwidth.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// QLineEdit's own gap between its frame and its text, on either side.
constexpr int kLineEditTextGap = 2;

} // namespace

int lineEditWidth(const QLineEdit *edit, const QString &text)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    const QMargins margins = edit->textMargins();
    const int textWidth = edit->fontMetrics().horizontalAdvance(text) + 2 * kLineEditTextGap
        + margins.left() + margins.right();
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(textWidth, 0), edit).width();
}

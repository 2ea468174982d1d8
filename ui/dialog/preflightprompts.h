#pragma once

// A write preflight shown through the window's prompts.

#include "protocol/bulk/writepreflight.h"

class QLabel;
class QWidget;
class SessionState;
class TabPage;

// Asks the questions in order and shows the refusal (or the note that nothing is to be
// written); true when the write may go. A session that ends while a question is open drops
// the write.
bool askBeforeWrite(QWidget *window, const WritePreflight::Steps &steps,
                    const SessionState &session, TabPage &page, QLabel *statusLabel);

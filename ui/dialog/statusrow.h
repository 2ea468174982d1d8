#pragma once

// The line under the window's body: the status text, the stop of a running command and the
// traffic journal with its button.

#include <QHBoxLayout>

class QLabel;
class QWidget;
class QPushButton;
class TrafficWindow;

class StatusRow : public QHBoxLayout
{
public:
    // The journal and its key F12 belong to `window`.
    explicit StatusRow(QWidget *window);

    // A command starts: the stop shows and takes the focus, so that Esc reaches it.
    void commandStarted();
    void showJournal();

    QLabel *const label;
    // Shown only while a command runs; Esc does the same.
    QPushButton *const cancelButton;
    QPushButton *const trafficButton;
    TrafficWindow *const journal;
};

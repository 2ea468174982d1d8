#pragma once

// The traffic journal: every frame the worker exchanged with the controller, one line each,
// for the engineer on a bad line and for the maker's support; optionally copied to a file.

#include "protocol/frame/traffic.h"

#include <QFile>
#include <QWidget>

class QPlainTextEdit;

class TrafficWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxLines = 10000;

    explicit TrafficWindow(QWidget *parent = nullptr);

    // Appends every following line to `fileName` as well; false when it cannot be opened.
    bool setLogFile(const QString &fileName);
    QString text() const;

public slots:
    void appendFrame(const Traffic::Frame &frame);
    // A line of the program's own between the frames (the history could not be kept, say).
    void appendNote(const QString &text);

private:
    void appendLine(const QString &line);
    void copyAll();
    void saveAs();

    QPlainTextEdit *journal = nullptr;
    QFile logFile;
};

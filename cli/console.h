#pragma once

// The terminal side of lumaro-cli: data to standard output, messages and progress to standard
// error, and a progress bar only where a person watches, never into a log or a pipe.

#include <QByteArray>
#include <QString>

class Console
{
public:
    Console();
    // Tests and pipes: the bar only when asked for.
    explicit Console(bool progressBar);

    void data(const QByteArray &bytes);
    void message(const QString &text);
    void progress(int percent);
    void status(const QString &text);
    // Clears the bar, so that what follows starts on a clean line.
    void endProgress();

private:
    void draw();

    bool bar = false;
    bool drawn = false;
    int percent = 0;
    QString statusText;
};

#pragma once

// One frame on the line as the traffic journal shows it: when, which way, which command, the
// bytes and how the link judged them.

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace Traffic {

enum class Direction { Request, Answer };

enum class Outcome {
    Sent,           // a request that left
    NotSent,        // a request the port did not take within the time-out
    Accepted,
    WrongSize,
    WrongStart,     // the first byte is not the frame's start byte
    WrongChecksum,
    ForeignCommand, // a sound frame that answers another command
    NoAnswer,
    Abandoned, // the engineer's stop ended the wait
    PortLost,
};

struct Frame {
    // Milliseconds since the epoch: the worker takes the clock cheaply, the journal turns it
    // into local time.
    qint64 time = 0;
    Direction direction = Direction::Request;
    quint8 cmd = 0; // the request's command, also on its answer's line
    QByteArray bytes;
    Outcome outcome = Outcome::Sent;
    int attempt = 1;
};

// How the link judges `answer` to a request of `cmd`: Accepted exactly when it takes it.
Outcome judge(const QByteArray &answer, quint8 cmd, quint32 fwWord);

// A short Russian name of the command, for people reading the journal.
QString commandName(quint8 cmd);
QString outcomeText(Outcome outcome);

// "12:03:04.567 → 9 Чтение настроек контроллера, 10 байт: aa 00 … — отправлен, попытка 1"
QString formatLine(const Frame &frame);

} // namespace Traffic

Q_DECLARE_METATYPE(Traffic::Frame)

#pragma once

// Collects debug lines from every thread while it lives.

#include <QStringList>

class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    int count(const QString &prefix) const;
};

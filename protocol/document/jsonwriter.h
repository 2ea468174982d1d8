#pragma once

// Writes JSON with two-space indents and members in the order they are given: Qt's own
// writer sorts keys and indents by four, and an engineer reads a controller top-down.

#include <QByteArray>
#include <QJsonValue>
#include <QList>

class JsonWriter
{
public:
    // `key` names the member inside an object; inside an array it is null.
    void beginObject(const char *key = nullptr);
    void endObject();
    void beginArray(const char *key);
    void endArray();
    void value(const char *key, const QJsonValue &value);

    // The document so far, ended by a line feed once every object and array is closed.
    QByteArray text() const;

private:
    void member(const char *key);
    void close(char bracket);

    QByteArray out;
    // Per open object or array: whether it holds a member yet.
    QList<bool> filled;
};

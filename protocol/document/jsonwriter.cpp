#include "protocol/document/jsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr int kIndent = 2;

// A string or number as JSON writes it, escapes included.
QByteArray scalar(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

void JsonWriter::member(const char *key)
{
    if (filled.isEmpty())
        return;
    if (filled.last())
        out += ',';
    filled.last() = true;
    out += '\n';
    out += QByteArray(int(filled.size()) * kIndent, ' ');
    if (key) {
        out += scalar(QString::fromUtf8(key));
        out += ": ";
    }
}

void JsonWriter::close(char bracket)
{
    const bool any = filled.takeLast();
    if (any) {
        out += '\n';
        out += QByteArray(int(filled.size()) * kIndent, ' ');
    }
    out += bracket;
    if (filled.isEmpty())
        out += '\n';
}

void JsonWriter::beginObject(const char *key)
{
    member(key);
    out += '{';
    filled.append(false);
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray(const char *key)
{
    member(key);
    out += '[';
    filled.append(false);
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::value(const char *key, const QJsonValue &value)
{
    member(key);
    out += scalar(value);
}

QByteArray JsonWriter::text() const
{
    return out;
}

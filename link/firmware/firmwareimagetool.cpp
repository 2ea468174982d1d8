// Build tool for the firmware image carried by the configurator: makes the placeholder
// image and refuses an image that the controller's loader would not accept.

#include "protocol/firmware/crc32.h"
#include "protocol/firmware/firmwarerecord.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>

namespace {

// Marks the placeholder for anyone who looks inside; the rest is a fixed pseudo-random
// pattern, so that every part has a CRC of its own.
const char kPlaceholderHeader[] = "LUMARO T3 placeholder image, not controller firmware.";
constexpr quint32 kPatternSeed = 0x4C554D41;

int fail(const QString &message)
{
    std::fprintf(stderr, "lumaro-firmware-image: %s\n", qPrintable(message));
    return 1;
}

QByteArray placeholder(qint64 size)
{
    QByteArray image(qsizetype(size), '\0');
    quint32 state = kPatternSeed;
    for (qsizetype i = 0; i < image.size(); ++i) {
        // A linear congruential generator: fixed output from build to build.
        state = state * 1664525u + 1013904223u;
        image[i] = char(state >> 24);
    }
    const qsizetype header = qMin<qsizetype>(qsizetype(sizeof kPlaceholderHeader - 1),
                                             image.size() - FirmwareRecord::kStoredCrcSize);
    if (header > 0)
        image.replace(qsizetype(0), header, kPlaceholderHeader, header);
    return image;
}

void storeCrc(QByteArray &image)
{
    const qsizetype body = image.size() - FirmwareRecord::kStoredCrcSize;
    const quint32 crc = Firmware::crc32(image.constData(), body);
    for (int k = 0; k < FirmwareRecord::kStoredCrcSize; ++k)
        image[body + k] = char((crc >> (8 * k)) & 0xFF);
}

// Empty when the loader would accept the image, else the reason it would not.
QString imageProblem(const QByteArray &image)
{
    const qint64 size = image.size();
    if (FirmwareRecord::partCount(size) == 0)
        return QStringLiteral("size %1 bytes is not a positive multiple of %2 (at most %3 parts)")
            .arg(size)
            .arg(FirmwareRecord::kPartSize)
            .arg(FirmwareRecord::kMaxParts);
    const quint32 body = Firmware::crc32(image.constData(), image.size() - FirmwareRecord::kStoredCrcSize);
    const quint32 stored = FirmwareRecord::storedCrc(image);
    if (body != stored)
        return QStringLiteral("stored CRC 0x%1 in the last four bytes differs from the CRC "
                              "0x%2 of the bytes before them")
            .arg(stored, 8, 16, QLatin1Char('0'))
            .arg(body, 8, 16, QLatin1Char('0'));
    return QString();
}

int writeImage(const QByteArray &image, const QString &path)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(image) != image.size() || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(path));
    return 0;
}

int makePlaceholder(const QString &sizeText, const QString &path)
{
    bool ok = false;
    const qint64 size = sizeText.toLongLong(&ok);
    if (!ok || FirmwareRecord::partCount(size) == 0)
        return fail(QStringLiteral("placeholder size %1 is not a positive multiple of %2")
                        .arg(sizeText)
                        .arg(FirmwareRecord::kPartSize));
    QByteArray image = placeholder(size);
    storeCrc(image);
    const QString problem = imageProblem(image);
    if (!problem.isEmpty())
        return fail(QStringLiteral("placeholder image is broken: %1").arg(problem));
    return writeImage(image, path);
}

int checkImage(const QString &source, const QString &path)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read firmware image %1").arg(source));
    const QByteArray image = in.readAll();
    const QString problem = imageProblem(image);
    if (!problem.isEmpty())
        return fail(QStringLiteral("firmware image %1 refused: %2").arg(source, problem));
    return writeImage(image, path);
}

} // namespace

int main(int argc, char *argv[])
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argc == 4 && mode == QLatin1String("placeholder"))
        return makePlaceholder(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 4 && mode == QLatin1String("check"))
        return checkImage(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr,
                 "usage: lumaro-firmware-image placeholder <size> <output>\n"
                 "       lumaro-firmware-image check <image> <output>\n");
    return 2;
}

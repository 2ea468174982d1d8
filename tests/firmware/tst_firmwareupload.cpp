// The firmware update on the worker against the simulated controller on a pseudo-terminal:
// one upload of the whole built-in image, then small images of a few parts for the slow
// answers, a part lost on the line, a finish that is not answered, a start that is not
// answered, and images the worker must not send at all.

#include "firmware/crc32.h"
#include "sim/simfirmware.h"
#include "tests/support/logcapture.h"
#include "tests/support/workerharness.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kFirmwareStart = 129;
constexpr int kFirmwarePart = 130;
constexpr int kFirmwareFinish = 132;
constexpr int kPartSize = 256;
constexpr int kParts = 416;
constexpr int kPartFrameSize = 272;
constexpr int kSmallParts = 3;
// The line's response time-out as the controller tab hands it over; the start waits 15
// times as long, parts and finish 30000 ms whatever it is.
constexpr int kTabTimeoutMs = 100;
// Later than the tab's time-out, within 15 times of it.
constexpr int kSlowStartMs = 1000;
// Later than 15 times the tab's time-out, well within 30000 ms.
constexpr int kSlowPartMs = 2000;
// Where nothing answers the start: both attempts wait 15 times this, briefly.
constexpr int kShortTabTimeoutMs = 20;
// A full upload on a quiet line takes well under a minute; failures add little.
constexpr int kUploadWaitMs = 180000;
constexpr int kSmallUploadWaitMs = 60000;
const char kImageResource[] = ":/firmware/LUMARO_T3_APP_RELEASE_1.4.4.bin";

const QString kSuccess = QStringLiteral(
    "Прошивка успешно обновлена. Контроллер в течение 1 минуты перезагрузится (тройное мигание "
    "тремя светодиодами) и перейдет в обычный режим работы.");
const QString kLineErrors = QStringLiteral("Не удалось обновить прошивку. Ошибки на линии.");
const QString kCrcMismatch =
    QStringLiteral("Не удалось обновить прошивку. Контрольные суммы различаются. Повторите попытку.");
const QString kNoDevice = QStringLiteral(
    "Не удалось подключиться к устройству. Проверьте что устройство находится в режиме настройки.");
const QString kStarting = QStringLiteral("Начинаем обновлять прошивку...");
const QString kCannotOpen = QStringLiteral("НЕ МОГУ ОТКРЫТЬ ФАЙЛ ПРОШИВКИ.");

QString refusedText(int size)
{
    return QStringLiteral("Не удалось обновить прошивку. Образ прошивки повреждён: его размер "
                          "(%1 байт) должен быть больше нуля и кратен 256.")
        .arg(size);
}

QByteArray builtInImage()
{
    QFile file(QString::fromLatin1(kImageResource));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 littleEndian(const QByteArray &bytes)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(i));
    return value;
}

QByteArray bigEndian(quint32 value, int size)
{
    QByteArray out;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
    return out;
}

// An image of `parts` parts as the build makes one: a pattern that differs from part to
// part, closed by the CRC of the bytes before it, little-endian.
QByteArray smallImage(int parts)
{
    QByteArray image(parts * kPartSize - 4, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 131 + (i / kPartSize) * 29 + 5) & 0xFF);
    const quint32 crc = Firmware::crc32(image);
    for (int k = 0; k < 4; ++k)
        image.append(char((crc >> (8 * k)) & 0xFF));
    return image;
}

QString hex8(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

QString partText(int n, int parts)
{
    return QStringLiteral("Обновление прошивки часть %1 из %2...").arg(n).arg(parts);
}

int partIndex(const QByteArray &request)
{
    return request.size() == kPartFrameSize && quint8(request.at(7)) == kFirmwarePart
        ? (quint8(request.at(9)) << 8) | quint8(request.at(10))
        : -1;
}

QList<QByteArray> requestsOf(const SimServer &sim, int cmd)
{
    QList<QByteArray> out;
    for (const QByteArray &r : sim.requests()) {
        if (r.size() > 7 && quint8(r.at(7)) == cmd)
            out.append(r);
    }
    return out;
}

// The start announces the size (`sizeHex`, big-endian) and the CRC stored in the image's
// last four bytes; each part carries its index, the CRC of its bytes and the bytes.
void compareRecords(const SimServer &sim, const QByteArray &image, const char *sizeHex)
{
    const QList<QByteArray> starts = requestsOf(sim, kFirmwareStart);
    QVERIFY(!starts.isEmpty());
    QCOMPARE(starts.first().mid(8, 9).toHex(),
             (QByteArray::fromHex("ff") + QByteArray::fromHex(sizeHex)
              + bigEndian(littleEndian(image.right(4)), 4))
                 .toHex());
    const QList<QByteArray> parts = requestsOf(sim, kFirmwarePart);
    const int count = int(image.size()) / kPartSize;
    QCOMPARE(parts.size(), count);
    // Every part of a small image; the first two and the last of a large one.
    const QList<int> indexes = count <= kSmallParts ? QList<int>{0, 1, 2}.mid(0, count)
                                                    : QList<int>{0, 1, count - 1};
    for (int index : indexes) {
        const QByteArray data = image.mid(index * kPartSize, kPartSize);
        QCOMPARE(partIndex(parts[index]), index);
        QCOMPARE(parts[index].mid(11, 4).toHex(),
                 bigEndian(SimFirmware::loaderCrc(data), 4).toHex());
        QCOMPARE(parts[index].mid(15, kPartSize), data);
    }
}

} // namespace

class TestFirmwareUpload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fullUploadSucceeds();
    void smallImageUploads_data();
    void smallImageUploads();
    void partFailsThreeTimes_data();
    void partFailsThreeTimes();
    void finishNotAnswered();
    void startNotAnswered();
    void badlySizedImageIsNotSent_data();
    void badlySizedImageIsNotSent();
    void imageCannotBeOpened_data();
    void imageCannotBeOpened();

private:
    QString writeImage(const QString &name, const QByteArray &bytes);

    QTemporaryDir dir;
};

void TestFirmwareUpload::initTestCase()
{
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
}

QString TestFirmwareUpload::writeImage(const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void TestFirmwareUpload::fullUploadSucceeds()
{
    const QByteArray image = builtInImage();
    QCOMPARE(image.size(), kParts * kPartSize);
    const quint32 stored = littleEndian(image.right(4));

    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kUploadWaitMs));
    const qint64 elapsedMs = clock.elapsed();

    const WorkerRecorder &r = *h.recorder;
    QStringList texts{kStarting};
    QList<int> progress{0};
    for (int n = 1; n <= kParts; ++n) {
        texts.append(partText(n, kParts));
        progress.append(100 * n / kParts);
    }
    texts.append(kSuccess);
    progress.append(100);
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(r.progress(), progress);
    QCOMPARE(r.progress().at(3), 0); // after part 3: 300 / 416
    QCOMPARE(r.progress().at(5), 1); // after part 5
    QCOMPARE(r.names().mid(r.names().size() - 4),
             (QStringList{"updateProgressBar", "stop_timer", "error", "enableTablesContorls"}));
    QCOMPARE(r.argsOf("stop_timer").size(), 1);
    QCOMPARE(r.argsOf("update_timer").size(), 1 + kParts + 1);

    // 106496 bytes travel as 00 01 A0 00; the simulated loader accepted the whole image.
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 1);
    compareRecords(h.sim, image, "0001a000");
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 1);
    QVERIFY(h.sim.withModel([](ControllerModel &m) { return m.firmware.updated(); }));
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.firmware.image(); }), image);

    QVERIFY(log.lines().contains(QStringLiteral("fws: 106496, fwh: %1").arg(hex8(stored))));
    QCOMPARE(log.count(QStringLiteral("part ")), kParts);
    QVERIFY(log.lines().contains(QStringLiteral("part 416. crc32: %1")
                                     .arg(hex8(SimFirmware::loaderCrc(image.right(kPartSize))))));
    qInfo("full upload of %d parts took %lld ms", kParts, elapsedMs);
}

void TestFirmwareUpload::smallImageUploads_data()
{
    QTest::addColumn<int>("parts");
    QTest::addColumn<bool>("slow");
    QTest::addColumn<QByteArray>("sizeHex");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("two parts, prompt answers") << 2 << false << QByteArray("00000200")
                                               << QList<int>{0, 50, 100, 100};
    // Each answer comes later than the time-out a shortened wait would allow: 1000 ms needs
    // the start's 15 x 100 ms, 2000 ms needs the 30000 ms of parts and finish.
    QTest::newRow("three parts, slow answers within the time-outs")
        << 3 << true << QByteArray("00000300") << QList<int>{0, 33, 66, 100, 100};
}

void TestFirmwareUpload::smallImageUploads()
{
    QFETCH(int, parts);
    QFETCH(bool, slow);
    QFETCH(QByteArray, sizeHex);
    QFETCH(QList<int>, progress);

    const QByteArray image = smallImage(parts);
    const QString path = writeImage(QStringLiteral("small.bin"), image);
    QVERIFY(!path.isEmpty());

    WorkerHarness h;
    QVERIFY(h.started());
    if (slow) {
        h.sim.injectFault({SimFault::Late, 1, kSlowStartMs, kFirmwareStart});
        h.sim.injectFault({SimFault::Late, 1, kSlowPartMs, kFirmwarePart});
        h.sim.injectFault({SimFault::Late, 1, kSlowPartMs, kFirmwareFinish});
    }
    LogCapture log;
    h.worker->setFirmwareFileName(path);
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kSmallUploadWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QStringList texts{kStarting};
    for (int n = 1; n <= parts; ++n)
        texts.append(partText(n, parts));
    texts.append(kSuccess);
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(r.progress(), progress);
    QCOMPARE(r.names().mid(r.names().size() - 4),
             (QStringList{"updateProgressBar", "stop_timer", "error", "enableTablesContorls"}));
    QCOMPARE(r.argsOf("update_timer").size(), 1 + parts + 1);

    // Every record went out once: a wait cut shorter than a slow answer sends it again
    // even when the late answer is then taken for the repeat's.
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 1);
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 1);
    QCOMPARE(h.sim.requestCount(), 1 + parts + 1);
    compareRecords(h.sim, image, sizeHex.constData());
    if (QTest::currentTestFailed())
        return;
    QVERIFY(h.sim.withModel([](ControllerModel &m) { return m.firmware.updated(); }));
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.firmware.image(); }), image);
    QVERIFY(log.lines().contains(QStringLiteral("fws: %1, fwh: %2")
                                     .arg(image.size())
                                     .arg(hex8(littleEndian(image.right(4))))));
    QCOMPARE(log.count(QStringLiteral("part ")), parts);
}

void TestFirmwareUpload::partFailsThreeTimes_data()
{
    QTest::addColumn<int>("failing");       // part index, counted from 0
    QTest::addColumn<bool>("finishAnswered");
    QTest::addColumn<int>("lastProgress");
    QTest::newRow("part 2 lost, finish unanswered") << 1 << false << 33;
    QTest::newRow("part 2 lost, finish answered") << 1 << true << 33;
    QTest::newRow("first part lost") << 0 << false << 0;
}

void TestFirmwareUpload::partFailsThreeTimes()
{
    QFETCH(int, failing);
    QFETCH(bool, finishAnswered);
    QFETCH(int, lastProgress);

    const QString path = writeImage(QStringLiteral("lost.bin"), smallImage(kSmallParts));
    QVERIFY(!path.isEmpty());
    WorkerHarness h;
    QVERIFY(h.started());
    SimServer &sim = h.sim;
    const QByteArray finishAnswer =
        sim.withModel([](ControllerModel &m) { return m.frame(kFirmwareFinish, "\xff"); });
    // Three garbled answers to the failing part; the controller would keep quiet after
    // such an upload, so its finish is either noise or forced through by the test.
    if (failing == 0)
        sim.injectFault({SimFault::BadChecksum, 3, 0, kFirmwarePart});
    sim.onExchange = [&sim, failing, finishAnswered, finishAnswer](const QByteArray &request,
                                                                     const QByteArray &) {
        if (failing > 0 && partIndex(request) == failing - 1)
            sim.injectFault({SimFault::BadChecksum, 3, 0, kFirmwarePart});
        if (request.size() > 7 && quint8(request.at(7)) == kFirmwareFinish)
            sim.sendRaw(finishAnswered ? finishAnswer : QByteArray(12, char(0x55)));
    };
    h.worker->setFirmwareFileName(path);
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kSmallUploadWaitMs));
    sim.onExchange = nullptr;

    const WorkerRecorder &r = *h.recorder;
    QStringList texts{kStarting};
    for (int n = 1; n <= failing; ++n)
        texts.append(partText(n, kSmallParts));
    texts << MasterThread::noConnectionText();
    if (!finishAnswered)
        texts << MasterThread::noConnectionText();
    texts << kLineErrors;
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(r.progress().last(), lastProgress);
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    // The part was tried three times, nothing after it was sent, the finish still was.
    QCOMPARE(sim.requestCount(kFirmwarePart), failing + 3);
    QCOMPARE(partIndex(requestsOf(sim, kFirmwarePart).last()), failing);
    QCOMPARE(sim.requestCount(kFirmwareFinish), finishAnswered ? 1 : 2);
    QCOMPARE(quint8(sim.requests().last().at(7)), quint8(kFirmwareFinish));
}

void TestFirmwareUpload::finishNotAnswered()
{
    const QByteArray image = smallImage(kSmallParts);
    const QString path = writeImage(QStringLiteral("unfinished.bin"), image);
    QVERIFY(!path.isEmpty());
    WorkerHarness h;
    QVERIFY(h.started());
    h.sim.withModel([](ControllerModel &m) { m.firmware.failFinish(); });
    // The controller keeps quiet on the finish; noise in its place saves the test two
    // 30-second waits.
    h.sim.injectFault({SimFault::TrailingJunk, 2, 12, kFirmwareFinish});
    // One garbled answer to the second part: the part is sent again and goes through.
    h.sim.onExchange = [&h](const QByteArray &request, const QByteArray &) {
        if (partIndex(request) == 0)
            h.sim.injectFault({SimFault::BadChecksum, 1, 0, kFirmwarePart});
    };
    h.worker->setFirmwareFileName(path);
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kSmallUploadWaitMs));
    h.sim.onExchange = nullptr;

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(),
             (QStringList{kStarting, partText(1, kSmallParts), partText(2, kSmallParts),
                          partText(3, kSmallParts), MasterThread::noConnectionText(),
                          kCrcMismatch}));
    QCOMPARE(r.progress().last(), 100);
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 1);
    QCOMPARE(h.sim.requestCount(kFirmwarePart), kSmallParts + 1);
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 2);
    // The controller holds the whole image; only its word on the finish is missing.
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.firmware.image(); }), image);
}

void TestFirmwareUpload::startNotAnswered()
{
    const QString path = writeImage(QStringLiteral("unstarted.bin"), smallImage(2));
    QVERIFY(!path.isEmpty());
    WorkerHarness h;
    QVERIFY(h.started());
    h.sim.injectFault({SimFault::Silence, 2, 0, kFirmwareStart});
    h.worker->setFirmwareFileName(path);
    QVERIFY(h.runWithoutRows(kFirmwareStart, kShortTabTimeoutMs, kSmallUploadWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(), (QStringList{kStarting, MasterThread::noConnectionText(), kNoDevice}));
    QCOMPARE(r.progress(), QList<int>{0});
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 2);
    QCOMPARE(h.sim.requestCount(), 2);
}

void TestFirmwareUpload::badlySizedImageIsNotSent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty image") << QByteArray();
    QTest::newRow("300 bytes, not whole parts") << smallImage(2).left(300);
}

void TestFirmwareUpload::badlySizedImageIsNotSent()
{
    QFETCH(QByteArray, bytes);
    const QString path = writeImage(QStringLiteral("bad.bin"), bytes);
    QVERIFY(!path.isEmpty());

    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    h.worker->setFirmwareFileName(path);
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kSmallUploadWaitMs));

    // The controller's loader would cut such an image at the wrong places: it is refused
    // with a reason before the start goes out.
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.names(),
             (QStringList{"error", "updateProgressBar", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(), QStringList{refusedText(int(bytes.size()))});
    QCOMPARE(r.progress(), QList<int>{0});
    QCOMPARE(h.sim.requestCount(), 0);
    QVERIFY(log.lines().contains(QStringLiteral("fws: %1, fwh: 00000000").arg(bytes.size())));
}

void TestFirmwareUpload::imageCannotBeOpened_data()
{
    QTest::addColumn<QString>("name"); // inside the temporary folder; empty: the folder itself
    QTest::newRow("missing file") << QStringLiteral("absent.bin");
    QTest::newRow("folder in its place") << QString();
}

void TestFirmwareUpload::imageCannotBeOpened()
{
    QFETCH(QString, name);
    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    h.worker->setFirmwareFileName(name.isEmpty() ? dir.path() : dir.filePath(name));
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kSmallUploadWaitMs));

    // Only the debug log tells; the command ends as every command does.
    QCOMPARE(h.recorder->names(),
             (QStringList{"error", "updateProgressBar", "enableTablesContorls"}));
    QCOMPARE(h.recorder->statusTexts().first(),
             QStringLiteral("Не удалось обновить прошивку: не могу открыть файл прошивки."));
    QCOMPARE(h.recorder->progress(), QList<int>{0});
    QCOMPARE(h.sim.requestCount(), 0);
    QVERIFY(log.lines().contains(kCannotOpen));
    QCOMPARE(log.count(QStringLiteral("fws: ")), 0);
}

QTEST_MAIN(TestFirmwareUpload)
#include "tst_firmwareupload.moc"

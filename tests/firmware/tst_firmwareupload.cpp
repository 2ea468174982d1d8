// The firmware update on the worker against the simulated controller on a pseudo-terminal:
// the whole built-in image, a part lost on the line, a finish that is not answered and a
// start that is not answered.

#include "sim/simfirmware.h"
#include "tests/support/logcapture.h"
#include "tests/support/workerharness.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr int kFirmwareStart = 129;
constexpr int kFirmwarePart = 130;
constexpr int kFirmwareFinish = 132;
constexpr int kParts = 416;
constexpr int kPartFrameSize = 272;
// A full upload on a quiet line takes well under a minute; failures add little.
constexpr int kUploadWaitMs = 180000;
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

QString hex8(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

QString partText(int n)
{
    return QStringLiteral("Обновление прошивки часть %1 из %2...").arg(n).arg(kParts);
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

} // namespace

class TestFirmwareUpload : public QObject
{
    Q_OBJECT

private slots:
    void fullUploadSucceeds();
    void partFailsThreeTimes_data();
    void partFailsThreeTimes();
    void finishNotAnswered();
    void startNotAnswered();
};

void TestFirmwareUpload::fullUploadSucceeds()
{
    const QByteArray image = builtInImage();
    QCOMPARE(image.size(), kParts * 256);
    const quint32 stored = littleEndian(image.right(4));

    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(h.runWithoutRows(kFirmwareStart, 100, kUploadWaitMs));
    const qint64 elapsedMs = clock.elapsed();

    const WorkerRecorder &r = *h.recorder;
    QStringList texts{kStarting};
    QList<int> progress{0};
    for (int n = 1; n <= kParts; ++n) {
        texts.append(partText(n));
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

    // On the line: the start announces size and the image's own CRC, each part carries
    // its bytes and their CRC, and the simulated loader accepted the whole image.
    const QList<QByteArray> starts = requestsOf(h.sim, kFirmwareStart);
    QCOMPARE(starts.size(), 1);
    QCOMPARE(starts.first().mid(8, 9).toHex(),
             (QByteArray::fromHex("ff0001a000") + bigEndian(stored, 4)).toHex());
    const QList<QByteArray> parts = requestsOf(h.sim, kFirmwarePart);
    QCOMPARE(parts.size(), kParts);
    for (int index : {0, 1, kParts - 1}) {
        const QByteArray data = image.mid(index * 256, 256);
        QCOMPARE(partIndex(parts[index]), index);
        QCOMPARE(parts[index].mid(11, 4).toHex(),
                 bigEndian(SimFirmware::loaderCrc(data), 4).toHex());
        QCOMPARE(parts[index].mid(15, 256), data);
    }
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 1);
    QVERIFY(h.sim.withModel([](ControllerModel &m) { return m.firmware.updated(); }));
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.firmware.image(); }), image);

    QVERIFY(log.lines().contains(QStringLiteral("fws: 106496, fwh: %1").arg(hex8(stored))));
    QCOMPARE(log.count(QStringLiteral("part ")), kParts);
    QVERIFY(log.lines().contains(QStringLiteral("part 416. crc32: %1")
                                     .arg(hex8(SimFirmware::loaderCrc(image.right(256))))));
    qInfo("full upload of %d parts took %lld ms", kParts, elapsedMs);
}

void TestFirmwareUpload::partFailsThreeTimes_data()
{
    QTest::addColumn<int>("failing");       // part index, counted from 0
    QTest::addColumn<bool>("finishAnswered");
    QTest::addColumn<int>("lastProgress");
    QTest::newRow("part 6 lost, finish unanswered") << 5 << false << 1;
    QTest::newRow("part 6 lost, finish answered") << 5 << true << 1;
    QTest::newRow("first part lost") << 0 << false << 0;
}

void TestFirmwareUpload::partFailsThreeTimes()
{
    QFETCH(int, failing);
    QFETCH(bool, finishAnswered);
    QFETCH(int, lastProgress);

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
    QVERIFY(h.runWithoutRows(kFirmwareStart, 100, kUploadWaitMs));
    sim.onExchange = nullptr;

    const WorkerRecorder &r = *h.recorder;
    QStringList texts{kStarting};
    for (int n = 1; n <= failing; ++n)
        texts.append(partText(n));
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
    WorkerHarness h;
    QVERIFY(h.started());
    h.sim.withModel([](ControllerModel &m) { m.firmware.failFinish(); });
    // The controller keeps quiet on the finish; noise in its place saves the test two
    // 30-second waits.
    h.sim.injectFault({SimFault::TrailingJunk, 2, 12, kFirmwareFinish});
    // Slow answers within the command's time-outs: the start may take 15 times the line's
    // 100 ms, a part up to 30 s; one garbled part answer is sent again.
    h.sim.injectFault({SimFault::Late, 1, 1000, kFirmwareStart});
    h.sim.onExchange = [&h](const QByteArray &request, const QByteArray &) {
        if (partIndex(request) == 9)
            h.sim.injectFault({SimFault::Late, 1, 2000, kFirmwarePart});
        if (partIndex(request) == 19)
            h.sim.injectFault({SimFault::BadChecksum, 1, 0, kFirmwarePart});
    };
    QVERIFY(h.runWithoutRows(kFirmwareStart, 100, kUploadWaitMs));
    h.sim.onExchange = nullptr;

    const WorkerRecorder &r = *h.recorder;
    const QStringList texts = r.statusTexts();
    QCOMPARE(texts.size(), 1 + kParts + 2);
    QCOMPARE(texts.at(kParts), partText(kParts));
    QCOMPARE(texts.at(kParts + 1), MasterThread::noConnectionText());
    QCOMPARE(texts.last(), kCrcMismatch);
    QCOMPARE(r.progress().last(), 100);
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 1);
    QCOMPARE(h.sim.requestCount(kFirmwarePart), kParts + 1);
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 2);
}

void TestFirmwareUpload::startNotAnswered()
{
    WorkerHarness h;
    QVERIFY(h.started());
    h.sim.injectFault({SimFault::Silence, 2, 0, kFirmwareStart});
    QVERIFY(h.runWithoutRows(kFirmwareStart, 100, kUploadWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(), (QStringList{kStarting, MasterThread::noConnectionText(), kNoDevice}));
    QCOMPARE(r.progress(), QList<int>{0});
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 2);
    QCOMPARE(h.sim.requestCount(), 2);
}

QTEST_MAIN(TestFirmwareUpload)
#include "tst_firmwareupload.moc"

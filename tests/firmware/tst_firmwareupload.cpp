// The firmware update on the worker against the simulated controller on a pseudo-terminal:
// one upload of the whole built-in image, then small images of a few parts for the slow
// answers, a part lost on the line, a finish that is not answered, a start that is not
// answered, and images the worker must not send at all.

#include "firmware/crc32.h"
#include "sim/simfirmware.h"
#include "tests/support/logcapture.h"
#include "tests/support/workerharness.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

constexpr int kFirmwareStart = 129;
constexpr int kFirmwarePart = 130;
constexpr int kFirmwareFinish = 132;
constexpr int kPartSize = 256;
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

const QString kSuccess = QStringLiteral(
    "Прошивка успешно обновлена. Контроллер в течение 1 минуты перезагрузится (тройное мигание "
    "тремя светодиодами) и перейдет в обычный режим работы.");
const QString kLineErrors = QStringLiteral("Не удалось обновить прошивку. Ошибки на линии.");

// The status texts of an upload of `parts` parts up to part `sent`.
QStringList partTexts(int sent, int parts)
{
    QStringList texts{QStringLiteral("Начинаем обновлять прошивку...")};
    for (int n = 1; n <= sent; ++n)
        texts.append(QStringLiteral("Обновление прошивки часть %1 из %2...").arg(n).arg(parts));
    return texts;
}

// An image of `parts` parts as the build makes one: a pattern that differs from part to
// part, closed by the CRC of the bytes before it, little-endian.
QByteArray smallImage(int parts)
{
    QByteArray image(parts * kPartSize - 4, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 131 + (i / kPartSize) * 29 + 5) & 0xFF);
    const quint32 crc = qToLittleEndian(Firmware::crc32(image));
    return image.append(reinterpret_cast<const char *>(&crc), 4);
}

QString hex8(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

quint32 storedCrc(const QByteArray &image)
{
    return qFromLittleEndian<quint32>(image.constData() + image.size() - 4);
}

// The index a part request carries, -1 for any other request.
int partIndex(const QByteArray &request)
{
    return request.size() == 16 + kPartSize && quint8(request.at(7)) == kFirmwarePart
        ? qFromBigEndian<quint16>(request.constData() + 9)
        : -1;
}

QByteArray simImage(WorkerHarness &h)
{
    return h.sim.withModel([](ControllerModel &m) { return m.firmware.image(); });
}

} // namespace

class TestFirmwareUpload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(dir.isValid(), qPrintable(dir.errorString())); }
    void fullUploadSucceeds();
    void slowAnswersWithinTimeouts();
    void partFailsThreeTimes_data();
    void partFailsThreeTimes();
    void finishNotAnswered();
    void startNotAnswered();
    void badImageIsNotSent_data();
    void badImageIsNotSent();

private:
    // Writes `bytes` as the image the worker is to send; the harness must have started.
    bool useImage(WorkerHarness &h, const QByteArray &bytes);

    QTemporaryDir dir;
};

bool TestFirmwareUpload::useImage(WorkerHarness &h, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    QFile file(path);
    if (!h.started() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes) != bytes.size())
        return false;
    h.worker->setFirmwareFileName(path);
    return true;
}

void TestFirmwareUpload::fullUploadSucceeds()
{
    QFile file(QStringLiteral(":/firmware/LUMARO_T3_APP_RELEASE_1.4.4.bin"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    constexpr int kParts = 416;
    QCOMPARE(image.size(), kParts * kPartSize);

    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kUploadWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(), partTexts(kParts, kParts) << kSuccess);
    QCOMPARE(r.progress().size(), 1 + kParts + 1);
    QCOMPARE(r.progress().at(3), 0); // after part 3: 300 / 416
    QCOMPARE(r.progress().at(5), 1); // after part 5
    QCOMPARE(r.progress().at(kParts), 100);
    QCOMPARE(r.names().mid(r.names().size() - 4),
             (QStringList{"updateProgressBar", "stop_timer", "error", "enableTablesContorls"}));
    QCOMPARE(r.argsOf("stop_timer").size(), 1);
    QCOMPARE(r.argsOf("update_timer").size(), 1 + kParts + 1);

    // The start announces 106496 bytes as 00 01 A0 00 and the stored CRC; each part carries
    // its index, the CRC of its bytes and the bytes.
    const QList<QByteArray> starts = h.sim.requests(kFirmwareStart);
    QCOMPARE(starts.size(), 1);
    QCOMPARE(starts.first().mid(8, 9).toHex(),
             QByteArray("ff0001a000") + hex8(storedCrc(image)).toLatin1());
    const QList<QByteArray> parts = h.sim.requests(kFirmwarePart);
    QCOMPARE(parts.size(), kParts);
    for (int index : {0, 1, kParts - 1}) {
        const QByteArray data = image.mid(index * kPartSize, kPartSize);
        QCOMPARE(partIndex(parts[index]), index);
        QCOMPARE(qFromBigEndian<quint32>(parts[index].constData() + 11),
                 SimFirmware::loaderCrc(data));
        QCOMPARE(parts[index].mid(15, kPartSize), data);
    }
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 1);
    QVERIFY(h.sim.withModel([](ControllerModel &m) { return m.firmware.updated(); }));
    QCOMPARE(simImage(h), image);

    QVERIFY(log.lines().contains(QStringLiteral("fws: 106496, fwh: %1").arg(hex8(storedCrc(image)))));
    QCOMPARE(log.count(QStringLiteral("part ")), kParts);
    QVERIFY(log.lines().contains(QStringLiteral("part 416. crc32: %1")
                                     .arg(hex8(SimFirmware::loaderCrc(image.right(kPartSize))))));
}

void TestFirmwareUpload::slowAnswersWithinTimeouts()
{
    // Each answer comes later than the time-out a shortened wait would allow: 1000 ms needs
    // the start's 15 x 100 ms, 2000 ms needs the 30000 ms of parts and finish.
    const QByteArray image = smallImage(kSmallParts);
    WorkerHarness h;
    QVERIFY(useImage(h, image));
    h.sim.injectFault({SimFault::Late, 1, kSlowStartMs, kFirmwareStart});
    h.sim.injectFault({SimFault::Late, 1, kSlowPartMs, kFirmwarePart});
    h.sim.injectFault({SimFault::Late, 1, kSlowPartMs, kFirmwareFinish});
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kUploadWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(), partTexts(kSmallParts, kSmallParts) << kSuccess);
    QCOMPARE(r.progress(), (QList<int>{0, 33, 66, 100, 100}));
    QCOMPARE(r.argsOf("stop_timer").size(), 1);
    // Every record went out once: a wait cut shorter than a slow answer sends it again
    // even when the late answer is then taken for the repeat's.
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 1);
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 1);
    QCOMPARE(h.sim.requestCount(), 1 + kSmallParts + 1);
    QCOMPARE(simImage(h), image);
}

void TestFirmwareUpload::partFailsThreeTimes_data()
{
    QTest::addColumn<int>("failing"); // part index, counted from 0
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
    WorkerHarness h;
    QVERIFY(useImage(h, smallImage(kSmallParts)));
    SimServer &sim = h.sim;
    const QByteArray finishAnswer =
        sim.withModel([](ControllerModel &m) { return m.frame(kFirmwareFinish, "\xff"); });
    // Three garbled answers to the failing part; the controller would keep quiet after
    // such an upload, so its finish is either noise or forced through by the test.
    if (failing == 0)
        sim.injectFault({SimFault::BadChecksum, 3, 0, kFirmwarePart});
    sim.setOnExchange([&sim, failing, finishAnswered, finishAnswer](const QByteArray &request,
                                                                      const QByteArray &) {
        if (failing > 0 && partIndex(request) == failing - 1)
            sim.injectFault({SimFault::BadChecksum, 3, 0, kFirmwarePart});
        if (request.size() > 7 && quint8(request.at(7)) == kFirmwareFinish)
            sim.sendRaw(finishAnswered ? finishAnswer : QByteArray(12, char(0x55)));
    });
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kUploadWaitMs));
    sim.setOnExchange(nullptr);

    const WorkerRecorder &r = *h.recorder;
    QStringList texts = partTexts(failing, kSmallParts) << MasterThread::noConnectionText();
    if (!finishAnswered)
        texts << MasterThread::noConnectionText();
    QCOMPARE(r.statusTexts(), texts << kLineErrors);
    QCOMPARE(r.progress().last(), lastProgress);
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    // The part was tried three times, nothing after it was sent, the finish still was.
    QCOMPARE(sim.requestCount(kFirmwarePart), failing + 3);
    QCOMPARE(partIndex(sim.requests(kFirmwarePart).last()), failing);
    QCOMPARE(sim.requestCount(kFirmwareFinish), finishAnswered ? 1 : 2);
    QCOMPARE(quint8(sim.requests().last().at(7)), quint8(kFirmwareFinish));
}

void TestFirmwareUpload::finishNotAnswered()
{
    const QByteArray image = smallImage(kSmallParts);
    WorkerHarness h;
    QVERIFY(useImage(h, image));
    h.sim.withModel([](ControllerModel &m) { m.firmware.failFinish(); });
    // The controller keeps quiet on the finish; noise in its place saves the test two
    // 30-second waits.
    h.sim.injectFault({SimFault::TrailingJunk, 2, 12, kFirmwareFinish});
    // One garbled answer to the second part: the part is sent again and goes through.
    h.sim.setOnExchange([&h](const QByteArray &request, const QByteArray &) {
        if (partIndex(request) == 0)
            h.sim.injectFault({SimFault::BadChecksum, 1, 0, kFirmwarePart});
    });
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kUploadWaitMs));
    h.sim.setOnExchange(nullptr);

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(),
             partTexts(kSmallParts, kSmallParts)
                 << MasterThread::noConnectionText()
                 << "Не удалось обновить прошивку. Контрольные суммы различаются. Повторите попытку.");
    QCOMPARE(r.progress().last(), 100);
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    QCOMPARE(h.sim.requestCount(kFirmwarePart), kSmallParts + 1);
    QCOMPARE(h.sim.requestCount(kFirmwareFinish), 2);
    // The controller holds the whole image; only its word on the finish is missing.
    QCOMPARE(simImage(h), image);
}

void TestFirmwareUpload::startNotAnswered()
{
    WorkerHarness h;
    QVERIFY(useImage(h, smallImage(2)));
    h.sim.injectFault({SimFault::Silence, 2, 0, kFirmwareStart});
    QVERIFY(h.runWithoutRows(kFirmwareStart, kShortTabTimeoutMs, kUploadWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(),
             partTexts(0, 2) << MasterThread::noConnectionText()
                             << "Не удалось подключиться к устройству. Проверьте что устройство "
                                "находится в режиме настройки.");
    QCOMPARE(r.progress(), QList<int>{0});
    QVERIFY(r.argsOf("stop_timer").isEmpty());
    QCOMPARE(h.sim.requestCount(kFirmwareStart), 2);
    QCOMPARE(h.sim.requestCount(), 2);
}

void TestFirmwareUpload::badImageIsNotSent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("file"); // instead of the written image; empty: the image
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("logLine");
    const QString sized = QStringLiteral("Не удалось обновить прошивку. Образ прошивки повреждён: "
                                         "его размер (%1 байт) должен быть больше нуля и кратен 256.");
    const QString unopened = QStringLiteral("Не удалось обновить прошивку: не могу открыть файл прошивки.");
    // The controller's loader would cut such an image at the wrong places: it is refused
    // with a reason before the start goes out.
    QTest::newRow("empty image") << QByteArray() << QString() << sized.arg(0)
                                 << "fws: 0, fwh: 00000000";
    QTest::newRow("300 bytes, not whole parts") << smallImage(2).left(300) << QString()
                                                << sized.arg(300) << "fws: 300, fwh: 00000000";
    QTest::newRow("missing file") << QByteArray() << "absent.bin" << unopened
                                  << "НЕ МОГУ ОТКРЫТЬ ФАЙЛ ПРОШИВКИ.";
    QTest::newRow("folder in its place") << QByteArray() << "." << unopened
                                         << "НЕ МОГУ ОТКРЫТЬ ФАЙЛ ПРОШИВКИ.";
}

void TestFirmwareUpload::badImageIsNotSent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, file);
    QFETCH(QString, status);
    QFETCH(QString, logLine);
    WorkerHarness h;
    QVERIFY(useImage(h, bytes));
    if (!file.isEmpty())
        h.worker->setFirmwareFileName(dir.filePath(file));
    LogCapture log;
    QVERIFY(h.runWithoutRows(kFirmwareStart, kTabTimeoutMs, kUploadWaitMs));

    QCOMPARE(h.recorder->names(), (QStringList{"error", "updateProgressBar", "enableTablesContorls"}));
    QCOMPARE(h.recorder->statusTexts(), QStringList{status});
    QCOMPARE(h.recorder->progress(), QList<int>{0});
    QCOMPARE(h.sim.requestCount(), 0);
    QVERIFY2(log.lines().contains(logLine), qPrintable(log.lines().join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestFirmwareUpload)
#include "tst_firmwareupload.moc"

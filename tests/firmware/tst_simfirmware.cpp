// The simulated controller's side of the firmware update: what it answers, what it
// refuses in silence, and what it ends up holding.

#include "firmware/crc32.h"
#include "firmware/firmwarerecord.h"
#include "sim/simfirmware.h"

#include <QtTest>

namespace {

constexpr int kPart = 256;

// A three-part image whose last four bytes hold the CRC of the bytes before them.
QByteArray image(int parts = 3, bool brokenTrailer = false)
{
    QByteArray out(parts * kPart, '\0');
    for (int i = 0; i < out.size(); ++i)
        out[i] = char((i * 11 + 1) & 0xFF);
    const int body = int(out.size()) - 4;
    quint32 crc = Firmware::crc32(out.constData(), body);
    if (brokenTrailer)
        crc ^= 1;
    for (int k = 0; k < 4; ++k)
        out[body + k] = char((crc >> (8 * k)) & 0xFF);
    return out;
}

QByteArray partRequest(const QByteArray &img, int index, bool badCrc = false)
{
    const QByteArray data = FirmwareRecord::part(img, index);
    const quint32 crc = Firmware::crc32(data) ^ (badCrc ? 1u : 0u);
    return FirmwareRecord::partPayload(quint16(index), crc, data);
}

} // namespace

class TestSimFirmware : public QObject
{
    Q_OBJECT

private slots:
    void upload_data();
    void upload();
};

void TestSimFirmware::upload_data()
{
    QTest::addColumn<QByteArray>("img");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("silent"); // indexes of the steps that get no answer
    QTest::addColumn<bool>("updated");

    const QByteArray good = image();
    QTest::newRow("bad part CRC dropped, resent part accepted")
        << good << QStringList{"start", "p0", "p1 bad", "p1", "p2", "finish"} << QList<int>{2}
        << true;
    QTest::newRow("missing part: finish unanswered")
        << good << QStringList{"start", "p0", "p2", "finish"} << QList<int>{3} << false;
    QTest::newRow("announced CRC differs: finish unanswered")
        << good << QStringList{"start bad", "p0", "p1", "p2", "finish"} << QList<int>{4} << false;
    QTest::newRow("stored CRC differs: finish unanswered")
        << image(3, true) << QStringList{"start body", "p0", "p1", "p2", "finish"}
        << QList<int>{4} << false;
    // The upload counts a lone part whole, stored CRC included; the loader does not.
    QTest::newRow("single part announced whole: finish unanswered")
        << image(1) << QStringList{"start", "p0", "finish"} << QList<int>{2} << false;
    QTest::newRow("part and finish before start")
        << good << QStringList{"p0", "finish"} << QList<int>{0, 1} << false;
    QTest::newRow("size not whole parts: start unanswered")
        << good << QStringList{"start 700", "p0"} << QList<int>{0, 1} << false;
    QTest::newRow("short part") << good << QStringList{"start", "p0 short"} << QList<int>{1}
                                << false;
    QTest::newRow("told to fail part 1 twice")
        << good << QStringList{"fail p1", "start", "p0", "p1", "p1", "p1", "p2", "finish"}
        << QList<int>{3, 4} << true;
}

void TestSimFirmware::upload()
{
    QFETCH(QByteArray, img);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, silent);
    QFETCH(bool, updated);

    SimFirmware sim;
    const SimContext context;
    const quint32 size = quint32(img.size());
    for (int i = 0; i < steps.size(); ++i) {
        const QString &step = steps[i];
        SimAnswer answer;
        if (step == QLatin1String("fail p1")) {
            sim.failPart(1, 2);
            continue;
        }
        if (step.startsWith(QLatin1String("start"))) {
            quint32 crc = FirmwareRecord::imageCrc(img);
            if (step == QLatin1String("start bad"))
                crc ^= 0x80;
            if (step == QLatin1String("start body"))
                crc = Firmware::crc32(img.constData(), img.size() - 4);
            const quint32 announced = step == QLatin1String("start 700") ? 700 : size;
            answer = sim.answer(129, FirmwareRecord::startPayload(announced, crc), context);
        } else if (step.startsWith(QLatin1Char('p'))) {
            QByteArray payload =
                partRequest(img, step.mid(1, 1).toInt(), step.endsWith(QLatin1String("bad")));
            if (step.endsWith(QLatin1String("short")))
                payload.chop(1);
            answer = sim.answer(130, payload, context);
        } else {
            answer = sim.answer(132, QByteArray(1, char(0xFF)), context);
        }
        QVERIFY2(answer.silent == silent.contains(i), qPrintable(step));
    }
    QCOMPARE(sim.updated(), updated);
    if (updated)
        QCOMPARE(sim.image(), img);
}

QTEST_MAIN(TestSimFirmware)
#include "tst_simfirmware.moc"

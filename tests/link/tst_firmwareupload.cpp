// The firmware update over a scripted line: the built-in image whole, then small images of a
// few parts for lost parts, a finish that is not answered, a start that is not answered, and
// images that must not be sent at all.

#include "protocol/firmware/crc32.h"
#include "sim/simfirmware.h"
#include "tests/support/scriptedline.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using Replies = QList<ScriptedLine::Reply>;

namespace {

constexpr int kStart = 129;
constexpr int kPart = 130;
constexpr int kFinish = 132;
constexpr int kPartSize = 256;

const QString kSuccess = QStringLiteral(
    "Прошивка успешно обновлена. Контроллер в течение 1 минуты перезагрузится (тройное мигание "
    "тремя светодиодами) и перейдет в обычный режим работы.");

// The status texts of an upload of `parts` parts up to part `sent`.
QStringList partTexts(int sent, int parts)
{
    QStringList texts{QStringLiteral("Начинаем обновлять прошивку...")};
    for (int n = 1; n <= sent; ++n)
        texts.append(QStringLiteral("Обновление прошивки часть %1 из %2...").arg(n).arg(parts));
    return texts;
}

// An image of `parts` parts as the build makes one: a pattern that differs from part to
// part, closed by the CRC of the bytes before it, little-endian; `crcFlip` spoils that CRC.
QByteArray smallImage(int parts, quint32 crcFlip = 0)
{
    QByteArray image(parts * kPartSize - 4, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 131 + (i / kPartSize) * 29 + 5) & 0xFF);
    const quint32 crc = qToLittleEndian(Firmware::crc32(image) ^ crcFlip);
    return image.append(reinterpret_cast<const char *>(&crc), 4);
}

void useImage(ScriptedLine &line, const QByteArray &image)
{
    line.firmwareFile = std::make_unique<QBuffer>();
    static_cast<QBuffer &>(*line.firmwareFile).setData(image);
}

} // namespace

class TestFirmwareUpload : public QObject
{
    Q_OBJECT

private slots:
    void builtInImage();
    void failures_data();
    void failures();
    void badImageIsNotSent_data();
    void badImageIsNotSent();
};

void TestFirmwareUpload::builtInImage()
{
    QFile file(QStringLiteral(":/firmware/LUMARO_T3_APP_RELEASE_1.4.4.bin"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    constexpr int kParts = 416;
    QCOMPARE(image.size(), kParts * kPartSize);
    ScriptedLine line;
    line.firmwareFile = std::make_unique<QFile>(file.fileName());
    QVERIFY(line.run(kStart, {}, 100));

    const EventLog &r = line.log;
    QCOMPARE(r.statusTexts(), partTexts(kParts, kParts) << kSuccess);
    QCOMPARE(r.progress().size(), 1 + kParts + 1);
    QCOMPARE(r.progress().at(3), 0); // after part 3: 300 / 416
    QCOMPARE(r.progress().at(5), 1); // after part 5
    QCOMPARE(r.progress().at(kParts), 100);
    QCOMPARE(r.trace().mid(r.events.size() - 3), (QStringList{"updateProgressBar 100", "stop_timer", "error " + kSuccess}));
    QCOMPARE(r.argsOf("update_timer").size(), 1 + kParts + 1);

    // The start announces 106496 bytes as 00 01 A0 00 and the stored CRC, waiting 15 times
    // the time-out; each part carries its index, the CRC of its bytes and the bytes, and
    // waits 30 s like the finish, for the controller writes its flash first.
    const quint32 storedCrc = qFromLittleEndian<quint32>(image.constData() + image.size() - 4);
    QCOMPARE(line.payloads(kStart).value(0).toHex(),
             QByteArray("ff0001a000") + QByteArray::number(storedCrc, 16).rightJustified(8, '0'));
    QCOMPARE(line.sent.at(0).timeoutMs, 1500);
    const QList<QByteArray> parts = line.payloads(kPart);
    QCOMPARE(parts.size(), kParts);
    for (int index : {0, 1, kParts - 1}) {
        const QByteArray data = image.mid(index * kPartSize, kPartSize);
        QCOMPARE(qFromBigEndian<quint16>(parts[index].constData() + 1), quint16(index));
        QCOMPARE(qFromBigEndian<quint32>(parts[index].constData() + 3), SimFirmware::loaderCrc(data));
        QCOMPARE(parts[index].mid(7), data);
        QCOMPARE(line.sent.at(1 + index).timeoutMs, 30000);
    }
    QCOMPARE(line.commands().last(), kFinish);
    QCOMPARE(line.sent.last().timeoutMs, 30000);
    QVERIFY(line.model.firmware.updated());
    QCOMPARE(line.model.firmware.image(), image);
}

void TestFirmwareUpload::failures_data()
{
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<quint32>("crcFlip");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("commands");
    QTest::addColumn<int>("lastProgress");

    const ScriptedLine::Reply m = ScriptedLine::Model;
    const QByteArray noise(12, char(0x55));
    const QByteArray finishAnswer = ControllerModel().frame(kFinish, "\xff");
    const QString noLink = CommandLine::noConnectionText();
    const QString lineErrors = QStringLiteral("Не удалось обновить прошивку. Ошибки на линии.");
    // The controller stays quiet on the finish after a lost part.
    QTest::newRow("part 2 lost, finish unanswered")
        << Replies{m, m, noise, noise, noise} << 0u
        << (partTexts(1, 3) << noLink << noLink << lineErrors)
        << QList<int>{kStart, kPart, kPart, kPart, kPart, kFinish, kFinish} << 33;
    QTest::newRow("part 2 lost, finish answered")
        << Replies{m, m, noise, noise, noise, finishAnswer} << 0u
        << (partTexts(1, 3) << noLink << lineErrors)
        << QList<int>{kStart, kPart, kPart, kPart, kPart, kFinish} << 33;
    QTest::newRow("first part lost") << Replies{m, noise, noise, noise} << 0u
                                     << (partTexts(0, 3) << noLink << noLink << lineErrors)
                                     << QList<int>{kStart, kPart, kPart, kPart, kFinish, kFinish}
                                     << 0;
    // One garbled answer to the second part: it is sent again and goes through. The image's
    // own CRC does not match its bytes, so the controller's loader refuses it at the finish.
    QTest::newRow("spoilt stored CRC refused after a repeated part")
        << Replies{m, m, noise} << 0x10u
        << (partTexts(3, 3) << noLink
                            << "Не удалось обновить прошивку. Контрольные суммы различаются. "
                               "Повторите попытку.")
        << QList<int>{kStart, kPart, kPart, kPart, kPart, kFinish, kFinish} << 100;
    // The finish still closes the update, asked once at the tab's time-out.
    QTest::newRow("stopped before part 2")
        << Replies{m, m, ScriptedLine::Stop} << 0u
        << (partTexts(1, 3) << noLink
                            << "Обновление прошивки прервано: передано частей 1 из 3.")
        << QList<int>{kStart, kPart, kFinish} << 33;
    QTest::newRow("start unanswered")
        << Replies{ScriptedLine::Silence, ScriptedLine::Silence} << 0u
        << (partTexts(0, 3) << noLink
                            << "Не удалось подключиться к устройству. Проверьте что устройство "
                               "находится в режиме настройки.")
        << QList<int>{kStart, kStart} << 0;
}

void TestFirmwareUpload::failures()
{
    QFETCH(Replies, replies);
    QFETCH(quint32, crcFlip);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, commands);
    QFETCH(int, lastProgress);
    ScriptedLine line;
    const QByteArray image = smallImage(3, crcFlip);
    useImage(line, image);
    line.script = replies;
    QVERIFY(line.run(kStart, {}, 100));
    QCOMPARE(line.log.statusTexts(), texts);
    QCOMPARE(line.commands(), commands);
    QCOMPARE(line.log.progress().last(), lastProgress);
    QCOMPARE(line.log.argsOf("stop_timer").size(), texts.last() == kSuccess ? 1 : 0);
    QCOMPARE(line.sent.last().timeoutMs, commands.size() == 3 ? 100 : commands.last() == kStart ? 1500 : 30000);
    if (lastProgress == 100)
        QCOMPARE(line.model.firmware.image(), image);
}

void TestFirmwareUpload::badImageIsNotSent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("file"); // instead of the image in memory; empty: the image
    QTest::addColumn<QString>("status");
    const QString sized = QStringLiteral("Не удалось обновить прошивку. Образ прошивки повреждён: "
                                         "его размер (%1 байт) должен быть больше нуля и кратен 256.");
    const QString unopened = QStringLiteral("Не удалось обновить прошивку: не могу открыть файл прошивки.");
    // The controller's loader would cut such an image at the wrong places.
    QTest::newRow("empty image") << QByteArray() << QString() << sized.arg(0);
    QTest::newRow("300 bytes, not whole parts") << smallImage(2).left(300) << QString() << sized.arg(300);
    QTest::newRow("missing file") << QByteArray() << "absent.bin" << unopened;
}

void TestFirmwareUpload::badImageIsNotSent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, file);
    QFETCH(QString, status);
    QTemporaryDir dir;
    ScriptedLine line;
    useImage(line, bytes);
    if (!file.isEmpty())
        line.firmwareFile = std::make_unique<QFile>(dir.filePath(file));
    QVERIFY(line.run(kStart));
    QCOMPARE(line.log.trace(), (QStringList{"error " + status, "updateProgressBar 0"}));
    QVERIFY(line.sent.isEmpty());
}

QTEST_MAIN(TestFirmwareUpload)
#include "tst_firmwareupload.moc"

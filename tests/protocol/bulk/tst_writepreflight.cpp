// The decisions before a write, as the window and lumaro-cli both take them: which questions,
// in which order, and what refuses the write.

#include "protocol/bulk/writepreflight.h"

#include <QtTest>

using WritePreflight::AnalogRow;
using WritePreflight::DigitalRow;
using WritePreflight::Step;
using WritePreflight::Steps;

Q_DECLARE_METATYPE(QList<AnalogRow>)
Q_DECLARE_METATYPE(QList<DigitalRow>)

namespace {

// Steps as "Q:title", "R:text" or "N:text", one line each.
QString shown(const Steps &steps)
{
    QStringList lines;
    for (const Step &s : steps) {
        const char *kind = s.kind == Step::Question ? "Q:" : s.kind == Step::Refusal ? "R:" : "N:";
        lines << QLatin1String(kind) + (s.kind == Step::Question ? s.title : s.text);
    }
    return lines.join(QLatin1Char('\n'));
}

// Device code, input, serial, LK and ST as shown; scale 1/1.
AnalogRow analogRow(int index, int code, int input, double lk = 0, double st = 0,
                    const QString &serial = QString())
{
    AnalogRow r;
    r.index = index;
    r.settings.deviceCode = code;
    r.settings.input = input;
    r.settings.serial = serial;
    r.settings.multiplier = 1;
    r.settings.divider = 1;
    r.lk = lk;
    r.st = st;
    return r;
}

AnalogRow unchanged(AnalogRow r)
{
    r.changed = false;
    return r;
}

DigitalRow digitalRow(int index, int code, int protocol, const QString &address, bool changed,
                      const QString &password = QString())
{
    DigitalRow r;
    r.index = index;
    r.settings.deviceCode = code;
    r.settings.protocol = protocol;
    r.settings.address = address;
    r.settings.password = password;
    r.changed = changed;
    return r;
}

const QString kBadPair =
    QStringLiteral("R:Неверная конфигурация для 1 канала! Несоответствие типов устройства и входа.");

} // namespace

class TestWritePreflight : public QObject
{
    Q_OBJECT

private slots:
    void controller_data()
    {
        QTest::addColumn<QString>("hardware");
        QTest::addColumn<int>("psm");
        QTest::addColumn<int>("poll");
        QTest::addColumn<QString>("apiGet");
        QTest::addColumn<int>("analogCode"); // of the one analog channel
        QTest::addColumn<QString>("steps");
        const QString psm = QStringLiteral("Q:PSM-режим");
        const QString zeroPoll = QStringLiteral(
            "R:Для контактного датчика в настройках контроллера необходимо установить ненулевой "
            "период опроса контактных датчиков.");
        QTest::newRow("costly PSM asks") << "8.2" << 1 << 60 << "/get" << 1 << psm;
        QTest::newRow("PSM on 8.1 is fine") << "8.1" << 1 << 60 << "/get" << 1 << "";
        QTest::newRow("PSM off asks nothing") << "7.2" << 0 << 60 << "/get" << 1 << "";
        QTest::newRow("zero poll with a contact sensor") << "8.1" << 0 << 0 << "/get" << 9 << zeroPoll;
        QTest::newRow("zero poll without one") << "8.1" << 0 << 0 << "/get" << 1 << "";
        QTest::newRow("PSM asked before the refusal") << "7.2" << 1 << 0 << "/get" << 9
                                                      << psm + QLatin1Char('\n') + zeroPoll;
        QTest::newRow("path of 33 bytes")
            << "8.1" << 0 << 60 << QString(33, QLatin1Char('p')) << 1
            << "R:Поле API_GET не помещается в память контроллера: не более 32 байт в кодировке "
               "UTF-8 (русская буква занимает 2 байта). Сократите текст, настройки не записаны.";
    }

    void controller()
    {
        QFETCH(QString, hardware);
        QFETCH(int, psm);
        QFETCH(int, poll);
        QFETCH(QString, apiGet);
        QFETCH(int, analogCode);
        QFETCH(QString, steps);
        ControllerSettings s;
        s.psm = quint32(psm);
        s.contactPollPeriodSeconds = quint32(poll);
        s.serverIp = QStringLiteral("10.0.0.1");
        s.apiGet = apiGet;
        const Steps got = WritePreflight::controller(s, hardware, {analogRow(0, analogCode, 9)});
        QCOMPARE(shown(got), steps);
        QCOMPARE(!got.isEmpty() && got.first().noSwitchesPsmOff, psm != 0 && hardware != "8.1");
    }

    void analog_data()
    {
        QTest::addColumn<QList<AnalogRow>>("rows");
        QTest::addColumn<QString>("steps"); // against a poll period of 60 s
        const QString contactLk = QStringLiteral("Q:LK меньше чем период опроса контактных датчиков");
        QTest::newRow("valid meter") << QList<AnalogRow>{analogRow(0, 1, 2, 30, 60)} << "";
        QTest::newRow("meter on no input")
            << QList<AnalogRow>{analogRow(0, 1, 0)} << kBadPair;
        QTest::newRow("unchanged meter goes back as read")
            << QList<AnalogRow>{unchanged(analogRow(0, 1, 0))} << "";
        QTest::newRow("pressure beside a fast meter, even unchanged")
            << QList<AnalogRow>{analogRow(0, 1, 4), unchanged(analogRow(1, 14, 13))}
            << "R:Использование датчика давления требует отсутствия каналов с быстрым открытым коллектором.";
        QTest::newRow("unused channel paired anew with a pressure input") << [] {
            AnalogRow r = analogRow(0, 0, 13);
            r.pairedAnew = true;
            return QList<AnalogRow>{r};
        }() << kBadPair;
        QTest::newRow("unused channel keeps its odd input") << QList<AnalogRow>{analogRow(0, 0, 13)} << "";
        QTest::newRow("contact LK below the poll period")
            << QList<AnalogRow>{analogRow(1, 9, 9, 10, 60)} << contactLk;
        QTest::newRow("contact questions per channel, in order")
            << QList<AnalogRow>{analogRow(0, 9, 9, 10, 60), analogRow(2, 9, 9, 60, 5)}
            << contactLk + QStringLiteral("\nQ:ST меньше чем период опроса контактных датчиков");
        QTest::newRow("question, then a later channel's refusal")
            << QList<AnalogRow>{analogRow(0, 9, 9, 10, 60), analogRow(1, 1, 0)}
            << contactLk + QStringLiteral("\nR:Неверная конфигурация для 2 канала! Несоответствие типов устройства и входа.");
        QTest::newRow("unused channel's ST beyond its field")
            << QList<AnalogRow>{analogRow(2, 0, 0, 0, 1234567)}
            << "R:Неверная конфигурация для 3 канала! ST должно быть целым от 0 до 65535";
        QTest::newRow("temperature kept in tenths") << QList<AnalogRow>{analogRow(0, 5, 5, 25.55, -5)} << "";
        QTest::newRow("serial of 17 bytes")
            << QList<AnalogRow>{analogRow(0, 1, 2, 0, 0, QString(17, QLatin1Char('s')))}
            << "R:Неверная конфигурация для 1 канала! Серийный номер не помещается в 16 байт "
               "(русская буква занимает 2 байта)";
        QTest::newRow("row check before the input list") << [] {
            AnalogRow r = analogRow(1, 1, 5, 0, -1);
            r.pairedAnew = true;
            return QList<AnalogRow>{r};
        }() << "R:Неверная конфигурация для 2 канала! ST не может быть меньше 0";
        QTest::newRow("channels judged in order: a fault before a later long serial")
            << QList<AnalogRow>{analogRow(1, 1, 2, 0, -1), analogRow(3, 0, 0, 0, 0, QString(17, 's'))}
            << "R:Неверная конфигурация для 2 канала! ST не может быть меньше 0";
        QTest::newRow("channel not written asks nothing") << [] {
            AnalogRow r = analogRow(0, 9, 9, 10, 60);
            r.written = false;
            return QList<AnalogRow>{r};
        }() << "";
    }

    void analog()
    {
        QFETCH(QList<AnalogRow>, rows);
        QFETCH(QString, steps);
        QCOMPARE(shown(WritePreflight::analog(rows, 60)), steps);
    }

    void digital_data()
    {
        QTest::addColumn<QList<DigitalRow>>("rows");
        QTest::addColumn<QString>("steps"); // on a board with eight analog channels
        QTest::newRow("changed meter") << QList<DigitalRow>{digitalRow(0, 8, 1, "7", true)} << "";
        QTest::newRow("nothing changed")
            << QList<DigitalRow>{digitalRow(0, 8, 1, "7", false)} << "N:Нечего записывать.";
        QTest::newRow("unchanged channel with a wrong protocol still refuses")
            << QList<DigitalRow>{digitalRow(0, 7, 1, "7", false), digitalRow(1, 8, 1, "7", true)}
            << "R:Неверная конфигурация для 9 канала! Несоответствие типов устройства и входа.";
        QTest::newRow("address beyond 32 bits")
            << QList<DigitalRow>{digitalRow(3, 8, 1, "4294967296", true)}
            << "R:Неверная конфигурация для 12 канала! Адрес должен быть от 0 до 4294967295";
        QTest::newRow("password of 11 bytes")
            << QList<DigitalRow>{digitalRow(1, 8, 1, "7", true, QString(11, QLatin1Char('p')))}
            << "R:Неверная конфигурация для 10 канала! Пароль длиннее 10 байт.";
        QTest::newRow("unchanged long password is not sent")
            << QList<DigitalRow>{digitalRow(1, 8, 1, "7", false, QString(11, QLatin1Char('p'))),
                                 digitalRow(2, 0, 0, "0", true)}
            << "";
    }

    void digital()
    {
        QFETCH(QList<DigitalRow>, rows);
        QFETCH(QString, steps);
        QCOMPARE(shown(WritePreflight::digital(rows, 8)), steps);
    }
};

QTEST_MAIN(TestWritePreflight)
#include "tst_writepreflight.moc"

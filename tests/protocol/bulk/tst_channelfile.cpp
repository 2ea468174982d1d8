// The channel configuration file format, without any widget.

#include "protocol/bulk/channelfile.h"

#include <QtTest>


using namespace ChannelFile;

class TestChannelFile : public QObject
{
    Q_OBJECT

private slots:
    void headerBytes()
    {
        // UTF-8 without a byte-order mark; the last letter of "адреc" is a Latin c.
        const QString header = QStringLiteral("Аналоговый(A)/Цифровой(D);№ канала;Тип устройства;"
                                              "Тип входа;Серийный номер;Множитель;Делитель;T1;T2;"
                                              "Показания;Сетевой адре")
            + QLatin1Char('c') + QStringLiteral(";Пароль;KT;Объект\n");
        QCOMPARE(content({}), header.toUtf8());
    }

    void lines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("readsBack");
        // Lines of ordinary channels go through the export road.
        QTest::newRow("switched off channel keeps position 0")
            << analogLine(2, 0, {"0", "0", "", "10", "1", "0", "0", ""}, "") << "A;2;0;0;;10;1;0;0;;;;;0" << true;
        QTest::newRow("device no list names keeps its code")
            << analogLine(4, 0, {"6", "3", "", "1", "1", "0", "0", "2"}, "") << "A;4;#6;3;;1;1;0;0;;;;;2" << true;
        // A separator or a line break inside a text field would split the channel's line.
        QTest::newRow("serial with a semicolon")
            << analogLine(1, 1, {"1", "4", "SN;01", "5", "2", "30", "0", "12"}, "1234")
            << "A;1;1;4;SN;01;5;2;30;0;1234;;;;12" << false;
        QTest::newRow("password with a line break")
            << digitalLine(1, 1, {"0", "8", "1", "4194304987", "11\n11", "1", "0"}, "", "", "kv123")
            << "D;1;1;1;;;;;;;kv123;11\n11;1;0" << false;
        QTest::newRow("meter serial and readings blanked, not refused; object 0042 as 42")
            << digitalLine(1, 1, {"0", "8", "1", "4194304987", "", "1", "0042"}, "SN;2\r", "1;2", "kv123")
            << "D;1;1;1;SN 2 ;;;;;1 2;kv123;;1;42" << true;
    }

    void lines()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QFETCH(bool, readsBack);
        QCOMPARE(line, expected);
        QCOMPARE(ChannelFile::readsBack(line), readsBack);
    }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("firstRow");
        const QByteArray header = "header is not checked\n";
        QTest::newRow("semicolons") << header + "A;3;7;5;;1;1;-50;-100;;;;;12\n" << 1 << 0 << 2;
        QTest::newRow("commas with 14 fields") << header + "A,3,7,5,,1,1,-50,-100,,,,,12\n" << 1 << 0 << 2;
        QTest::newRow("13 fields skipped") << header + "A;3;7;5;;1;1;-50;-100;;;;12\n" << 0 << 1 << -1;
        QTest::newRow("lower-case kind skipped") << header + "a;3;7;5;;1;1;-50;-100;;;;;12\n" << 0 << 1 << -1;
        QTest::newRow("CR LF line ends") << header + "D;32;1;1;;;;;;;kv1;;1;7\r\n" << 1 << 0 << 31;
        QTest::newRow("no final line feed") << header + "D;1;1;1;;;;;;;kv1;;1;7" << 1 << 0 << 0;
        QTest::newRow("channel not a number") << header + "D;x;1;1;;;;;;;kv1;;1;7\n" << 1 << 0 << -1;
        QTest::newRow("channel -2147483648") << header + "A;-2147483648;1;4;;1;1;1;1;;;;;1\n" << 1 << 0 << -1;
        QTest::newRow("header only") << header << 0 << 0 << -1;
        QTest::newRow("empty file") << QByteArray() << 0 << 0 << -1;
        QTest::newRow("binary noise") << header + QByteArray("\xff\x00;;\n\x01", 7) << 0 << 2 << -1;
    }

    void reader()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, lines);
        QFETCH(int, skipped);
        QFETCH(int, firstRow);
        const Parsed parsed = parse(content);
        QCOMPARE(parsed.lines.size(), lines);
        QCOMPARE(parsed.skipped, skipped);
        if (lines > 0) {
            QCOMPARE(parsed.lines.first().row, firstRow);
            QVERIFY(!parsed.lines.first().fields.last().endsWith(QLatin1Char('\r')));
        }
    }

    void importLists()
    {
        // Thresholds of a temperature line become bit patterns (the road test sees −5.0
        // arrive); any other device keeps the texts as they are.
        const Parsed analog = parse("h\nA;3;9;13;;1;1;25;5;9;;;;12\n");
        QCOMPARE(analogSettings(analog.lines.value(0), 14), (QStringList{"14", "13", "", "1", "1", "25", "5", "12"}));
        const Parsed digital = parse("h\nD;2;1;3;;;;;;;kv5;pw;2;9\n");
        QCOMPARE(digitalSettings(digital.lines.value(0), 8), (QStringList{"8", "3", "kv5", "pw", "2", "9"}));
    }
};

QTEST_MAIN(TestChannelFile)
#include "tst_channelfile.moc"

// The configurator as a program: it answers --help and --version without a display, starts
// offscreen and ends cleanly when told to.

#include <QtTest>

#include <QProcess>

#include <csignal>

#ifndef LUMARO_CONFIGURATOR
#error "LUMARO_CONFIGURATOR must name the configurator executable"
#endif

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void startsAndEndsCleanly();
};

void TestProgram::answersWithoutDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("--help") << "--help"
                            << QStringList{"--port <NAME>", "--verbose",
                                           "Выводить диагностические сообщения", "--history <PATH>"};
    QTest::newRow("--version") << "--version" << QStringList{"LUMARO RS-485 Configurator 1.4.4\n"};
}

void TestProgram::answersWithoutDisplay()
{
    QFETCH(QString, option);
    QFETCH(QStringList, parts);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(LUMARO_CONFIGURATOR), {option});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString output = QString::fromUtf8(program.readAllStandardOutput());
    for (const QString &part : parts)
        QVERIFY2(output.contains(part), qPrintable(output));
}

void TestProgram::startsAndEndsCleanly()
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(LUMARO_CONFIGURATOR),
                  {QStringLiteral("--verbose"), QStringLiteral("--port"), QStringLiteral("/dev/null-lumaro")});
    QVERIFY(program.waitForStarted(10000));
    // The tab's forecast writes its first diagnostic line (shown with --verbose) while the
    // window is built, after the program is ready to end in order.
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += program.readAllStandardError()).contains("summury_consumption_uAh"), 20000);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(20000));
    log += program.readAllStandardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(!log.contains("QThread: Destroyed while thread"), log.constData());
    QVERIFY2(!log.contains("WARNING") && !log.contains("ERROR"), log.constData());
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"

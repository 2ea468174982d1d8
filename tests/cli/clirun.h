#pragma once

// lumaro-cli run as a program, as a script runs it.

#include <QProcess>
#include <QString>
#include <QStringList>

#ifndef LUMARO_CLI
#error "LUMARO_CLI must name the lumaro-cli executable"
#endif

namespace CliRun {

constexpr int kRunMs = 60000;

struct Result {
    int code = -1; // -1: did not end in time, or crashed
    QByteArray out;
    QString err;
};

inline Result run(const QStringList &args,
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(LUMARO_CLI), args);
    Result r;
    if (!program.waitForFinished(kRunMs)) {
        program.kill();
        program.waitForFinished();
        return r;
    }
    r.code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    r.out = program.readAllStandardOutput();
    r.err = QString::fromUtf8(program.readAllStandardError());
    return r;
}

} // namespace CliRun

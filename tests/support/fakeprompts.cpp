#include "tests/support/fakeprompts.h"

FakePrompts::FakePrompts()
{
    UserPrompts::install(this);
}

FakePrompts::~FakePrompts()
{
    UserPrompts::install(nullptr);
}

void FakePrompts::critical(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("critical"), title, text});
}

bool FakePrompts::question(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("question"), title, text});
    if (whileOpen)
        whileOpen();
    return answers.isEmpty() ? false : answers.takeFirst();
}

QString FakePrompts::openFileName(QWidget *, const QString &caption, const QString &dir,
                                  const QString &filter)
{
    fileDialogArgs = {caption, dir, filter};
    if (whileOpen)
        whileOpen();
    return nextFileName;
}

QString FakePrompts::saveFileName(QWidget *, const QString &caption, const QString &path,
                                  const QString &filter)
{
    fileDialogArgs = {caption, path, filter};
    if (whileOpen)
        whileOpen();
    return nextFileName;
}

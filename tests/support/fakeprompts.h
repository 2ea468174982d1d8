#pragma once

// Answers the program's message boxes and file dialogs from the test, without modal loops.

#include "ui/dialog/userprompts.h"

#include <QList>
#include <functional>
#include <QStringList>

class FakePrompts : public UserPrompts
{
public:
    struct Shown {
        QString kind; // "critical" or "question"
        QString title;
        QString text;
    };

    FakePrompts();
    ~FakePrompts() override;

    void critical(QWidget *parent, const QString &title, const QString &text) override;
    bool question(QWidget *parent, const QString &title, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &path,
                         const QString &filter) override;

    QList<Shown> shown;
    QList<bool> answers;          // answers to the next questions; No when empty
    QString nextFileName;         // answer to the next file dialog
    QStringList fileDialogArgs;   // caption, directory or path, filter of the last file dialog
    // Runs while a question or file dialog is open, as timers do in a real modal loop.
    std::function<void()> whileOpen;
};

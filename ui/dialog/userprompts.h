#pragma once

// The one seam through which the program asks the user: message boxes and file dialogs.
// Tests install their own answers instead of modal dialogs.

#include <QString>

class QWidget;

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    // Critical box with one OK button.
    virtual void critical(QWidget *parent, const QString &title, const QString &text) = 0;
    // Question with Yes and No; true only for Yes.
    virtual bool question(QWidget *parent, const QString &title, const QString &text) = 0;
    // Empty text when the user cancels.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &path,
                                 const QString &filter) = 0;

    // The prompts in use; modal widgets unless a test installed others.
    static UserPrompts &current();
    // Installs `prompts` (not owned); nullptr restores the modal widgets.
    static void install(UserPrompts *prompts);
};

#include "ui/journal/trafficwindow.h"

#include "ui/dialog/userprompts.h"
#include "lumaro/version.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTime>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 420;

} // namespace

TrafficWindow::TrafficWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("trafficWindow"));
    setWindowTitle(tr("Журнал обмена"));
    journal = new QPlainTextEdit;
    journal->setObjectName(QStringLiteral("trafficJournal"));
    journal->setReadOnly(true);
    journal->setLineWrapMode(QPlainTextEdit::NoWrap);
    journal->setMaximumBlockCount(kMaxLines);
    journal->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *copyButton = new QPushButton(tr("Копировать"));
    copyButton->setObjectName(QStringLiteral("copyTrafficButton"));
    auto *saveButton = new QPushButton(tr("Сохранить…"));
    saveButton->setObjectName(QStringLiteral("saveTrafficButton"));
    auto *clearButton = new QPushButton(tr("Очистить"));
    clearButton->setObjectName(QStringLiteral("clearTrafficButton"));
    connect(copyButton, &QPushButton::clicked, this, &TrafficWindow::copyAll);
    connect(saveButton, &QPushButton::clicked, this, &TrafficWindow::saveAs);
    connect(clearButton, &QPushButton::clicked, journal, &QPlainTextEdit::clear);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(copyButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(clearButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout;
    layout->addWidget(journal);
    layout->addLayout(buttons);
    setLayout(layout);
    resize(kWidth, kHeight);
}

bool TrafficWindow::setLogFile(const QString &fileName)
{
    logFile.close();
    logFile.setFileName(fileName);
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    // The lines carry the time of day only; a file kept over days and runs gets the date here.
    logFile.write(tr("— %1, LUMARO RS-485 Configurator %2 —\n")
                      .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                           QLatin1String(Lumaro::kProgramVersion))
                      .toUtf8());
    logFile.flush();
    return true;
}

QString TrafficWindow::text() const
{
    return journal->toPlainText();
}

void TrafficWindow::appendFrame(const Traffic::Frame &frame)
{
    appendLine(Traffic::formatLine(frame));
}

void TrafficWindow::appendNote(const QString &text)
{
    appendLine(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) + QStringLiteral(" — ")
               + text);
}

void TrafficWindow::appendLine(const QString &line)
{
    // Following the newest line, the view keeps to the times and commands at its left end
    // rather than to the end of a long frame; an engineer reading further up is left there.
    QScrollBar *down = journal->verticalScrollBar();
    const bool following = down->value() == down->maximum();
    journal->appendPlainText(line);
    if (following)
        journal->setTextCursor(QTextCursor(journal->document()->lastBlock()));
    if (logFile.isOpen()) {
        // Flushed line by line: a support case wants the lines before a crash or a pulled cable.
        logFile.write(line.toUtf8() + '\n');
        logFile.flush();
    }
}

void TrafficWindow::copyAll()
{
    QApplication::clipboard()->setText(journal->toPlainText());
}

void TrafficWindow::saveAs()
{
    const QString fileName = UserPrompts::current().saveFileName(
        this, tr("Сохранить журнал обмена"), QDir::current().filePath(QStringLiteral("lumaro-journal.txt")),
        tr("Текст (*.txt)"));
    if (fileName.isEmpty())
        return;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)
        || file.write(journal->toPlainText().toUtf8() + '\n') < 0 || !file.commit())
        UserPrompts::current().critical(this, tr("Ошибка"), tr("Не могу записать в файл."));
}

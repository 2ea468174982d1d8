#include "app/programoptions.h"

#include "lumaro/version.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

// QCommandLineParser's own headings, which no translation makes Russian before an
// application exists.
struct Heading {
    const char *qt;
    const char *ours;
};

constexpr Heading kHelpHeadings[] = {
    {"Usage: ", QT_TRANSLATE_NOOP("ProgramOptions", "Запуск: ")},
    {"[options]", QT_TRANSLATE_NOOP("ProgramOptions", "[параметры]")},
    {"Options:", QT_TRANSLATE_NOOP("ProgramOptions", "Параметры:")},
};

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

ProgramOptions::ProgramOptions()
    : helpOption({QStringLiteral("?"), QStringLiteral("h"), QStringLiteral("help")},
                 tr("Показать эту справку и выйти."))
    , versionOption({QStringLiteral("v"), QStringLiteral("version")},
                    tr("Показать версию программы и выйти."))
    , portOption(QStringLiteral("port"),
                 tr("Выбрать при запуске COM-порт NAME, также не перечисленный системой "
                    "(например /dev/pts/2)."),
                 QStringLiteral("NAME"))
    , verboseOption(QStringLiteral("verbose"),
                    tr("Выводить диагностические сообщения (кадры обмена) в терминал."))
    , logOption(QStringLiteral("log"),
                tr("Дописывать строки журнала обмена в файл FILE с момента запуска."),
                QStringLiteral("FILE"))
    , historyOption(QStringLiteral("history"),
                    tr("Вести историю настроек в файле SQLite PATH или на сервере PostgreSQL "
                       "(postgresql://пользователь:пароль@сервер:порт/база) вместо "
                       "~/.local/share/lumaro/history.sqlite."),
                    QStringLiteral("PATH"))
{
    parser.setApplicationDescription(
        tr("Настройка контроллера LUMARO через COM-порт (адаптер RS-485)."));
    // Qt's own options are single-dash words: read as letters, "-reverse" would ask for
    // the version and "-stylesheet" for the help.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addOption(portOption);
    parser.addOption(verboseOption);
    parser.addOption(logOption);
    parser.addOption(historyOption);
}

std::optional<int> ProgramOptions::readBeforeApplication(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(helpOption)) {
        // Without an application the parser cannot name the program.
        QString help = parser.helpText().replace(QLatin1String("<executable_name>"),
                                                 QFileInfo(arguments.value(0)).fileName());
        for (const Heading &heading : kHelpHeadings)
            help.replace(QLatin1String(heading.qt), tr(heading.ours));
        print(stdout, help);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, tr("LUMARO RS-485 Configurator ") + QLatin1String(Lumaro::kProgramVersion)
                          + QLatin1Char('\n'));
        return 0;
    }
    if (!parsed && parser.unknownOptionNames().isEmpty()) {
        print(stderr, parser.errorText() + QLatin1Char('\n'));
        return 1;
    }
    return std::nullopt;
}

void ProgramOptions::check(const QCoreApplication &app)
{
    parser.process(app);
}

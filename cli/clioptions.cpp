#include "cli/clioptions.h"

#include <QCoreApplication>

#include <iterator>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CliOptions", source);
}

constexpr unsigned bit(CliOptions::Command c)
{
    return 1u << c;
}

struct CommandName {
    const char *name;
    CliOptions::Command command;
};

constexpr CommandName kCommands[] = {
    {"ports", CliOptions::Ports},       {"read", CliOptions::Read},
    {"apply", CliOptions::Apply},       {"readings", CliOptions::Readings},
    {"firmware", CliOptions::Firmware}, {"exit", CliOptions::Exit},
    {"report", CliOptions::Report},     {"history", CliOptions::History},
};

enum OptionId {
    Help,
    Port,
    Password,
    Timeout,
    Output,
    DryRun,
    Yes,
    Channels,
    Format,
    Engineer,
    HistoryPath,
    Serial,
    Grep,
    Version,
};

struct OptionDef {
    OptionId id;
    const char *longName;
    const char *shortName;
    bool takesValue;
    unsigned commands; // 0: every command
};

constexpr OptionDef kOptions[] = {
    {Help, "--help", "-h", false, 0},
    {Port, "--port", nullptr, true, 0},
    {Password, "--password", nullptr, true, 0},
    {Timeout, "--timeout", nullptr, true, 0},
    {Output, "--output", "-o", true,
     bit(CliOptions::Read) | bit(CliOptions::Report) | bit(CliOptions::History)},
    {DryRun, "--dry-run", nullptr, false, bit(CliOptions::Apply)},
    {Yes, "--yes", nullptr, false, bit(CliOptions::Apply) | bit(CliOptions::Firmware)},
    {Channels, "--channels", nullptr, true, bit(CliOptions::Readings)},
    {Format, "--format", nullptr, true, bit(CliOptions::Readings)},
    {Engineer, "--engineer", nullptr, true, bit(CliOptions::Report)},
    {HistoryPath, "--history", nullptr, true, 0},
    {Serial, "--serial", nullptr, true, bit(CliOptions::History)},
    {Grep, "--grep", nullptr, true, bit(CliOptions::History)},
    {Version, "--version", nullptr, true, bit(CliOptions::History)},
};

bool parseVersion(const QString &word, int *version)
{
    bool ok = false;
    *version = word.toInt(&ok);
    return ok && *version > 0;
}

const OptionDef *findOption(const QString &name)
{
    for (const OptionDef &def : kOptions) {
        if (name == QLatin1String(def.longName)
            || (def.shortName && name == QLatin1String(def.shortName)))
            return &def;
    }
    return nullptr;
}

// "9,10,12-14" into channel numbers, each once however often the list names it: the
// readings are collected by channel.
bool parseChannels(const QString &list, QList<int> *channels)
{
    for (const QString &item : list.split(QLatin1Char(','))) {
        const QStringList range = item.split(QLatin1Char('-'));
        bool ok[2] = {false, false};
        const int first = range.value(0).toInt(&ok[0]);
        const int last = range.size() == 2 ? range.value(1).toInt(&ok[1]) : first;
        if (!ok[0] || (range.size() == 2 && !ok[1]) || range.size() > 2 || first < 1
            || last < first)
            return false;
        for (int n = first; n <= last && channels->size() <= 64; ++n) {
            if (!channels->contains(n))
                channels->append(n);
        }
    }
    return true;
}

} // namespace

bool CliOptions::parse(const QStringList &arguments, QString *error)
{
    const auto fail = [error](const QString &message) {
        *error = message;
        return false;
    };
    QList<QPair<const OptionDef *, QString>> given;
    QStringList words;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            words << arg;
            continue;
        }
        const int equals =
            arg.startsWith(QLatin1String("--")) ? int(arg.indexOf(QLatin1Char('='))) : -1;
        const QString name = equals < 0 ? arg : arg.left(equals);
        const OptionDef *def = findOption(name);
        if (!def)
            return fail(text("неизвестный параметр %1").arg(name));
        QString value = equals < 0 ? QString() : arg.mid(equals + 1);
        if (def->takesValue && equals < 0) {
            if (i + 1 >= arguments.size())
                return fail(text("после %1 нужно значение").arg(name));
            value = arguments.at(++i);
        } else if (!def->takesValue && equals >= 0) {
            return fail(text("%1 не принимает значения").arg(name));
        }
        given.append({def, value});
    }
    for (const auto &option : given) {
        if (option.first->id == Help) {
            help = true;
            return true;
        }
    }
    if (words.isEmpty())
        return fail(text("не указана команда"));
    const QString commandWord = words.takeFirst();
    for (const CommandName &c : kCommands) {
        if (commandWord == QLatin1String(c.name))
            command = c.command;
    }
    if (command == NoCommand)
        return fail(text("неизвестная команда %1").arg(commandWord));
    if (command == Apply) {
        if (words.isEmpty())
            return fail(text("apply: не указан файл"));
        file = words.takeFirst();
    }
    if (command == History && !words.isEmpty()) {
        const QString action = words.takeFirst();
        const bool show = action == QLatin1String("show");
        const bool diff = action == QLatin1String("diff");
        if (!show && !diff)
            return fail(text("history: неизвестное действие %1 (show или diff)").arg(action));
        historyAction = show ? HistoryShow : HistoryDiff;
        if (words.isEmpty())
            return fail(text("history %1: не указан серийный номер").arg(action));
        serial = words.takeFirst();
        if (diff
            && (words.size() < 2 || !parseVersion(words.takeFirst(), &versionA)
                || !parseVersion(words.takeFirst(), &versionB)))
            return fail(text("history diff: ожидаются два номера версий"));
    }
    if (!words.isEmpty())
        return fail(text("лишний аргумент %1").arg(words.first()));

    for (const auto &[def, value] : given) {
        if (def->commands != 0 && (def->commands & bit(command)) == 0)
            return fail(text("%1 не относится к команде %2")
                            .arg(QLatin1String(def->longName), commandWord));
        bool ok = true;
        switch (def->id) {
        case Port:
            port = value;
            break;
        case Password:
            password = value;
            break;
        case Timeout:
            timeoutMs = value.toInt(&ok);
            if (!ok || timeoutMs < SessionRecord::kTimeoutMinMs
                || timeoutMs > SessionRecord::kTimeoutMaxMs)
                return fail(text("--timeout: ожидается число от %1 до %2 мс")
                                .arg(SessionRecord::kTimeoutMinMs)
                                .arg(SessionRecord::kTimeoutMaxMs));
            break;
        case Output:
            output = value;
            break;
        case DryRun:
            dryRun = true;
            break;
        case Yes:
            yes = true;
            break;
        case Channels:
            if (!parseChannels(value, &channels))
                return fail(
                    text("--channels: ожидается список номеров каналов, например 9,10,12-14"));
            break;
        case Format:
            if (value != QLatin1String("csv") && value != QLatin1String("json"))
                return fail(text("--format: ожидается csv или json"));
            json = value == QLatin1String("json");
            break;
        case HistoryPath:
            history = value;
            break;
        case Serial:
            if (historyAction != HistoryList)
                return fail(text("--serial относится только к списку версий"));
            serial = value;
            break;
        case Grep:
            if (historyAction != HistoryList)
                return fail(text("--grep относится только к спискам"));
            grep = value;
            break;
        case Version:
            if (historyAction != HistoryShow || !parseVersion(value, &version))
                return fail(text("--version: ожидается номер версии после history show"));
            break;
        case Engineer:
            engineer = value;
            break;
        case Help:
            break;
        }
    }
    if (command == History && historyAction != HistoryShow && !output.isEmpty())
        return fail(text("-o относится к read и history show"));
    if (command != Ports && command != History && port.isEmpty())
        return fail(text("не указан порт: --port PORT"));
    return true;
}

QString CliOptions::helpText()
{
    return text(
        "Использование: lumaro-cli --port ПОРТ [--password ПАРОЛЬ] [--timeout МС] КОМАНДА ...\n"
        "\n"
        "Настройка контроллера LUMARO по RS-485 из скриптов. Каждая команда, кроме ports,\n"
        "сначала авторизуется паролем доступа.\n"
        "\n"
        "Команды:\n"
        "  ports                        список COM-портов (имя и описание, по одному в строке)\n"
        "  read [-o ФАЙЛ]               считать настройки и каналы в документ JSON\n"
        "  apply ФАЙЛ [--dry-run] [--yes]\n"
        "                               записать отличия документа JSON или файла каналов\n"
        "                               (ФАЙЛ \"-\" — стандартный ввод); --dry-run только\n"
        "                               показывает изменения; --yes отвечает «Да» на вопросы\n"
        "  readings [--channels СПИСОК] [--format csv|json]\n"
        "                               показания каналов (СПИСОК: номера как в окне, 1,9-12)\n"
        "  firmware [--yes]             обновить прошивку контроллера встроенной\n"
        "  report [-o ФАЙЛ] [--engineer ИМЯ]\n"
        "                               протокол настройки в PDF (по умолчанию\n"
        "                               СЕРИЙНЫЙ-НОМЕР_ГГГГ-ММ-ДД.pdf; инженер — имя входа)\n"
        "  exit                         вывести контроллер из режима настройки\n"
        "  history [--serial SN] [--grep ТЕКСТ]\n"
        "                               контроллеры в истории настроек или версии одного\n"
        "                               (номер, время, что сделано, кто, изменения)\n"
        "  history show SN [--version N] [-o ФАЙЛ]\n"
        "                               версия как документ для apply (по умолчанию последняя)\n"
        "  history diff SN A B          изменённые поля между версиями A и B\n"
        "\n"
        "Параметры:\n"
        "  --port ПОРТ                  COM-порт, например /dev/ttyUSB0\n"
        "  --password ПАРОЛЬ            пароль доступа (по умолчанию %1)\n"
        "  --timeout МС                 время ожидания ответа, %2..%3 (по умолчанию %4)\n"
        "  --history ПУТЬ               история настроек: файл SQLite или\n"
        "                               postgresql://пользователь:пароль@сервер:порт/база\n"
        "                               (по умолчанию ~/.local/share/lumaro/history.sqlite)\n"
        "  -h, --help                   эта справка\n"
        "\n"
        "Данные выводятся в стандартный вывод, сообщения и ход работы — в стандартный поток\n"
        "ошибок. Коды завершения:\n"
        "  0  выполнено\n"
        "  2  ошибка в параметрах или в файле; ничего не отправлено; нет такого\n"
        "     контроллера или версии в истории\n"
        "  3  порт не открывается\n"
        "  4  нет связи с контроллером\n"
        "  5  неверный пароль\n"
        "  6  версия ПО контроллера не поддерживается\n"
        "  7  отказ проверки или вопрос без --yes; ничего не записано\n"
        "  8  после записи контроллер хранит не то, что записано\n"
        "  9  история настроек недоступна (команда history)\n"
        "  130 прервано (Ctrl+C)\n")
        .arg(QLatin1String(SessionRecord::kFactoryPassword))
        .arg(SessionRecord::kTimeoutMinMs)
        .arg(SessionRecord::kTimeoutMaxMs)
        .arg(kDefaultTimeoutMs);
}

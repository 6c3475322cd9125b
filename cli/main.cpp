// tobrik-cli: the program's procedures without windows, for scripts, translators and checks.
#include "cli/CliCommand.h"

#include "app/InfoVersionLine.h"
#include "app/QtTranslation.h"

#include <QCoreApplication>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif
#include <clocale>
#include <map>
#include <string>

namespace {
const QString ProgramName = QStringLiteral("tobrik-cli");

const char ProgramDescription[] =
    "The program's procedures without windows, for scripts, translators and checks.";

// Shared by every command; tobrik-cli --help repeats it, the README holds the same table.
const char ExitStatuses[] = R"(
Exit status:
  0   the command did what was asked
  1   it could not: a file that cannot be read or used, an update that failed (a block
      other than the last lacks its acknowledgement) or ended before its transfer, no
      pseudo-terminal for simulate
  2   list: the file holds a KT decoder
  3   update: finished, unconfirmed: at most the last block lacks its acknowledgement,
      or a tail shorter than a block was not sent
  64  usage error: an unknown option, a missing or wrong value, a wrong argument
)";

std::map<std::string, const CliCommand *> &Registry()
{
    static std::map<std::string, const CliCommand *> commands;
    return commands;
}

const CliCommand *FindCommand(const QString &name)
{
    const auto found = Registry().find(name.toStdString());
    return found == Registry().end() ? nullptr : found->second;
}

// Our own rather than addHelpOption(): that one adds --help-all for Qt's options, which
// tobrik-cli does not take.
const QCommandLineOption &HelpOption()
{
    static const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                         QStringLiteral("Displays this help."));
    return help;
}

const QCommandLineOption &VersionOption()
{
    static const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Displays the program's version and date, as its info box shows them."));
    return version;
}

int ReportUsageError(const QString &where, const QString &usage, const QString &helpCall,
                     const QString &problem)
{
    PrintErr(QStringLiteral("%1: %2\nusage: %3\nTry '%4' for more information.\n")
                 .arg(where, problem, usage, helpCall));
    return CliStatus::Usage;
}

QString CommandUsage(const CliCommand &command)
{
    return QStringLiteral("%1 %2 %3")
        .arg(ProgramName, QLatin1String(command.name), QLatin1String(command.syntax.synopsis));
}

int ProgramUsageError(const QString &problem)
{
    return ReportUsageError(ProgramName, ProgramName + QStringLiteral(" COMMAND [ARGS]"),
                            ProgramName + QStringLiteral(" --help"), problem);
}

// Qt's help text with our usage line in place of its first, which names the program by the
// path it was started with and cannot show a command's alternatives.
QString HelpText(const QString &usage, const QCommandLineParser &parser)
{
    return QStringLiteral("Usage: ") + usage + QLatin1Char('\n')
           + parser.helpText().section(QLatin1Char('\n'), 1);
}

QString CommandTable()
{
    int width = 0;
    for (const auto &entry : Registry())
        width = qMax(width, static_cast<int>(entry.first.size()));
    QString table = QStringLiteral("\nCommands:\n");
    for (const auto &[name, command] : Registry())
        table += QStringLiteral("  %1  %2\n")
                     .arg(QString::fromStdString(name), -width)
                     .arg(QLatin1String(command->syntax.purpose));
    return table;
}

QString ProgramHelp(const QCommandLineParser &parser)
{
    return HelpText(ProgramName + QStringLiteral(" [--help | --version] COMMAND [ARGS]"), parser)
           + CommandTable() + QString::fromUtf8(ExitStatuses)
           + QStringLiteral("\n'%1 COMMAND --help' describes a command.\n").arg(ProgramName);
}

// tobrik-cli's own sentences are English, and so must be the system's reasons inside them
// ("cannot open FILE: REASON"), whatever the user's locale and the program's language: the C
// library's and Qt's error texts stay untranslated. The program's language still decides the
// texts an update lists, as the window shows them.
void KeepReasonsEnglish()
{
#ifdef LC_MESSAGES
    std::setlocale(LC_MESSAGES, "C");
#endif
    QtTranslation::KeepEnglish();
}

int RefuseCall(const CliCommand &command, const QCommandLineParser &parser,
               const QString &problem)
{
    const int status = UsageError(command.name, problem);
    if (command.refused)
        command.refused(parser, status);
    return status;
}

// words: the command's name, then what followed it.
int RunCommand(const CliCommand &command, const QStringList &words)
{
    const CliSyntax &syntax = command.syntax;
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(syntax.purpose));
    parser.addOption(HelpOption());
    parser.addOptions(syntax.options);
    for (const CliArgument &argument : syntax.arguments)
        parser.addPositionalArgument(QLatin1String(argument.name),
                                     QString::fromUtf8(argument.description));
    if (!parser.parse(words))
        return RefuseCall(command, parser, parser.errorText());
    if (parser.isSet(HelpOption())) {
        PrintOut(HelpText(CommandUsage(command), parser) + QString::fromUtf8(syntax.details));
        return CliStatus::Success;
    }
    if (syntax.arguments.isEmpty() && !parser.positionalArguments().isEmpty())
        return RefuseCall(command, parser, QStringLiteral("unexpected argument %1")
                                              .arg(parser.positionalArguments().first()));
    return command.handler(parser);
}
} // namespace

CliCommand::CliCommand(const char *name_, CliSyntax syntax_, Handler handler_,
                       RefusalHandler refused_)
    : name(name_), syntax(std::move(syntax_)), handler(std::move(handler_)),
      refused(std::move(refused_))
{
    Registry()[name] = this;
}

void PrintOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void PrintErr(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

bool IsTerminal(std::FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream));
#else
    return isatty(fileno(stream));
#endif
}

int UsageError(const char *command, const QString &problem)
{
    const CliCommand *found = FindCommand(QLatin1String(command));
    const QString name = QLatin1String(command);
    return ReportUsageError(name, found ? CommandUsage(*found) : ProgramName + QLatin1Char(' ') + name,
                            QStringLiteral("%1 %2 --help").arg(ProgramName, name), problem);
}

bool OpenForReading(QFile &file, const char *command)
{
    if (file.open(QIODevice::ReadOnly))
        return true;
    PrintErr(QStringLiteral("%1: cannot open %2: %3\n")
                 .arg(QLatin1String(command), file.fileName(), file.errorString()));
    return false;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // sets the C library to the user's locale
    KeepReasonsEnglish();
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(ProgramDescription));
    parser.addOption(HelpOption());
    parser.addOption(VersionOption());
    parser.addPositionalArgument(QStringLiteral("COMMAND"),
                                 QStringLiteral("one of the commands below, then its arguments"));
    // Everything from the command's name on is the command's to parse.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(app.arguments()))
        return ProgramUsageError(parser.errorText());
    if (parser.isSet(HelpOption())) {
        PrintOut(ProgramHelp(parser));
        return CliStatus::Success;
    }
    if (parser.isSet(VersionOption())) {
        PrintOut(VersionAnswer(ProgramName));
        return CliStatus::Success;
    }
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return ProgramUsageError(QStringLiteral("no command given"));
    const CliCommand *command = FindCommand(words.first());
    if (!command)
        return ProgramUsageError(QStringLiteral("unknown command %1").arg(words.first()));
    return RunCommand(*command, words);
}

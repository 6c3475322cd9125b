// tobrik-cli: the program's procedures without windows, for scripts, translators and checks.
#include "cli/CliCommand.h"

#include <QCoreApplication>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif
#include <map>
#include <string>

namespace {
std::map<std::string, const CliCommand *> &Registry()
{
    static std::map<std::string, const CliCommand *> commands;
    return commands;
}

int Usage()
{
    QString text = QStringLiteral("usage: tobrik-cli COMMAND [ARGS]\n");
    for (const auto &[name, command] : Registry())
        text += QStringLiteral("  %1 %2\n").arg(QString::fromLatin1(name.c_str()),
                                                QString::fromLatin1(command->usage));
    PrintErr(text);
    return 64;
}
} // namespace

CliCommand::CliCommand(const char *name_, const char *usage_, Handler handler_)
    : name(name_), usage(usage_), handler(std::move(handler_))
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

QString TakeOption(QStringList &args, const QString &option, const QString &defaultValue)
{
    const int at = args.indexOf(option);
    if (at < 0 || at + 1 >= args.size())
        return defaultValue;
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

bool TakeFlag(QStringList &args, const QString &flag)
{
    return args.removeAll(flag) > 0;
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
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    const auto found = Registry().find(args.takeFirst().toStdString());
    if (found == Registry().end())
        return Usage();
    return found->second->handler(args);
}

#pragma once
// tobrik-cli's subcommands. Each lives in its own file and registers itself with a static
// CliCommand, so adding a subcommand never touches another one's file.

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <functional>

struct CliCommand {
    // args: the words after the subcommand's name. Returns the process exit status.
    using Handler = std::function<int(const QStringList &args)>;

    CliCommand(const char *name, const char *usage, Handler handler);

    const char *name;
    const char *usage;
    Handler handler;
};

// Writes text to standard output or standard error as UTF-8.
void PrintOut(const QString &text);
void PrintErr(const QString &text);
// Whether stream (stdin, stdout, stderr) is a terminal rather than a pipe or a file.
bool IsTerminal(std::FILE *stream);

// The value after option (e.g. "--file"), or defaultValue when it is absent; removes both
// words from args so that what is left are the positional arguments.
QString TakeOption(QStringList &args, const QString &option, const QString &defaultValue = {});
bool TakeFlag(QStringList &args, const QString &flag);

// Opens file for reading; on failure says why on standard error, naming the subcommand.
bool OpenForReading(QFile &file, const char *command);

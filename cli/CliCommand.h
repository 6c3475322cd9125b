#pragma once
// tobrik-cli's subcommands. Each lives in its own file and registers itself with a static
// CliCommand, so adding a subcommand never touches another one's file. A command declares its
// options and arguments; main parses them with QCommandLineParser, refuses what is not
// declared, answers --help, and hands the command the parsed words.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QList>
#include <QStringList>
#include <cstdio>
#include <functional>

// A positional argument as --help describes it.
struct CliArgument {
    const char *name;
    const char *description;
};

struct CliSyntax {
    const char *purpose;  // one line for tobrik-cli --help
    const char *synopsis; // the words after "tobrik-cli NAME" in the usage line
    QList<QCommandLineOption> options;
    // None declared: any positional argument is refused before the command runs.
    QList<CliArgument> arguments;
    // What --help adds after the options and arguments: what the command does in detail and
    // its exit statuses.
    const char *details;
};

struct CliCommand {
    // Returns the process exit status.
    using Handler = std::function<int(const QCommandLineParser &parsed)>;
    // Told of a call refused before the handler ran (its usage error already said on standard
    // error), with the options parsed as far as they were and the exit status: a command whose
    // output another program reads as data can end it there too.
    using RefusalHandler = std::function<void(const QCommandLineParser &parsed, int status)>;

    CliCommand(const char *name, CliSyntax syntax, Handler handler, RefusalHandler refused = {});

    const char *name;
    CliSyntax syntax;
    Handler handler;
    RefusalHandler refused;
};

namespace CliStatus {
constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int Usage = 64; // the BSD sysexits value for a wrong call
} // namespace CliStatus

// Writes text to standard output or standard error as UTF-8.
void PrintOut(const QString &text);
void PrintErr(const QString &text);
// Whether stream (stdin, stdout, stderr) is a terminal rather than a pipe or a file.
bool IsTerminal(std::FILE *stream);

// Says on standard error what is wrong with the call of command, its usage line and where its
// help is; returns CliStatus::Usage.
int UsageError(const char *command, const QString &problem);

// Opens file for reading; on failure says why on standard error, naming the subcommand.
bool OpenForReading(QFile &file, const char *command);

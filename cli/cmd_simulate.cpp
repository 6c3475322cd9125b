// tobrik-cli simulate: the adapter with a decoder on its track, on a pseudo-terminal, so the
// program (or a benchmark) can be run against it as against a real device.
#include "cli/CliCommand.h"

#include "app/TerminationSignals.h"
#include "sim/PtyLink.h"
#include "sim/SimPortAddress.h"

#include <QEventLoop>
#include <QUrl>

namespace {
const char Usage[] = "--adapter --decoder ID [--block 32|64] [--flash PATH] [--lost-reply P] "
                     "[--bad-block P] [--lost-block P] [--slow-reply P] [--garbage P] "
                     "[--unplug-at N] [--refuse-block N] [--reply-delay MS] [--seed S] "
                     "[--line-rate]";

const QCommandLineOption AdapterOption(QStringLiteral("adapter"),
                                      QStringLiteral("simulate the adapter (the only choice)"));
const QCommandLineOption LineRateOption(
    QStringLiteral("line-rate"), QStringLiteral("replies at the pace of the real line"));

// Each option with a value is the simulated port's key of the same name.
const QList<QCommandLineOption> ValueOptions{
    {QStringLiteral("decoder"), QStringLiteral("the decoder ID on the track"), QStringLiteral("ID")},
    {QStringLiteral("block"), QStringLiteral("the decoder's block size, 32 or 64"),
     QStringLiteral("32|64")},
    {QStringLiteral("flash"), QStringLiteral("the file that holds the decoder's flash"),
     QStringLiteral("PATH")},
    {QStringLiteral("lost-reply"), QStringLiteral("the chance that a reply is lost"),
     QStringLiteral("P")},
    {QStringLiteral("bad-block"), QStringLiteral("the chance that a block arrives corrupted"),
     QStringLiteral("P")},
    {QStringLiteral("lost-block"), QStringLiteral("the chance that a block is lost"),
     QStringLiteral("P")},
    {QStringLiteral("slow-reply"), QStringLiteral("the chance that a reply comes late"),
     QStringLiteral("P")},
    {QStringLiteral("garbage"), QStringLiteral("the chance that a reply is garbage"),
     QStringLiteral("P")},
    {QStringLiteral("unplug-at"), QStringLiteral("the pseudo-terminal vanishes at block N"),
     QStringLiteral("N")},
    {QStringLiteral("refuse-block"), QStringLiteral("the decoder refuses block N every time"),
     QStringLiteral("N")},
    {QStringLiteral("reply-delay"),
     QStringLiteral("every reply to a block comes MS milliseconds after the block"),
     QStringLiteral("MS")},
    {QStringLiteral("seed"), QStringLiteral("the seed of the faults' chances"), QStringLiteral("S")},
};

int Fail(const QString &message)
{
    return UsageError("simulate", message);
}

// The adapter's simulated port text for the options given.
QString AdapterAddress(const QCommandLineParser &parsed)
{
    QStringList pairs;
    for (const QCommandLineOption &option : ValueOptions) {
        if (parsed.isSet(option))
            pairs.append(option.names().first() + QLatin1Char('=')
                         + QString::fromLatin1(QUrl::toPercentEncoding(parsed.value(option))));
    }
    if (parsed.isSet(LineRateOption))
        pairs.append(QStringLiteral("line-rate=1"));
    return QStringLiteral("sim:adapter?") + pairs.join(QLatin1Char('&'));
}

int Simulate(const QCommandLineParser &parsed)
{
    // Only the adapter: a pseudo-terminal has no control lines to wake the update box with.
    if (!parsed.isSet(AdapterOption))
        return Fail(QStringLiteral("--adapter is missing"));
    if (!parsed.isSet(QStringLiteral("decoder")))
        return Fail(QStringLiteral("--decoder is missing"));
    QString refusal;
    const auto model = SimPortAddress::Create(AdapterAddress(parsed), &refusal);
    if (!model)
        return Fail(refusal);

    PtyLink link(model);
    QString error;
    if (!link.Open(&error)) {
        PrintErr(QStringLiteral("simulate: cannot make a pseudo-terminal: %1\n").arg(error));
        return CliStatus::Failure;
    }
    PrintOut(link.Path() + QLatin1Char('\n'));
    QEventLoop loop;
    TerminationSignals::Install([&loop] { loop.quit(); });
    loop.exec();
    TerminationSignals::Install({});
    return CliStatus::Success;
}

const CliCommand command("simulate",
                         {"run a simulated adapter with a decoder on a pseudo-terminal", Usage,
                          QList<QCommandLineOption>{AdapterOption, LineRateOption} + ValueOptions,
                          {},
                          R"(
Opens a pseudo-terminal and prints its path on the first line; the adapter with decoder ID on
its track answers there until SIGINT or SIGTERM. Each option is the simulated port's key of the
same name; chances are written from 0 to 1. Only the adapter: a pseudo-terminal has no control
lines to wake the update box with. Point the program at it with TOBRIK_PORTS='3=PATH'.

Exit status: 0 after SIGINT or SIGTERM; 1 when no pseudo-terminal can be made; 64 usage error,
or a value the simulated port refuses (named on standard error).
)"},
                         Simulate);
} // namespace

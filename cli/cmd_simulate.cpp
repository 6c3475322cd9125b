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
                     "[--unplug-at N] [--seed S] [--line-rate]";

// Each option with a value is the simulated port's key of the same name.
const QStringList ValueKeys{"decoder",    "block",      "flash",   "lost-reply",
                            "bad-block",  "lost-block", "slow-reply", "garbage",
                            "unplug-at",  "seed"};

int Fail(const QString &message)
{
    PrintErr(QStringLiteral("simulate: %1\n").arg(message));
    return 64;
}

// The adapter's simulated port text for the options; what is left in args was not understood.
QString AdapterAddress(QStringList &args)
{
    QStringList pairs;
    for (const QString &key : ValueKeys) {
        const QString value = TakeOption(args, QStringLiteral("--") + key);
        if (!value.isNull())
            pairs.append(key + QLatin1Char('=') + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    }
    if (TakeFlag(args, QStringLiteral("--line-rate")))
        pairs.append(QStringLiteral("line-rate=1"));
    return QStringLiteral("sim:adapter?") + pairs.join(QLatin1Char('&'));
}

int Simulate(const QStringList &arguments)
{
    QStringList args = arguments;
    // Only the adapter: a pseudo-terminal has no control lines to wake the update box with.
    const bool adapter = TakeFlag(args, QStringLiteral("--adapter"));
    const bool decoder = args.contains(QStringLiteral("--decoder"));
    const QString address = AdapterAddress(args);
    if (!adapter || !decoder || !args.isEmpty())
        return Fail(QStringLiteral("usage: tobrik-cli simulate %1").arg(QLatin1String(Usage)));
    QString refusal;
    const auto model = SimPortAddress::Create(address, &refusal);
    if (!model)
        return Fail(refusal);

    PtyLink link(model);
    QString error;
    if (!link.Open(&error)) {
        PrintErr(QStringLiteral("simulate: cannot make a pseudo-terminal: %1\n").arg(error));
        return 1;
    }
    PrintOut(link.Path() + QLatin1Char('\n'));
    QEventLoop loop;
    TerminationSignals::Install([&loop] { loop.quit(); });
    loop.exec();
    TerminationSignals::Install({});
    return 0;
}

const CliCommand command("simulate", Usage, Simulate);
} // namespace

// tobrik-cli lookup: finds one decoder ID in a decoder software file's index.
#include "cli/CliCommand.h"
#include "software/DecoderLookup.h"

namespace {
QString Describe(const LookupResult &result)
{
    switch (result.Outcome) {
    case LookupOutcome::Found: {
        const IndexEntry &entry = result.Entry;
        return QStringLiteral("found\t%1\t%2\t").arg(entry.Start).arg(entry.Length) + entry.Name
               + QLatin1Char('\t') + entry.Version + QLatin1Char('\t')
               + QString::number(entry.Type);
    }
    case LookupOutcome::Absent:
        return QStringLiteral("absent");
    case LookupOutcome::Malformed:
        break;
    }
    return QStringLiteral("malformed");
}

int Lookup(const QStringList &args)
{
    bool idOk = false;
    const int id = args.size() == 2 ? args[1].toInt(&idOk) : 0;
    if (!idOk) {
        PrintErr(QStringLiteral("usage: tobrik-cli lookup FILE ID\n"));
        return 64;
    }
    QFile file(args.first());
    if (!OpenForReading(file, "lookup"))
        return 1;
    PrintOut(Describe(LookupDecoder(file, id)) + QLatin1Char('\n'));
    return 0;
}

const CliCommand command("lookup", "FILE ID   found<TAB>START<TAB>LENGTH<TAB>NAME<TAB>VERSION"
                                   "<TAB>TYPE, absent or malformed",
                         Lookup);
} // namespace

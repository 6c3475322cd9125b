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

int Lookup(const QCommandLineParser &parsed)
{
    const QStringList args = parsed.positionalArguments();
    bool idOk = false;
    const int id = args.size() == 2 ? args[1].toInt(&idOk) : 0;
    if (!idOk)
        return UsageError("lookup", QStringLiteral("a FILE and a whole-number ID, please"));
    QFile file(args.first());
    if (!OpenForReading(file, "lookup"))
        return CliStatus::Failure;
    PrintOut(Describe(LookupDecoder(file, id)) + QLatin1Char('\n'));
    return CliStatus::Success;
}

const CliCommand command("lookup",
                         {"find one decoder ID in a decoder software file's index",
                          "FILE ID",
                          {},
                          {{"FILE", "the decoder software file"}, {"ID", "the decoder ID"}},
                          R"(
Prints found<TAB>START<TAB>LENGTH<TAB>NAME<TAB>VERSION<TAB>TYPE, absent or malformed.

Exit status: 0; 1 when FILE cannot be opened; 64 usage error.
)"},
                         Lookup);
} // namespace

// tobrik-cli list: the rows the file page shows for a decoder software file.
#include "cli/CliCommand.h"
#include "software/KtWarning.h"
#include "software/SoftwareIndexListing.h"

namespace {
int List(const QStringList &args)
{
    if (args.size() != 1) {
        PrintErr(QStringLiteral("usage: tobrik-cli list FILE\n"));
        return 64;
    }
    QFile file(args.first());
    if (!OpenForReading(file, "list"))
        return 1;
    const SoftwareIndexListing listing = ListSoftwareIndex(file);
    if (!listing.Recognised) {
        PrintErr(QStringLiteral("list: %1 is not a decoder software file\n").arg(file.fileName()));
        return 1;
    }
    QString rows;
    for (const IndexEntry &entry : listing.Entries)
        rows += entry.Name + QLatin1Char('\t') + entry.Version + QLatin1Char('\t')
                + QString::number(entry.Id) + QLatin1Char('\n');
    PrintOut(rows);
    if (listing.HasKtEntry)
        PrintErr(KtWarning::FirstLine() + QLatin1Char('\n') + KtWarning::SecondLine()
                 + QLatin1Char('\n'));
    if (listing.Malformed) {
        PrintErr(QStringLiteral("list: the index of %1 breaks off in something no index holds; "
                                "only the rows before it are listed\n")
                     .arg(file.fileName()));
        return 1;
    }
    return listing.HasKtEntry ? 2 : 0;
}

const CliCommand command("list",
                         "FILE   rows NAME<TAB>VERSION<TAB>ID; status 1 for a file that is not "
                         "one or a malformed index, 2 for KT files",
                         List);
} // namespace

// tobrik-cli list: the rows the file page shows for a decoder software file, loaded by the
// file page's own procedure.
#include "cli/CliCommand.h"
#include "software/KtWarning.h"
#include "software/SoftwareFilePage.h"

namespace {
// The decoder list on the terminal: rows on standard output as they are read, the KT warning
// on standard error. A terminal has no caption, no selection and no Next button, and each run
// lists one file, so there is nothing to clear.
class TerminalDecoderList : public DecoderListView {
public:
    void ClearDecoderList() override {}
    void AddDecoderRow(const QString &name, const QString &version, const QString &id) override
    {
        PrintOut(name + QLatin1Char('\t') + version + QLatin1Char('\t') + id + QLatin1Char('\n'));
    }
    void SelectAllRows() override {}
    void SetNextEnabled(bool) override {}
    void SetCaption(const QString &) override {}
    void ShowKtWarning() override
    {
        PrintErr(KtWarning::FirstLine() + QLatin1Char('\n') + KtWarning::SecondLine()
                 + QLatin1Char('\n'));
    }
};

int List(const QStringList &args)
{
    if (args.size() != 1) {
        PrintErr(QStringLiteral("usage: tobrik-cli list FILE\n"));
        return 64;
    }
    const QString path = args.first();
    TerminalDecoderList terminal;
    const LoadResult loaded = SoftwareFilePage::LoadSoftwareFile(terminal, path);
    if (!loaded.Opened) {
        PrintErr(QStringLiteral("list: cannot open %1: %2\n").arg(path, loaded.OpenError));
        return 1;
    }
    if (!loaded.Listing.Recognised) {
        PrintErr(QStringLiteral("list: %1 is not a decoder software file\n").arg(path));
        return 1;
    }
    if (loaded.Listing.Malformed) {
        PrintErr(QStringLiteral("list: the index of %1 breaks off in something no index holds; "
                                "only the rows before it are listed\n")
                     .arg(path));
        return 1;
    }
    return loaded.Listing.HasKtEntry ? 2 : 0;
}

const CliCommand command("list",
                         "FILE   rows NAME<TAB>VERSION<TAB>ID; status 1 for a file that is not "
                         "one or a malformed index, 2 for KT files",
                         List);
} // namespace

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

constexpr int KtStatus = 2;

int List(const QCommandLineParser &parsed)
{
    const QStringList args = parsed.positionalArguments();
    if (args.size() != 1)
        return UsageError("list", QStringLiteral("one FILE, please"));
    const QString path = args.first();
    TerminalDecoderList terminal;
    const LoadResult loaded = SoftwareFilePage::LoadSoftwareFile(terminal, path);
    if (!loaded.Opened) {
        PrintErr(QStringLiteral("list: cannot open %1: %2\n").arg(path, loaded.OpenError));
        return CliStatus::Failure;
    }
    if (!loaded.Listing.Recognised) {
        PrintErr(QStringLiteral("list: %1 is not a decoder software file\n").arg(path));
        return CliStatus::Failure;
    }
    if (loaded.Listing.Malformed) {
        PrintErr(QStringLiteral("list: the index of %1 breaks off in something no index holds; "
                                "only the rows before it are listed\n")
                     .arg(path));
        return CliStatus::Failure;
    }
    return loaded.Listing.HasKtEntry ? KtStatus : CliStatus::Success;
}

const CliCommand command("list",
                         {"list the decoders in a decoder software file, as the file page does",
                          "FILE",
                          {},
                          {{"FILE", "the decoder software file"}},
                          R"(
Prints the file page's rows, NAME<TAB>VERSION<TAB>ID, as they are read.

Exit status: 0; 2 when the file holds a KT decoder (the warning on standard error); 1 when the
file cannot be opened, is no decoder software file (nothing listed) or its index breaks off
malformed (the rows before are listed), each explained on standard error; 64 usage error.
)"},
                         List);
} // namespace

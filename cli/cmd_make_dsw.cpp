// tobrik-cli make-dsw: writes a decoder software file with made-up images.
#include "cli/CliCommand.h"
#include "software/DswGenerator.h"

#include <QSaveFile>

namespace {
const QCommandLineOption LayoutOption(QStringLiteral("layout"),
                                     QStringLiteral("the index layout: token or fixed (width)"),
                                     QStringLiteral("token|fixed"), QStringLiteral("token"));
const QCommandLineOption OutOption(QStringLiteral("out"), QStringLiteral("the file to write"),
                                  QStringLiteral("FILE"));
const QCommandLineOption LeadOption(QStringLiteral("lead"),
                                   QStringLiteral("every image's lead byte, in hex"),
                                   QStringLiteral("HEX"),
                                   QString::number(DswGenerator::DefaultLeadByte, 16));

int Fail(const QString &message)
{
    return UsageError("make-dsw", message);
}

int MakeDsw(const QCommandLineParser &parsed)
{
    const QString layoutName = parsed.value(LayoutOption);
    const QString out = parsed.value(OutOption);
    const QString leadText = parsed.value(LeadOption);
    bool leadOk = false;
    const uint lead = leadText.toUInt(&leadOk, 16);
    if (layoutName != QLatin1String("token") && layoutName != QLatin1String("fixed"))
        return Fail(QStringLiteral("--layout must be token or fixed"));
    if (out.isEmpty())
        return Fail(QStringLiteral("--out FILE is required"));
    if (!leadOk || lead > 0xFF)
        return Fail(QStringLiteral("--lead takes one byte in hex"));

    QVector<DswGenerator::Entry> entries;
    QString error;
    for (const QString &text : parsed.positionalArguments()) {
        const auto entry = DswGenerator::ParseEntry(text, error);
        if (!entry)
            return Fail(error);
        entries.append(*entry);
    }
    const auto layout = layoutName == QLatin1String("token") ? DswGenerator::Layout::Token
                                                             : DswGenerator::Layout::Fixed;
    const auto bytes = DswGenerator::Build(layout, entries, static_cast<uint8_t>(lead), error);
    if (!bytes)
        return Fail(error);

    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        PrintErr(QStringLiteral("make-dsw: cannot write %1: %2\n").arg(out, file.errorString()));
        return CliStatus::Failure;
    }
    return CliStatus::Success;
}

const CliCommand command("make-dsw",
                         {"write a decoder software file with made-up images",
                          "[--layout token|fixed] --out FILE [--lead HEX] "
                          "ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH...",
                          {LayoutOption, OutOption, LeadOption},
                          {{"ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH...",
                            "one index entry and its image of that many made-up bytes"}},
                          R"(
The demo's decoder software file is made this way. Every image's payload opens with the
generator's mark, so the update sends it to a simulated programmer only.

Exit status: 0; 1 when FILE cannot be written; 64 usage error.
)"},
                         MakeDsw);
} // namespace

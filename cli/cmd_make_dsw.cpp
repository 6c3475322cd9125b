// tobrik-cli make-dsw: writes a decoder software file with made-up images.
#include "cli/CliCommand.h"
#include "software/DswGenerator.h"

#include <QSaveFile>

namespace {
int Fail(const QString &message)
{
    PrintErr(QStringLiteral("make-dsw: %1\n").arg(message));
    return 64;
}

int MakeDsw(const QStringList &arguments)
{
    QStringList args = arguments;
    const QString layoutName = TakeOption(args, QStringLiteral("--layout"), QStringLiteral("token"));
    const QString out = TakeOption(args, QStringLiteral("--out"));
    const QString leadText = TakeOption(args, QStringLiteral("--lead"),
                                        QString::number(DswGenerator::DefaultLeadByte, 16));
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
    for (const QString &text : args) {
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
        return 1;
    }
    return 0;
}

const CliCommand command("make-dsw",
                         "--layout token|fixed --out FILE [--lead HEX] "
                         "ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH...",
                         MakeDsw);
} // namespace

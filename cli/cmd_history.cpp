// tobrik-cli history: the update history's records, for people as a table, for other programs
// as JSON lines or CSV. It only reads: no folder is made, no record is changed.
#include "cli/CliCommand.h"

#include "app/Mod_Getfolder.h"
#include "history/HistoryListing.h"
#include "history/UpdateHistory.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>

namespace {
const QCommandLineOption JsonOption(QStringLiteral("json"),
                                   QStringLiteral("the records as JSON lines, one object a line"));
const QCommandLineOption CsvOption(QStringLiteral("csv"),
                                  QStringLiteral("the records as CSV, with a header line"));
const QCommandLineOption DecoderOption(QStringLiteral("decoder"),
                                      QStringLiteral("only the records of this decoder ID; "
                                                     "repeat for several"),
                                      QStringLiteral("ID"));

const QStringList TableHeader{QStringLiteral("TIME"),    QStringLiteral("DECODER"),
                              QStringLiteral("VERSION"), QStringLiteral("RESULT"),
                              QStringLiteral("BLOCKS"),  QStringLiteral("SECONDS"),
                              QStringLiteral("NOTE")};
// The blocks and the seconds line up at their right edge, as numbers do.
const QList<int> RightAlignedColumns{4, 5};
const QString ColumnGap = QStringLiteral("  ");
const QString Unknown = QStringLiteral("-");
constexpr int SecondsDecimals = 1;

// The decoder IDs asked for; nothing when one is no number.
std::optional<QList<int>> DecoderIds(const QStringList &values)
{
    QList<int> ids;
    for (const QString &value : values) {
        bool valid = false;
        ids.append(value.toInt(&valid));
        if (!valid)
            return std::nullopt;
    }
    return ids;
}

// Oldest first by the attempts' start, whatever order they ended and were written in.
std::vector<UpdateRecord> Selected(std::vector<UpdateRecord> records, const QList<int> &ids)
{
    if (!ids.isEmpty())
        records.erase(std::remove_if(records.begin(), records.end(),
                                     [&ids](const UpdateRecord &record) {
                                         return !record.decoderId
                                                || !ids.contains(*record.decoderId);
                                     }),
                      records.end());
    std::stable_sort(records.begin(), records.end(),
                     [](const UpdateRecord &a, const UpdateRecord &b) { return a.time < b.time; });
    return records;
}

template <typename Number> QString NumberOrUnknown(const std::optional<Number> &number)
{
    return number ? QString::number(*number) : Unknown;
}

// As the History window names it; a dash where it names nothing.
QString DecoderCell(const UpdateRecord &record)
{
    const QString decoder = HistoryCells::Decoder(record.decoder, record.decoderId);
    return decoder.isEmpty() ? Unknown : decoder;
}

QStringList TableRow(const UpdateRecord &record)
{
    return {HistoryCells::Time(record),
            DecoderCell(record),
            record.version.isEmpty() ? Unknown : record.version,
            ResultName(record.result),
            NumberOrUnknown(record.blocksAcknowledged) + QLatin1Char('/')
                + NumberOrUnknown(record.blocks),
            QString::number(record.seconds, 'f', SecondsDecimals),
            record.note};
}

QString TableLine(const QStringList &cells, const QList<int> &widths)
{
    QString line;
    for (int column = 0; column < cells.size(); ++column) {
        const int width = RightAlignedColumns.contains(column) ? widths[column] : -widths[column];
        line += (column ? ColumnGap : QString()) + QStringLiteral("%1").arg(cells[column], width);
    }
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line + QLatin1Char('\n');
}

QString Table(const std::vector<UpdateRecord> &records)
{
    QList<QStringList> rows{TableHeader};
    for (const UpdateRecord &record : records)
        rows.append(TableRow(record));
    QList<int> widths(TableHeader.size(), 0);
    for (const QStringList &row : rows)
        for (int column = 0; column < row.size(); ++column)
            widths[column] = qMax(widths[column], static_cast<int>(row[column].size()));
    QString table;
    for (const QStringList &row : rows)
        table += TableLine(row, widths);
    return table;
}

QString JsonLines(const std::vector<UpdateRecord> &records)
{
    QString lines;
    for (const UpdateRecord &record : records)
        lines += QString::fromUtf8(QJsonDocument(record.ToJson()).toJson(QJsonDocument::Compact))
                 + QLatin1Char('\n');
    return lines;
}

int History(const QCommandLineParser &parsed)
{
    if (parsed.isSet(JsonOption) && parsed.isSet(CsvOption))
        return UsageError("history", QStringLiteral("--json and --csv do not go together"));
    const auto ids = DecoderIds(parsed.values(DecoderOption));
    if (!ids)
        return UsageError("history", QStringLiteral("--decoder takes a decoder ID, a number"));

    Mod_Getfolder::ComputePaths();
    const QString path = UpdateHistory::FilePath();
    // A history never written is an empty one; one that is there must be readable.
    QFile file(path);
    if (QFileInfo::exists(path) && !OpenForReading(file, "history"))
        return CliStatus::Failure;
    file.close();

    const std::vector<UpdateRecord> records = Selected(UpdateHistory::Read(path), *ids);
    if (parsed.isSet(JsonOption))
        PrintOut(JsonLines(records));
    else if (parsed.isSet(CsvOption))
        PrintOut(UpdateHistory::ToCsv(records));
    else
        PrintOut(Table(records));
    return CliStatus::Success;
}

const CliCommand command("history",
                         {"print the update history: every update attempt with its result",
                          "[--json | --csv] [--decoder ID ...]",
                          {JsonOption, CsvOption, DecoderOption},
                          {},
                          R"(
Prints the records of the update history, the file Update_History.jsonl in the per-user
working folder, oldest first by the attempt's start. By default a table for people: the time
(local), the decoder's name with its ID, the software version, the result (finished,
unconfirmed, failed, declined, interrupted), the blocks acknowledged of the image's blocks,
the seconds taken and the note. --json prints each record as a JSON object on a line of its
own, --csv the records as CSV with a header line. With no record the table's header or the
CSV header is printed, and nothing for --json. A line of the file that cannot be read (a
record cut short by a kill) is skipped and named on standard error.

Exit status: 0; 1 when the history file is there but cannot be read (the reason on standard
error); 64 usage error, such as --json with --csv.
)"},
                         History);
} // namespace

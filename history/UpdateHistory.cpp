#include "history/UpdateHistory.h"

#include "app/Log.h"
#include "app/Module_DU.h"

#include <QFile>
#include <QJsonDocument>
#include <QStringList>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
const QString FileName = QStringLiteral("Update_History.jsonl");
// A record is a few hundred bytes; a longer line is none of ours, and reading it whole could
// take all the memory a broken or hostile file asks for.
constexpr qint64 MaxLineBytes = 64 << 10;

// Down to the disk, not only to the system's cache: a power cut after the update must not take
// its record with it.
bool Sync(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return fsync(file.handle()) == 0;
#endif
}

// A kill in the middle of an earlier append can leave a last line without its end.
bool EndsTorn(QFile &file)
{
    if (file.size() == 0 || !file.seek(file.size() - 1))
        return false;
    char last = '\n';
    return file.getChar(&last) && last != '\n';
}

void ReportNotWritten(const QFile &file)
{
    Log::Problem(QStringLiteral("Update history %1 not written: %2. The update's result stands.")
                     .arg(file.fileName(), file.errorString()));
}

const QStringList CsvHeader{
    QStringLiteral("time"), QStringLiteral("decoder_id"), QStringLiteral("decoder"),
    QStringLiteral("version"), QStringLiteral("file"), QStringLiteral("file_sha256"),
    QStringLiteral("port"), QStringLiteral("device"), QStringLiteral("method"),
    QStringLiteral("no_query"), QStringLiteral("blind"), QStringLiteral("preamble"),
    QStringLiteral("timing_target_ms"), QStringLiteral("result"), QStringLiteral("blocks"),
    QStringLiteral("blocks_acknowledged"), QStringLiteral("seconds"), QStringLiteral("note")};

QString CsvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The JSON value as a spreadsheet cell: texts as they are, null as an empty cell.
QString CsvCell(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 16);
    case QJsonValue::String:
        return CsvField(value.toString());
    default:
        return {};
    }
}
} // namespace

namespace UpdateHistory {

QString FilePath()
{
    const QString &folder = Module_DU::State().UserFolder;
    return folder.isEmpty() ? QString() : folder + FileName;
}

bool Append(const UpdateRecord &record, const QString &path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        ReportNotWritten(file);
        return false;
    }
    QByteArray line = QJsonDocument(record.ToJson()).toJson(QJsonDocument::Compact) + '\n';
    if (EndsTorn(file))
        line.prepend('\n');
    // One write for the whole line: an append is never interleaved with another program's.
    if (file.write(line) != line.size() || !Sync(file)) {
        ReportNotWritten(file);
        return false;
    }
    return true;
}

std::vector<UpdateRecord> Read(const QString &path)
{
    std::vector<UpdateRecord> records;
    QFile file(path);
    if (!file.exists())
        return records;
    if (!file.open(QIODevice::ReadOnly)) {
        Log::Problem(QStringLiteral("Update history %1 not read: %2.").arg(path, file.errorString()));
        return records;
    }
    for (int lineNumber = 1; !file.atEnd(); ++lineNumber) {
        const QByteArray line = file.readLine(MaxLineBytes).trimmed();
        if (line.isEmpty())
            continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        const std::optional<UpdateRecord> record =
            document.isObject() ? UpdateRecord::FromJson(document.object()) : std::nullopt;
        if (record)
            records.push_back(*record);
        else
            Log::Problem(QStringLiteral("Update history %1: line %2 is no record; skipped.")
                             .arg(path).arg(lineNumber));
    }
    return records;
}

QString ToCsv(const std::vector<UpdateRecord> &records)
{
    QString csv = CsvHeader.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const UpdateRecord &record : records) {
        const QJsonObject object = record.ToJson();
        QStringList cells;
        for (const QString &key : CsvHeader)
            cells << CsvCell(object.value(key));
        csv += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return csv;
}

} // namespace UpdateHistory

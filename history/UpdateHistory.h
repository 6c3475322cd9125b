#pragma once
// The history of every update attempt: a file of JSON lines in the per-user working folder, one
// record a line. Records are only ever appended, each with its line end in one write and synced
// to the disk, so a kill at any moment leaves every earlier record readable; at most the last
// line may be torn, and the reader skips it.

#include "history/UpdateRecord.h"

#include <QString>
#include <vector>

namespace UpdateHistory {

// Update_History.jsonl in the per-user working folder; empty while no working folder is known
// (procedures run outside the program, as the benchmarks run them).
QString FilePath();

// Appends record to the file at path (created when missing); with an empty path it keeps
// nothing. A torn last line left by a kill is
// closed first, so the new record starts a line of its own. False, with the reason in a log
// problem line, when the file cannot be written: the update's result stands all the same.
bool Append(const UpdateRecord &record, const QString &path = FilePath());

// Every readable record, oldest first. An unreadable line (a torn last line, a line another
// program broke) is skipped with a log line naming it; a missing file is an empty history.
std::vector<UpdateRecord> Read(const QString &path = FilePath());

// The records as CSV for a spreadsheet: a header line, then one line per record, in the
// record's field order; fields with a comma, quote or line end are quoted.
QString ToCsv(const std::vector<UpdateRecord> &records);

} // namespace UpdateHistory

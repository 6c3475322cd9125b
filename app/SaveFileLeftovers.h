#pragma once
// The settings file and every download are written into a temporary file beside the real one,
// named like it plus "." and six letters or digits, which then replaces it in one step. A kill
// between the two leaves that temporary file behind. It is never a file of its own: it must not
// be taken for a decoder software file, and it is removed at the next start.

#include <QString>
#include <functional>

namespace SaveFileLeftovers {

// A temporary file that nobody has written to for this long belongs to no running write: a
// settings file is written in milliseconds, and a download gives up after a few minutes.
constexpr qint64 StaleAfterSeconds = 60 * 60;

// The name of the file that a temporary file of this name was to replace; empty when the name
// has no temporary file's form.
QString TargetName(const QString &fileName);

// Removes the stale temporary files directly in folder whose target names pass isTarget.
void RemoveStale(const QString &folder, const std::function<bool(const QString &)> &isTarget);

} // namespace SaveFileLeftovers

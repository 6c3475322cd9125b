#pragma once
// The trace of what the program does on the serial line. A line is kept only while a log
// window (or the command-line tool's --log) is listening; otherwise it is dropped.

#include <QString>
#include <functional>

namespace Log {

using Sink = std::function<void(const QString &line)>;

// Installs the listener and sets LogActive; an empty sink clears both.
void SetSink(Sink sink);

// Appends line to the log when LogActive is set.
void Line(const QString &line);

// A failure the user must hear of, with its reason and what the program does instead. With no
// log listening (at start, at the close-down, a GUI started without its log window open) it
// goes to standard error, so that a terminal or the session's journal still shows it.
void Problem(const QString &line);

} // namespace Log

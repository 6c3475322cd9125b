#pragma once
// One line typed on standard input, read while the program's events go on: a termination
// signal is taken while the user has not answered yet, and can cancel the wait. (Where the
// system cannot watch standard input, the read blocks as a plain read does.)

#include <QString>
#include <optional>

class QEventLoop;

class StandardInputLine {
public:
    // The line without its end; at the end of the input, what came before it. Nothing when
    // Cancel ended the wait. Bytes after the line may be consumed: one line is read per run.
    std::optional<QString> Read();

    // Ends a Read that waits, which then returns nothing; false when none waits.
    bool Cancel();

private:
    QEventLoop *waiting_ = nullptr;
};

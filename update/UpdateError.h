#pragma once
// A run-time error of the update procedures themselves (a value that does not fit, a division
// by zero, an entry that is not there, a read past the end of the image). Like SerialError it
// carries a description for the log; the step that raised it is skipped and the run goes on.

#include <QString>
#include <stdexcept>

class UpdateError : public std::runtime_error {
public:
    explicit UpdateError(const QString &description) : std::runtime_error(description.toStdString())
    {
    }

    QString Description() const { return QString::fromStdString(what()); }

    static UpdateError Overflow() { return UpdateError(QStringLiteral("Overflow")); }
    static UpdateError DivisionByZero() { return UpdateError(QStringLiteral("Division by zero")); }
    static UpdateError SubscriptOutOfRange()
    {
        return UpdateError(QStringLiteral("Subscript out of range"));
    }
    static UpdateError TypeMismatch() { return UpdateError(QStringLiteral("Type mismatch")); }
    // Said to the user: the port page had no port to choose.
    static UpdateError NoPortChosen()
    {
        return UpdateError(QStringLiteral("no port chosen, the port page found no serial port"));
    }
    static UpdateError BadRecordNumber()
    {
        return UpdateError(QStringLiteral("Bad record number"));
    }
    static UpdateError PastEndOfFile()
    {
        return UpdateError(QStringLiteral("Input past end of file"));
    }
};

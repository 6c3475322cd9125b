#pragma once
// The one error a serial operation reports: what() is the system's (or the simulator's)
// description of what went wrong, ready for the log.

#include <QString>
#include <stdexcept>

class SerialError : public std::runtime_error {
public:
    explicit SerialError(const QString &description)
        : std::runtime_error(description.toStdString())
    {
    }

    QString Description() const { return QString::fromStdString(what()); }
};

#pragma once
// Why a serial device refused to open with a permission error, and what the user can do about
// it. The system gives one error for two different troubles: the user may not open the device
// at all, or another program holds it (a lock file, or the device opened for one user only).

#include <QString>

namespace PortRefusal {

enum class Cause {
    NoPermission, // the user's account may not read and write the device
    InUse,        // another program holds the port
};

struct Reason {
    Cause cause = Cause::InUse;
    QString group;  // NoPermission: the group to join, the device's own where it is no root's
    QString holder; // InUse: the program holding it, as "name, process N"; empty when unknown
};

// Asks the system about the device at path after it refused to open. Cheap: one access test,
// the device's owner group, and a look for the port's lock file.
Reason Examine(const QString &path);

// The sentences that follow the system's error text, each ending in a full stop.
QString Advice(const Reason &reason);

} // namespace PortRefusal

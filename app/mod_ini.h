#pragma once
// Reads and writes values of a profile ("ini") file, the way the Windows profile calls do:
// section and key names match without regard to case, every other line of the file is kept,
// and the file is replaced in one step, so a crash never leaves half a settings file.

#include <QString>
#include <QStringList>

namespace mod_ini {

// The reader hands back at most this many characters (a 750-character buffer less its NUL).
constexpr int MaxValueLength = 749;

// A profile file held in memory: read once, any number of values set, written once, so that
// several values change together or not at all.
class Profile {
public:
    // Reads the file; a missing or unreadable one reads as empty (an unreadable one is reported).
    explicit Profile(const QString &filePath);

    // The value of key in section, or defaultValue when the section or key is missing.
    QString Value(const QString &section, const QString &key, const QString &defaultValue) const;

    // Stores value under the upper-cased key, in place of an existing one of any case.
    void SetValue(const QString &section, const QString &key, const QString &value);

    // Replaces the file with the lines held. False, reported, when it could not be written;
    // the file then keeps what it held.
    bool Save() const;

private:
    QString filePath_;
    QStringList lines_;
};

// One value read from the file at filePath.
QString ReadIniString(const QString &section, const QString &key, const QString &filePath,
                      const QString &defaultValue);

// One value stored in the file at filePath. Returns false when the file could not be written.
bool WriteIniString(const QString &section, const QString &key, const QString &value,
                    const QString &filePath);

} // namespace mod_ini

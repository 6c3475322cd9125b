#pragma once
// Reads and writes single values of a profile ("ini") file, the way the Windows profile calls do:
// section and key names match without regard to case, every other line of the file is kept,
// and the file is replaced atomically so a crash never leaves half a settings file.

#include <QString>

namespace mod_ini {

// The reader hands back at most this many characters (a 750-character buffer less its NUL).
constexpr int MaxValueLength = 749;

// The value of key in section, or defaultValue when the file, section or key is missing.
QString ReadIniString(const QString &section, const QString &key, const QString &filePath,
                      const QString &defaultValue);

// Stores value under the upper-cased key. Returns false when the file could not be written.
bool WriteIniString(const QString &section, const QString &key, const QString &value,
                    const QString &filePath);

} // namespace mod_ini

#pragma once
// The fixed German warning for files that hold a KT decoder, which this program cannot update.
// It is never translated.

#include <QString>

namespace KtWarning {

inline QString Title()
{
    return QStringLiteral("Warnung");
}

inline QString FirstLine()
{
    return QStringLiteral("KT-Decoder werden derzeit nicht unterstützt. ");
}

inline QString SecondLine()
{
    return QStringLiteral("Update nur über USB-Stick möglich!");
}

} // namespace KtWarning

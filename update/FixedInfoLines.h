#pragma once
// Lines that both update procedures list, in German whatever the language.

#include <QStringList>

namespace FixedInfoLines {

// The decoder answered, but the software file holds nothing for its ID.
inline QStringList UnknownDecoder()
{
    return {QStringLiteral("Verbindungsaufbau erfolgreich"),
            QStringLiteral("Unbekannter Dekoder gefunden"),
            QStringLiteral("Softwarefile enthält keine Software"),
            QStringLiteral("für dieses Produkt")};
}

// The image's ID byte names another decoder.
inline QStringList WrongImage()
{
    return {QStringLiteral("Geladene Software ist nicht für dieses Produkt"),
            QStringLiteral("Update wird nicht durchgeführt")};
}

} // namespace FixedInfoLines

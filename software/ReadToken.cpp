#include "software/ReadToken.h"

#include "app/Windows1252.h"

namespace Module_DU {

Token ReadToken(QIODevice &file)
{
    QByteArray field;
    char c = 0;
    while (file.getChar(&c)) {
        if (c == '.' || c == ':' || c == ';' || c == '\t')
            return {Windows1252::Decode(field), QString(QLatin1Char(c))};
        field.append(c);
    }
    return {Windows1252::Decode(field), QString()};
}

} // namespace Module_DU

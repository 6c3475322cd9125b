#include "software/ReadToken.h"

#include "app/Windows1252.h"

namespace Module_DU {
namespace {
bool IsSeparator(char c)
{
    return c == '.' || c == ':' || c == ';' || c == '\t';
}
} // namespace

Token ReadToken(IndexInput &index)
{
    QByteArray field;
    char c = 0;
    while (index.GetChar(c)) {
        if (IsSeparator(c))
            return {Windows1252::Decode(field), QString(QLatin1Char(c))};
        if (field.size() == MaxFieldLength)
            return {Windows1252::Decode(field), QString(), true};
        field.append(c);
    }
    return {Windows1252::Decode(field), QString()};
}

} // namespace Module_DU

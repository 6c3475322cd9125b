#include "update/TextNumber.h"

#include "update/UpdateError.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace TextNumber {
namespace {
bool IsDigit(const QString &text, int at)
{
    return at < text.size() && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9');
}

int SkipDigits(const QString &text, int at)
{
    while (IsDigit(text, at))
        ++at;
    return at;
}

bool IsOneOf(const QString &text, int at, const char *characters)
{
    if (at >= text.size() || text.at(at).unicode() == 0 || text.at(at).unicode() >= 0x80)
        return false;
    return std::strchr(characters, text.at(at).toLatin1()) != nullptr;
}

// The end of an exponent "e", sign, digits starting at at; at itself when there is none.
int ExponentEnd(const QString &text, int at)
{
    if (!IsOneOf(text, at, "eE"))
        return at;
    int digits = at + 1;
    if (IsOneOf(text, digits, "+-"))
        ++digits;
    const int end = SkipDigits(text, digits);
    return end > digits ? end : at;
}
} // namespace

double LeadingNumber(const QString &text)
{
    int start = 0;
    while (IsOneOf(text, start, " \t"))
        ++start;
    int at = start;
    if (IsOneOf(text, at, "+-"))
        ++at;
    const int integerEnd = SkipDigits(text, at);
    int fractionEnd = integerEnd;
    if (IsOneOf(text, integerEnd, "."))
        fractionEnd = SkipDigits(text, integerEnd + 1);
    const int integerDigits = integerEnd - at;
    const int fractionDigits = fractionEnd > integerEnd ? fractionEnd - integerEnd - 1 : 0;
    if (integerDigits + fractionDigits == 0) // a sign or a point alone is no number
        return 0;
    const int end = ExponentEnd(text, fractionEnd);
    return text.mid(start, end - start).toDouble();
}

int32_t WholeNumber(double value)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const double whole = std::nearbyint(value);
    if (!(whole >= std::numeric_limits<int32_t>::min()
          && whole <= std::numeric_limits<int32_t>::max()))
        throw UpdateError::Overflow();
    return static_cast<int32_t>(whole);
}

int32_t Count(const QString &text)
{
    return WholeNumber(LeadingNumber(text));
}

} // namespace TextNumber

#pragma once
// How the update procedure reads the numbers the user typed into the page's text boxes: the
// leading decimal number, anything after it ignored, 0 when there is none; counts are then
// rounded to whole numbers, halves to even.

#include <QString>
#include <cstdint>

namespace TextNumber {

// "100" gives 100, " 12.5ms" 12.5, "-3e2x" -300, "abc" and "" give 0.
double LeadingNumber(const QString &text);

// value rounded to the nearest whole number, halves to even (2.5 gives 2, 3.5 gives 4); throws
// UpdateError::Overflow when that does not fit 32 bits.
int32_t WholeNumber(double value);

// The leading number of text as a count: WholeNumber(LeadingNumber(text)).
int32_t Count(const QString &text);

} // namespace TextNumber

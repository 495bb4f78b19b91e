#pragma once
// Conversions of stored text to numbers. Every number in the settings store is decimal text that the
// user may have edited, so nothing here trusts it: a text that does not begin with a number reads as 0
// and results are kept inside the range their caller can hold.
#include <QStringView>

#include <cstdint>

namespace qb {

// The leading numeric part of `text`: blanks, an optional sign, digits with an optional fraction and an
// optional exponent ("12abc" is 12, " -3.5e2x" is -350, "abc" and "" are 0). Overflow gives ±infinity.
double LeadingNumber(QStringView text);

// `value` rounded to the nearest whole number (halves to even) and clamped to low .. high.
int32_t ClampedWhole(double value, int32_t low, int32_t high);

// LeadingNumber() then ClampedWhole() over the full 32-bit signed range.
int32_t StoredInt32(QStringView text);

} // namespace qb

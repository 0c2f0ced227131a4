// Money: a double in rand, compared and allocated after rounding to cents.
//
// Amounts are kept as binary doubles, so a value typed as 1.005 is held as
// 1.00499999999999989...; rounding it with round(x * 100) would give 100
// cents where the clerk means 101. Every rounding here therefore first reads
// the value back as the decimal it stands for (15 significant digits, the
// precision a double carries), then rounds that decimal half away from zero.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// Whole cents, half a cent rounded away from zero (0.285 -> 29, -1.005 -> -101).
// NaN gives 0; amounts beyond the 64-bit range saturate.
std::int64_t toCents(double rand);

// Rand from whole cents.
double fromCents(std::int64_t cents);

// The amount rounded to whole cents.
double roundCents(double rand);

// Equal once both are rounded to cents.
bool sameMoney(double a, double b);

// -1, 0 or 1 as a is less than, equal to or greater than b at cents.
int compareMoney(double a, double b);

// The value as decimal text with exactly `decimals` places (0..15), rounded
// half away from zero by the same rule as toCents: "-1234.50", "0.29", "12".
// A leading minus only when the rounded value is not zero. No thousands
// separator. NaN and infinities give "nan", "inf" and "-inf".
std::string fixedDecimal(double value, int decimals);

}  // namespace vel

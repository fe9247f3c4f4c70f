// Small helpers shared by the text readers of the stage files: key matching at column 0 and
// decimal number conversions that behave the same whatever the process locale is.
#pragma once

#include <cstddef>
#include <cstdint>

// 1 when the first n bytes of text equal the first n bytes of key; stops at the first
// difference, so neither string is read past a terminator that differs from the other.
int MatchPrefix(const char* text, const char* key, size_t n);

// Like the C library's atoi: leading blanks skipped, an optional sign, decimal digits up to
// the first other character; no digits gives 0. Values beyond the int range are clamped.
int32_t ReadDecimalInt(const char* text);

// Like the C library's atof in the "C" locale: leading blanks skipped, a decimal real with an
// optional sign, fraction and exponent; nothing readable gives 0.0.
float ReadDecimalReal(const char* text);

// Reads count reals: the first at text, each further one behind the next separator. False
// when a separator is missing (the reals before it are written).
bool ReadSeparatedReals(const char* text, char separator, float* out, int count);

// The checking forms, for readers that refuse what they cannot read: leading blanks skipped,
// then a number that must be there, within the int range or finite as a float. *end is set
// behind the number. False (out and end untouched) when there is none.
bool ParseDecimalInt(const char* text, int32_t* out, const char** end);
bool ParseDecimalReal(const char* text, float* out, const char** end);

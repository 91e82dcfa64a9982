#pragma once

#include <QString>

// The numeric value of a typed text: a decimal number with a point read from the start of the
// text (after leading spaces) up to the first character that does not fit; empty text gives 0.
// "12.5cm" -> 12.5, "-3" -> -3, "abc" -> 0.
double leadingNumber(const QString& text);

// Number texts as the settings files write them: no leading space, a point, no trailing zeros,
// exponent form only for very large or very small magnitudes ("1.671168E+07").
// Single precision keeps 7 significant digits, double precision 15.
QString singleText(double value);
QString doubleText(double value);

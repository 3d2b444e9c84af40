#pragma once

#include <QtGlobal>

// Amounts in cents and the running totals of a transfer file.
//
// The ledger file has always been produced with the arithmetic of the x87 extended
// format (64-bit significand): the product amount × 100 and the sums of the totals are
// formed there and only then rounded to an integer or stored back as a double. The
// functions below give those results bit for bit with integer arithmetic of their own,
// so they are the same on every compiler, optimisation level and processor, whatever
// `long double` happens to be.

// The amount in cents: the integer nearest to amount × 100, ties to even.
// The product is taken exactly (a double's 53-bit significand times 100 needs at most
// 58 bits, so the extended product never rounds), which is why an amount whose double
// lies a hair off a half cent is rounded by that hair: 0.005 gives 1, 2.675 gives 267.
// Beyond the range of a signed 64-bit integer (amounts above about 9.2e16) the result
// is held at the nearest limit; NaN gives 0.
qint64 VStotine(double znesek);

// total := total + VStotine(amount) / 100, the quotient and the sum in the extended
// format, the sum then stored back as a double (ties to even at every step).
void PristejZaokrozeno(double& vsota, double znesek);

// total := total + amount, the sum in the extended format, stored back as a double.
void PristejNezaokrozeno(double& vsota, double znesek);

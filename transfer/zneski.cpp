#include "zneski.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A value of the x87 extended format: (-1)^neg × sig × 2^exp, with the top bit of the
// 64-bit significand set, or sig == 0 for zero. The exponent range is wider than any
// sum or quotient of doubles needs, so it is not limited here.
struct Razsirjeno {
    bool neg = false;
    std::uint64_t sig = 0;
    int exp = 0;
};

// A 128-bit unsigned integer, high and low half.
struct U128 {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
};

constexpr std::uint64_t kVrhnjiBit = std::uint64_t{1} << 63;

Razsirjeno normaliziraj(bool neg, std::uint64_t m, int exp)
{
    if (m == 0)
        return {neg, 0, 0};
    const int s = std::countl_zero(m);
    return {neg, m << s, exp - s};
}

// The exact value of a finite double.
Razsirjeno izDouble(double x)
{
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const bool neg = (bits >> 63) != 0;
    const int e = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t f = bits & ((std::uint64_t{1} << 52) - 1);
    if (e == 0)
        return normaliziraj(neg, f, -1074); // zero or subnormal
    return normaliziraj(neg, f | (std::uint64_t{1} << 52), e - 1075);
}

// Rounds the nonzero 128-bit magnitude m × 2^exp to a 64-bit significand, ties to even.
// A caller that has dropped nonzero bits below m's last bit marks that by setting the
// last bit (sticky bit); every caller keeps at least two bits below the rounding point,
// so the mark decides the rounding exactly as the dropped bits would.
Razsirjeno zaokrozi64(bool neg, U128 m, int exp)
{
    if (m.hi == 0)
        return normaliziraj(neg, m.lo, exp);
    const int s = std::countl_zero(m.hi);
    std::uint64_t sig = s ? (m.hi << s) | (m.lo >> (64 - s)) : m.hi;
    const std::uint64_t ostanek = m.lo << s;
    int e = exp - s + 64;
    if (ostanek > kVrhnjiBit || (ostanek == kVrhnjiBit && (sig & 1))) {
        ++sig;
        if (sig == 0) { // carried out of the significand
            sig = kVrhnjiBit;
            ++e;
        }
    }
    return {neg, sig, e};
}

bool vecjaVelikost(const Razsirjeno& a, const Razsirjeno& b) { return a.exp != b.exp ? a.exp > b.exp : a.sig >= b.sig; }

// a + b in the extended format: the exact sum rounded to a 64-bit significand.
Razsirjeno sestej(Razsirjeno a, Razsirjeno b)
{
    if (a.sig == 0 && b.sig == 0)
        return {a.neg && b.neg, 0, 0};
    if (b.sig == 0)
        return a;
    if (a.sig == 0)
        return b;
    if (!vecjaVelikost(a, b))
        std::swap(a, b);

    // a's significand fills the high half; b is shifted into place below it. Bits of b
    // that fall off the low end only leave the sticky bit.
    const U128 A{a.sig, 0};
    const int d = a.exp - b.exp;
    U128 B;
    if (d == 0) {
        B = {b.sig, 0};
    } else if (d < 64) {
        B = {b.sig >> d, b.sig << (64 - d)};
    } else if (d == 64) {
        B = {0, b.sig};
    } else if (d < 128) {
        B = {0, b.sig >> (d - 64)};
        if ((b.sig << (128 - d)) != 0)
            B.lo |= 1;
    } else {
        B = {0, 1};
    }

    int exp = a.exp - 64;
    U128 S;
    if (a.neg == b.neg) {
        S.lo = A.lo + B.lo;
        const std::uint64_t prenos = S.lo < A.lo ? 1 : 0;
        const std::uint64_t vmesna = A.hi + B.hi;
        S.hi = vmesna + prenos;
        if (vmesna < A.hi || S.hi < vmesna) { // carry out of 128 bits
            const std::uint64_t izpade = S.lo & 1;
            S.lo = (S.lo >> 1) | (S.hi << 63) | izpade;
            S.hi = (S.hi >> 1) | kVrhnjiBit;
            ++exp;
        }
    } else {
        S.lo = A.lo - B.lo;
        const std::uint64_t izposoja = A.lo < B.lo ? 1 : 0;
        S.hi = A.hi - B.hi - izposoja;
        if (S.hi == 0 && S.lo == 0)
            return {false, 0, 0}; // exact cancellation gives +0
    }
    return zaokrozi64(a.neg, S, exp);
}

// (c / 100) in the extended format: the exact quotient rounded to a 64-bit significand.
Razsirjeno stotinka(qint64 c)
{
    if (c == 0)
        return {};
    const bool neg = c < 0;
    const std::uint64_t velikost =
        neg ? std::uint64_t{0} - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
    const Razsirjeno n = normaliziraj(neg, velikost, 0);

    // (sig × 2^64) / 100 by long division in 32-bit digits; the quotient has at least
    // 120 bits, far more than the 64 kept.
    const std::uint32_t stevke[4] = {static_cast<std::uint32_t>(n.sig >> 32), static_cast<std::uint32_t>(n.sig), 0, 0};
    std::uint64_t kolicnik[4];
    std::uint64_t ostanek = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t del = (ostanek << 32) | stevke[i];
        kolicnik[i] = del / 100;
        ostanek = del % 100;
    }
    U128 q{(kolicnik[0] << 32) | kolicnik[1], (kolicnik[2] << 32) | kolicnik[3]};
    if (ostanek != 0)
        q.lo |= 1;
    return zaokrozi64(neg, q, n.exp - 64);
}

// An extended value stored as a double: rounded to 53 bits (fewer in the subnormal
// range), ties to even; too large a value becomes infinity.
double naDouble(const Razsirjeno& r)
{
    const std::uint64_t predznak = r.neg ? kVrhnjiBit : 0;
    if (r.sig == 0)
        return std::bit_cast<double>(predznak);
    const std::uint64_t neskoncno = predznak | (std::uint64_t{0x7ff} << 52);

    int eksponent = r.exp + 63; // power of two of the leading bit
    if (eksponent > 1023)
        return std::bit_cast<double>(neskoncno);

    // Bits dropped from the 64-bit significand: 11 for a normal double, more below 2^-1022.
    const int odvec = eksponent >= -1022 ? 11 : 11 + (-1022 - eksponent);
    if (odvec > 64)
        return std::bit_cast<double>(predznak); // below half the smallest subnormal
    std::uint64_t q;
    std::uint64_t ostanek;
    std::uint64_t polovica;
    if (odvec == 64) {
        q = 0;
        ostanek = r.sig;
        polovica = kVrhnjiBit;
    } else {
        q = r.sig >> odvec;
        ostanek = r.sig & ((std::uint64_t{1} << odvec) - 1);
        polovica = std::uint64_t{1} << (odvec - 1);
    }
    if (ostanek > polovica || (ostanek == polovica && (q & 1)))
        ++q;

    if (eksponent < -1022) // subnormal; a carry into bit 52 yields the smallest normal
        return std::bit_cast<double>(predznak | q);
    if (q == (std::uint64_t{1} << 53)) {
        q >>= 1;
        ++eksponent;
        if (eksponent > 1023)
            return std::bit_cast<double>(neskoncno);
    }
    const std::uint64_t polje = static_cast<std::uint64_t>(eksponent + 1023) << 52;
    return std::bit_cast<double>(predznak | polje | (q & ((std::uint64_t{1} << 52) - 1)));
}

} // namespace

qint64 VStotine(double znesek)
{
    if (std::isnan(znesek))
        return 0;
    const bool neg = std::signbit(znesek);
    constexpr qint64 kNajvec = std::numeric_limits<qint64>::max();
    constexpr qint64 kNajmanj = std::numeric_limits<qint64>::min();
    if (std::isinf(znesek))
        return neg ? kNajmanj : kNajvec;

    const auto bits = std::bit_cast<std::uint64_t>(znesek);
    const int e = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t f = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t m = e == 0 ? f : f | (std::uint64_t{1} << 52);
    const int eksponent = e == 0 ? -1074 : e - 1075;

    // amount × 100 = (m × 100) × 2^eksponent exactly; m × 100 < 2^60.
    const std::uint64_t p = m * 100;
    std::uint64_t velikost = 0; // |cents|, or kVrhnjiBit and more when out of range
    bool prevec = false;
    if (eksponent >= 0) {
        if (eksponent >= 63 || p > (kVrhnjiBit >> eksponent))
            prevec = true;
        else
            velikost = p << eksponent;
    } else if (-eksponent > 60) {
        velikost = 0; // below 2^60 × 2^-61 = 1/2
    } else {
        const int s = -eksponent;
        velikost = p >> s;
        const std::uint64_t ostanek = p & ((std::uint64_t{1} << s) - 1);
        const std::uint64_t polovica = std::uint64_t{1} << (s - 1);
        if (ostanek > polovica || (ostanek == polovica && (velikost & 1)))
            ++velikost;
    }
    if (prevec || velikost > kVrhnjiBit || (velikost == kVrhnjiBit && !neg))
        return neg ? kNajmanj : kNajvec;
    if (neg)
        return static_cast<qint64>(std::uint64_t{0} - velikost);
    return static_cast<qint64>(velikost);
}

void PristejZaokrozeno(double& vsota, double znesek)
{
    const qint64 centi = VStotine(znesek);
    if (!std::isfinite(vsota)) {
        vsota = vsota + static_cast<double>(centi) / 100.0; // stays infinite or NaN
        return;
    }
    vsota = naDouble(sestej(izDouble(vsota), stotinka(centi)));
}

void PristejNezaokrozeno(double& vsota, double znesek)
{
    if (!std::isfinite(vsota) || !std::isfinite(znesek)) {
        vsota = vsota + znesek; // infinities and NaN behave alike in every precision
        return;
    }
    vsota = naDouble(sestej(izDouble(vsota), izDouble(znesek)));
}

#include "zneski.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct PrimerStotin {
    double znesek;
    qint64 centi;
};

// Every example of the rounding rules, and the limits.
const PrimerStotin kPrimeri[] = {
    {0.125, 12}, // exact half: to the even neighbour
    {0.375, 38},
    {-0.125, -12},
    {-0.375, -38},
    {0.005, 1},         // the double lies a hair above the half cent
    {0.015, 1},         // a hair below: a double product would land on 1.5 and give 2
    {2.675, 267},       // a hair below
    {1234.565, 123457}, // a hair above
    {2.67, 267},
    {-12.34, -1234},
    {0.0, 0},
    {-0.0, 0},
    {0.004, 0},
    {-5.0, -500},
    {10000000000000.0, 1000000000000000},       // 16 digits of cents
    {1e17, std::numeric_limits<qint64>::max()}, // beyond 64 bits: held at the limit
    {-1e300, std::numeric_limits<qint64>::min()},
    {std::numeric_limits<double>::infinity(), std::numeric_limits<qint64>::max()},
    {std::numeric_limits<double>::quiet_NaN(), 0},
    {std::numeric_limits<double>::denorm_min(), 0},
};

TEST(VStotine, PrimeriPravil)
{
    for (const PrimerStotin& p : kPrimeri)
        EXPECT_EQ(VStotine(p.znesek), p.centi) << "amount " << std::hexfloat << p.znesek;
}

// Cents computed independently from the double's exact decimal expansion (printf
// writes every digit of a double exactly), rounded to the nearest integer, ties to even.
qint64 stotineIzDecimalnegaZapisa(double x)
{
    char buf[1200];
    std::snprintf(buf, sizeof buf, "%.1100f", std::fabs(x));
    const std::string s(buf);
    const std::size_t pika = s.find('.');
    std::string celi = s.substr(0, pika) + s.substr(pika + 1, 2); // x × 100, integer part
    const std::string ostanek = s.substr(pika + 3);
    qint64 n = std::stoll(celi);
    const char prva = ostanek.empty() ? '0' : ostanek[0];
    const bool ostaloNic = ostanek.find_first_not_of('0', 1) == std::string::npos;
    if (prva > '5' || (prva == '5' && !ostaloNic) || (prva == '5' && ostaloNic && (n & 1)))
        ++n;
    return std::signbit(x) ? -n : n;
}

// Amounts next to half cents: the nearest double to each half cent and its neighbours
// a few units in the last place away, over magnitudes from cents to 10^13.
std::vector<double> zneskiObPolovicah()
{
    std::mt19937_64 g(20180131);
    std::vector<double> zneski;
    for (int i = 0; i < 3000; ++i) {
        const int stevk = 1 + static_cast<int>(g() % 15);
        std::uint64_t meja = 1;
        for (int j = 0; j < stevk; ++j)
            meja *= 10;
        const std::uint64_t k = g() % meja;
        const double polovica = static_cast<double>(2 * k + 1) / 200.0;
        double x = polovica;
        const int korakov = static_cast<int>(g() % 5) - 2;
        for (int j = 0; j < std::abs(korakov); ++j)
            x = std::nextafter(x, korakov < 0 ? 0.0 : 1e300);
        zneski.push_back((g() & 1) ? -x : x);
    }
    return zneski;
}

TEST(VStotine, ObPolovicahEnakoKotTocenIzracun)
{
    for (double x : zneskiObPolovicah())
        ASSERT_EQ(VStotine(x), stotineIzDecimalnegaZapisa(x)) << std::hexfloat << x;
}

TEST(VStotine, NakljucniZneskiEnakoKotTocenIzracun)
{
    std::mt19937_64 g(31);
    std::uniform_real_distribution<double> eksponent(-12.0, 15.0);
    for (int i = 0; i < 3000; ++i) {
        const double x = std::pow(10.0, eksponent(g)) * ((g() & 1) ? -1 : 1);
        ASSERT_EQ(VStotine(x), stotineIzDecimalnegaZapisa(x)) << std::hexfloat << x;
    }
}

// Where long double is the x87 extended format, the rounding is compared with the
// hardware doing the same steps.
#if LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384
constexpr bool kImaX87 = true;
#else
constexpr bool kImaX87 = false;
#endif

TEST(VStotine, EnakoKotRazsirjeniZmnozekStrojno)
{
    if constexpr (!kImaX87) {
        GTEST_SKIP() << "long double is not the x87 extended format on this platform";
    } else {
        for (double x : zneskiObPolovicah()) {
            const long double zmnozek = static_cast<long double>(x) * 100.0L;
            ASSERT_EQ(VStotine(x), static_cast<qint64>(std::llrintl(zmnozek))) << std::hexfloat << x;
        }
    }
}

TEST(PristejZaokrozeno, DesetkratDesetinka)
{
    double vsota = 0;
    for (int i = 0; i < 10; ++i)
        PristejZaokrozeno(vsota, 0.1);
    EXPECT_EQ(VStotine(vsota), 100);
}

TEST(PristejZaokrozeno, ZaokrozenZnesek)
{
    double vsota = 0;
    PristejZaokrozeno(vsota, 0.005); // 1 cent
    PristejZaokrozeno(vsota, 2.675); // 267 cents
    PristejZaokrozeno(vsota, 0.004); // nothing
    EXPECT_EQ(vsota, 2.68);
    PristejZaokrozeno(vsota, -7.68);
    EXPECT_EQ(VStotine(vsota), -500);
}

TEST(PristejZaokrozeno, VsotaVRazsirjeniNatancnosti)
{
    // 571.88 - 68.84: the extended quotient and sum, stored as a double, land one unit
    // in the last place above what plain double arithmetic gives.
    double vsota = 0x1.1df0a3d70a3d7p+9; // 571.88
    PristejZaokrozeno(vsota, -68.84);
    EXPECT_EQ(vsota, 0x1.f70a3d70a3d71p+8);
    EXPECT_NE(vsota, 0x1.1df0a3d70a3d7p+9 + (-6884) / 100.0);
}

TEST(PristejNezaokrozeno, DvojnoZaokrozevanje)
{
    struct Primer {
        double vsota, znesek, rezultat;
    };
    // Sums whose bits below the double's last place make the extended sum round twice.
    const Primer primeri[] = {
        // 1 + 2^-53 + 2^-64: the extended sum rounds to 1 + 2^-53, a tie that goes to 1.
        {1.0, 0x1p-53 + 0x1p-64, 1.0},
        // (1 + 2^-52) + 2^-53 - 2^-65: rounds up to a tie, which goes up to the even 1 + 2^-51.
        {1.0 + 0x1p-52, 0x1p-53 - 0x1p-65, 1.0 + 0x1p-51},
        {0.1, 0.2, 0.1 + 0.2},
        {-5.5, 5.5, 0.0},
        {1e308, 1e308, std::numeric_limits<double>::infinity()},
        {0x1p-1074, 0x1p-1074, 0x1p-1073},
    };
    for (const Primer& p : primeri) {
        double vsota = p.vsota;
        PristejNezaokrozeno(vsota, p.znesek);
        EXPECT_EQ(vsota, p.rezultat) << std::hexfloat << p.vsota << " + " << p.znesek;
        EXPECT_FALSE(std::signbit(vsota));
    }
    // Plain double arithmetic gives the other neighbour in the first two cases.
    EXPECT_NE(1.0 + (0x1p-53 + 0x1p-64), 1.0);
    EXPECT_NE((1.0 + 0x1p-52) + (0x1p-53 - 0x1p-65), 1.0 + 0x1p-51);
}

TEST(PristejNezaokrozeno, PredznakNicle)
{
    double vsota = -0.0;
    PristejNezaokrozeno(vsota, -0.0);
    EXPECT_TRUE(std::signbit(vsota));
    PristejNezaokrozeno(vsota, 0.0);
    EXPECT_FALSE(std::signbit(vsota));
}

TEST(Vsote, EnakoKotRazsirjenaAritmetikaStrojno)
{
    if constexpr (!kImaX87) {
        GTEST_SKIP() << "long double is not the x87 extended format on this platform";
    } else {
        // Twice rounded sums are rare (a few in 10^4 additions), so many series are run:
        // amounts of every size with full significands and amounts in whole cents.
        std::mt19937_64 g(1899);
        std::uniform_real_distribution<double> eksponent(-3.0, 9.0);
        int razlicnihOdDouble = 0;
        for (int niz = 0; niz < 3000; ++niz) {
            double zaokrozena = 0, strojnoZaokrozena = 0;
            double nezaokrozena = 0, strojnoNezaokrozena = 0;
            for (int i = 0; i < 100; ++i) {
                double znesek = std::pow(10.0, eksponent(g)) * ((g() % 3 == 0) ? -1 : 1);
                if (g() % 2)
                    znesek = static_cast<double>(static_cast<qint64>(g() % 10000000) - 3000000) / 100.0;

                PristejZaokrozeno(zaokrozena, znesek);
                const long double centi = std::llrintl(static_cast<long double>(znesek) * 100.0L);
                strojnoZaokrozena = static_cast<double>(static_cast<long double>(strojnoZaokrozena) + centi / 100.0L);
                ASSERT_EQ(zaokrozena, strojnoZaokrozena) << "series " << niz << " step " << i;

                const double dvojno = nezaokrozena + znesek;
                PristejNezaokrozeno(nezaokrozena, znesek);
                strojnoNezaokrozena = static_cast<double>(static_cast<long double>(strojnoNezaokrozena)
                                                          + static_cast<long double>(znesek));
                ASSERT_EQ(nezaokrozena, strojnoNezaokrozena) << "series " << niz << " step " << i;
                if (dvojno != nezaokrozena)
                    ++razlicnihOdDouble;
            }
        }
        // The series do reach sums where the extended route matters.
        EXPECT_GT(razlicnihOdDouble, 0);
    }
}

} // namespace

#include "polja.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(PoljeCelo, NajmanjStevkNikoliOdrezano)
{
    struct Primer {
        qint64 n;
        int stevk;
        const char* polje;
    };
    const Primer primeri[] = {
        {7, 4, "0007"},                 // "%4.4d"
        {12345, 4, "12345"},            // more digits: written whole
        {-5, 8, "-00000005"},           // "%8.8d": sign before the eight digits
        {0, 7, "0000000"},              // "%7.7d"
        {3, 6, "000003"},               // "%6.6d"
        {-500, 15, "-000000000000500"}, // "%.15d" of a negative total: 16 characters
        {std::numeric_limits<qint64>::min(), 15, "-9223372036854775808"},
    };
    for (const Primer& p : primeri)
        EXPECT_EQ(PoljeCelo(p.n, p.stevk), QByteArray(p.polje)) << p.n << " in " << p.stevk;
}

TEST(PoljeBesedila, OdrezanoInPoravnano)
{
    EXPECT_EQ(PoljeDesno("97", 3), QByteArray(" 97"));          // "%3.3s"
    EXPECT_EQ(PoljeDesno("97812", 3), QByteArray("978"));       // cut to the first three
    EXPECT_EQ(PoljeDesno("", 16), QByteArray(16, ' '));         // "%16.16s"
    EXPECT_EQ(PoljeLevo("2301", 10), QByteArray("2301      ")); // "%-10.10s"
    EXPECT_EQ(PoljeLevo("", 3), QByteArray("   "));             // "%-3.3s"
    EXPECT_EQ(PoljeLevo("12345678901", 10), QByteArray("1234567890"));
    EXPECT_EQ(PoljeDesno("+", 1), QByteArray("+")); // "%1.1s"
    EXPECT_EQ(PoljeDesno("", 1), QByteArray(" "));
    EXPECT_EQ(PoljeDesno("XY", 1), QByteArray("X"));
    // Bytes, not characters: "\xC8" is one byte of the code page.
    EXPECT_EQ(PoljeLevo("\xC8"
                        "AS",
                        2),
              QByteArray("\xC8"
                         "A"));
}

TEST(PoljeZneska, BrezPredznakaPetnajstStevk)
{
    EXPECT_EQ(PoljeZneska(-12.34), QByteArray("00000000000"
                                              "1234"));
    EXPECT_EQ(PoljeZneska(12.34), QByteArray("00000000000"
                                             "1234"));
    EXPECT_EQ(PoljeZneska(0.0), QByteArray(15, '0'));
    EXPECT_EQ(PoljeZneska(0.004), QByteArray(15, '0'));
    EXPECT_EQ(PoljeZneska(100.00), QByteArray("0000000000"
                                              "10000"));
    EXPECT_EQ(PoljeZneska(10000000000000.0), QByteArray("1000000000000000")); // 16 digits
    EXPECT_EQ(PoljeZneska(-1e300), QByteArray("9223372036854775808"));
}

TEST(Predznak, PlusZaNicInVec)
{
    EXPECT_EQ(Predznak(-12.34), '-');
    EXPECT_EQ(Predznak(-0.001), '-');
    EXPECT_EQ(Predznak(0.0), '+');
    EXPECT_EQ(Predznak(-0.0), '+');
    EXPECT_EQ(Predznak(5.0), '+');
}

TEST(DatumPolje, LetoMesecDan)
{
    EXPECT_EQ(DatumPolje(QDate(2018, 1, 31)), QByteArray("20180131"));
    EXPECT_EQ(DatumPolje(QDate(987, 6, 5)), QByteArray("09870605"));
    EXPECT_EQ(DatumPolje(QDate()), QByteArray("18991230")); // a null date is day 0
    ZapisVrstice vrstica;
    vrstica.append('X');
    dodajDatumPolje(vrstica, QDate(1999, 12, 31));
    EXPECT_EQ(vBajte(vrstica), QByteArray("X19991231"));
}

} // namespace

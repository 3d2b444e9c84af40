#include "izpis.h"
#include "napaka.h"
#include "okna_pomoc.h"
#include "paradoks_pomoc.h"
#include "paradoxtabela.h"
#include "zapisnik.h"
#include "zokdll.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>

#include <functional>

extern "C" {
#include <paradox.h>
}

namespace {

// --- Empty fields of every type -------------------------------------------------

struct VrstaPolja {
    const char* ime;
    PoljePx polje;
    QVariant vrednost; // a value of the type, as the reader gives it back
};

void PrintTo(const VrstaPolja& v, std::ostream* os) { *os << v.ime; }

class PraznoPolje : public ::testing::TestWithParam<VrstaPolja> {};

// An empty field reads as empty whatever its type and whatever the bytes after it
// hold: each field lies between two fields whose bytes are all set (a long of -1 is
// 7F FF FF FF), so a reader that looks past the field's own bytes sees a value.
TEST_P(PraznoPolje, beremoKotPraznoNeGledeNaSosede)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("T.DB"));
    const PoljePx pred{"PRED", pxfLong, 4};
    const PoljePx po{"PO", pxfLong, 4};
    ASSERT_TRUE(ustvariTabelo(pot, {pred, GetParam().polje, po},
                              {{-1, QVariant(), -1}, {QVariant(), GetParam().vrednost, QVariant()}}));

    const ParadoxTabela t = ParadoxTabela::preberi(pot);
    ASSERT_EQ(t.steviloVrstic(), 2);
    EXPECT_EQ(t.vrstica(0), (QVariantList{qint64(-1), QVariant(), qint64(-1)}));
    const QVariantList druga = t.vrstica(1);
    EXPECT_TRUE(druga.at(0).isNull());
    EXPECT_TRUE(druga.at(2).isNull());
    if (GetParam().vrednost.typeId() == QMetaType::QString && GetParam().polje.vrsta == pxfBCD)
        EXPECT_DOUBLE_EQ(druga.at(1).toDouble(), GetParam().vrednost.toDouble());
    else
        EXPECT_EQ(druga.at(1), GetParam().vrednost);
}

INSTANTIATE_TEST_SUITE_P(
    Vrste, PraznoPolje,
    ::testing::Values(VrstaPolja{"alpha", {"A", pxfAlpha, 10}, QStringLiteral("Šiška")},
                      VrstaPolja{"short", {"A", pxfShort, 2}, qint64(-2)},
                      VrstaPolja{"long", {"A", pxfLong, 4}, qint64(-2147483647)},
                      VrstaPolja{"autoinc", {"A", pxfAutoInc, 4}, qint64(7)},
                      VrstaPolja{"number", {"A", pxfNumber, 8}, -2.5},
                      VrstaPolja{"currency", {"A", pxfCurrency, 8}, 1234.56},
                      VrstaPolja{"bcd", {"A", pxfBCD, 17, 2}, QStringLiteral("-12.34")},
                      VrstaPolja{"logical_false", {"A", pxfLogical, 1}, false},
                      VrstaPolja{"logical_true", {"A", pxfLogical, 1}, true},
                      VrstaPolja{"date", {"A", pxfDate, 4}, QDate(2024, 2, 29)},
                      VrstaPolja{"time", {"A", pxfTime, 4}, QTime(13, 45, 7)},
                      VrstaPolja{"timestamp", {"A", pxfTimestamp, 8},
                                 QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))}),
    PoImenu());

// --- Damaged files ----------------------------------------------------------------

// A sound table of 1000 rows (20 blocks of 2 KB after a 2 KB header): accounts 1000
// to 1009, each amount 1.00, so every account sums to 100.00.
QList<ZokVnos> tisocVrstic()
{
    QList<ZokVnos> v;
    for (int i = 0; i < 1000; ++i)
        v << ZokVnos{QString::number(1000 + i % 10), 1.0, 1.0, 1.0};
    return v;
}

void postavi16(QByteArray& b, qsizetype kje, quint16 v)
{
    b[kje] = char(v & 0xff);
    b[kje + 1] = char(v >> 8);
}

struct Poskodba {
    const char* ime;
    std::function<void(QByteArray&)> naredi;
};

void PrintTo(const Poskodba& p, std::ostream* os) { *os << p.ime; }

class PoskodovanaTabela : public ::testing::TestWithParam<Poskodba> {
protected:
    void SetUp() override
    {
        qputenv("LEDGXFER_HOME", dir.path().toUtf8());
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override
    {
        qunsetenv("LEDGXFER_HOME");
        QLocale::setDefault(QLocale::system());
    }
    QTemporaryDir dir;
};

// A table whose bytes do not agree with its header is refused as a whole: no rows,
// no count message, no editor, and the previous summary stays byte for byte.
TEST_P(PoskodovanaTabela, jeZavrnjenaInPrejsnjiPovzetekOstane)
{
    const QString tabela = dir.filePath(QStringLiteral("ZOKDLL.DB"));
    const QString izhod = dir.filePath(QStringLiteral("ZOKDLL.TXT"));
    ASSERT_TRUE(ustvariZokdll(tabela, tisocVrstic()));
    QByteArray b = preberiDatoteko(tabela);
    ASSERT_EQ(b.size(), 2048 + 20 * 2048);
    GetParam().naredi(b);
    zapisiDatoteko(tabela, b);
    zapisiDatoteko(izhod, "prejsnji povzetek\r\n");

    EXPECT_THROW(ParadoxTabela::preberi(tabela), Napaka);

    Zapisnik o;
    EXPECT_EQ(prepisZokdll(o, izhod), std::nullopt);
    ASSERT_EQ(o.sporocila.size(), 1);
    EXPECT_TRUE(o.sporocila.at(0).contains(QStringLiteral("ni berljiva tabela Paradox")))
        << o.sporocila.at(0).toStdString();
    EXPECT_FALSE(o.sporocila.at(0).contains(QStringLiteral("vrstic!")));
    EXPECT_TRUE(o.urejevalnik.isEmpty());
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejsnji povzetek\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Poskodbe, PoskodovanaTabela,
    ::testing::Values(
        Poskodba{"odrezana_sredi_bloka", [](QByteArray& b) { b.truncate(41000); }},
        Poskodba{"odrezana_v_prvem_bloku", [](QByteArray& b) { b.truncate(2100); }},
        Poskodba{"odrezan_zadnji_bajt", [](QByteArray& b) { b.chop(1); }},
        Poskodba{"le_glava", [](QByteArray& b) { b.truncate(2048); }},
        Poskodba{"odrezana_glava", [](QByteArray& b) { b.truncate(300); }},
        Poskodba{"napacna_dolzina_zapisa", [](QByteArray& b) { postavi16(b, 0x00, 40); }},
        Poskodba{"glava_steje_vec_zapisov", [](QByteArray& b) { postavi16(b, 0x06, 1001); }},
        Poskodba{"glava_steje_manj_zapisov", [](QByteArray& b) { postavi16(b, 0x06, 999); }},
        Poskodba{"glava_steje_vec_blokov", [](QByteArray& b) { postavi16(b, 0x0c, 21); }},
        // The field list after the header's fixed part: type and length of each field.
        Poskodba{"neznana_vrsta_polja", [](QByteArray& b) { b[0x7a] = char(0x30); }},
        Poskodba{"stevilo_dolgo_4", [](QByteArray& b) { b[0x7b] = 4; }},
        Poskodba{"blok_kaze_izven_datoteke", [](QByteArray& b) { postavi16(b, 2048, 77); }},
        Poskodba{"blok_kaze_nazaj_nase", [](QByteArray& b) { postavi16(b, 2048, 1); }},
        Poskodba{"blok_z_vec_zapisi_kot_jih_gre_vanj",
                 [](QByteArray& b) { postavi16(b, 2048 + 4, quint16(60 * 39)); }}),
    PoImenu());

// The sound table itself reads in full; the damage above is what makes it fail.
TEST_F(PoskodovanaTabela, neposkodovanaTabelaSeBereVCelotiTudiZImenomVDrugiVelikostiCrk)
{
    ASSERT_TRUE(ustvariZokdll(dir.filePath(QStringLiteral("ZokDll.db")), tisocVrstic()));
    const QString izhod = dir.filePath(QStringLiteral("ZOKDLL.TXT"));

    Zapisnik o;
    EXPECT_EQ(prepisZokdll(o, izhod), 10);
    const QByteArray b = preberiDatoteko(izhod);
    EXPECT_EQ(b.count("         100.00         100.00 \r\n"), 10);
    EXPECT_TRUE(b.startsWith("ORV  202403051000      "));
}

// Whole-number columns (as a table made elsewhere may have them): an empty account is
// the blank account, an empty amount counts 0, never the smallest long.
TEST_F(PoskodovanaTabela, praznaCelaStevilaVPovzetku)
{
    ASSERT_TRUE(ustvariTabelo(dir.filePath(QStringLiteral("ZOKDLL.DB")),
                              {{"KONTOGLV", pxfLong, 4}, {"OBRREV30", pxfLong, 4}, {"OBRREV180", pxfLong, 4},
                               {"OBRREV999", pxfShort, 2}},
                              {{QVariant(), 5, QVariant(), 1},
                               {1000, QVariant(), 7, QVariant()},
                               {1000, 2, QVariant(), 3}}));
    const QString izhod = dir.filePath(QStringLiteral("ZOKDLL.TXT"));

    Zapisnik o;
    EXPECT_EQ(prepisZokdll(o, izhod), 2);
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("ORV  20240305" "          " "           5.00" "           0.00" " \r\n"
                                         "ORV  20240305" "1000      " "           2.00" "           7.00" " \r\n"));
}

} // namespace

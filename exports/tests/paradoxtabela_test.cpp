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
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTime>
#include <QtEndian>
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

INSTANTIATE_TEST_SUITE_P(Vrste, PraznoPolje,
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
                                           VrstaPolja{"timestamp",
                                                      {"A", pxfTimestamp, 8},
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

// The numbers of the header and the blocks are little-endian.
void postavi16(QByteArray& b, qsizetype kje, quint16 v) { qToLittleEndian(v, b.data() + kje); }

void postavi32(QByteArray& b, qsizetype kje, quint32 v) { qToLittleEndian(v, b.data() + kje); }

// Where the records of the last block of the chain end: the header names the last
// block, the block's head the number of its records.
qsizetype konecZapisov(const QByteArray& b)
{
    const auto dva = [&b](qsizetype i) { return int(qFromLittleEndian<quint16>(b.constData() + i)); };
    const int zapis = dva(0x00);
    const qsizetype glava = dva(0x02);
    const qsizetype blok = qsizetype(quint8(b[0x05])) * 1024;
    const qsizetype zadnji = glava + (dva(0x10) - 1) * blok;
    return zadnji + 6 + (qint16(dva(zadnji + 4)) / zapis + 1) * zapis;
}

struct Poskodba {
    const char* ime;
    std::function<void(QByteArray&)> naredi;
    const char* razlog = ""; // part of the refusal, where one is told
};

void PrintTo(const Poskodba& p, std::ostream* os) { *os << p.ime; }

// LEDGXFER_HOME is a fresh folder, the locale is C.
class MapaAplikacije : public ::testing::Test {
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

class PoskodovanaTabela : public MapaAplikacije, public ::testing::WithParamInterface<Poskodba> {};

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

    // Decided from the header and the blocks before pxlib reads: no case may take long.
    QElapsedTimer cas;
    cas.start();
    try {
        ParadoxTabela::preberi(tabela);
        ADD_FAILURE() << "tabela ni zavrnjena";
    } catch (const Napaka& e) {
        EXPECT_TRUE(e.besedilo().contains(QString::fromUtf8(GetParam().razlog))) << e.besedilo().toStdString();
    }
    EXPECT_LT(cas.elapsed(), 3000);

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
        Poskodba{"odrezana_sredi_bloka", [](QByteArray& b) { b.truncate(41000); }, "okrnjena"},
        Poskodba{"odrezana_v_prvem_bloku", [](QByteArray& b) { b.truncate(2100); }, "okrnjena"},
        // The last block holds fewer records than fit: a cut into its last record is
        // damage, a cut after it is not (see KrajsiZadnjiBlok).
        Poskodba{"odrezan_zadnji_bajt_zadnjega_zapisa",
                 [](QByteArray& b) { b.truncate(konecZapisov(b) - 1); }, "okrnjena"},
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
                 [](QByteArray& b) { postavi16(b, 2048 + 4, quint16(60 * 39)); }},
        // The record count set to 0 while the blocks still hold the records.
        Poskodba{"glava_steje_nic_zapisov", [](QByteArray& b) { postavi32(b, 0x06, 0); }, "glava šteje 0 zapisov"},
        Poskodba{"glava_steje_4_milijarde_zapisov", [](QByteArray& b) { postavi32(b, 0x06, 0xffffffffu); },
                 "glava šteje"},
        // The encryption field set although the blocks are plain (pxlib then hangs).
        Poskodba{"sifrirana_prvo_polje", [](QByteArray& b) { postavi32(b, 0x25, 0x12345678u); }, "šifrirana"},
        Poskodba{"sifrirana_drugo_polje", [](QByteArray& b) { postavi32(b, 0x5c, 0x00000001u); }, "šifrirana"},
        Poskodba{"sifrirana_in_okrnjena",
                 [](QByteArray& b) {
                     postavi32(b, 0x25, 0x12345678u);
                     b.truncate(3000);
                 },
                 "šifrirana"},
        Poskodba{"stevilo_polj_65535", [](QByteArray& b) { postavi16(b, 0x21, 0xffff); }, "polj"},
        Poskodba{"stevilo_polj_0", [](QByteArray& b) { postavi16(b, 0x21, 0); }, "polj"},
        Poskodba{"stevilo_polj_5", [](QByteArray& b) { postavi16(b, 0x21, 5); }},
        Poskodba{"dolzina_zapisa_0", [](QByteArray& b) { postavi16(b, 0x00, 0); }, "zapis z 0 bajti"},
        Poskodba{"dolzina_zapisa_65535", [](QByteArray& b) { postavi16(b, 0x00, 0xffff); }, "ne gre v blok"},
        Poskodba{"velikost_bloka_0", [](QByteArray& b) { b[0x05] = 0; }, "velikost bloka"},
        Poskodba{"velikost_bloka_3", [](QByteArray& b) { b[0x05] = 3; }, "velikost bloka"},
        Poskodba{"glava_daljsa_od_datoteke", [](QByteArray& b) { postavi16(b, 0x02, 0xffff); }, "glava"},
        Poskodba{"glava_krajsa_od_opisa_polj", [](QByteArray& b) { postavi16(b, 0x02, 0x80); }, "glav"},
        Poskodba{"neznana_razlicica", [](QByteArray& b) { b[0x39] = 2; }, "različica"},
        Poskodba{"indeks_namesto_podatkov", [](QByteArray& b) { b[0x04] = 1; }, "ni datoteka s podatki"},
        Poskodba{"prvi_blok_izven", [](QByteArray& b) { postavi16(b, 0x0e, 300); }, "veriga blokov"},
        Poskodba{"zadnji_blok_v_glavi_napacen", [](QByteArray& b) { postavi16(b, 0x10, 3); }, "glava šteje"},
        Poskodba{"ime_polja_brez_konca",
                 [](QByteArray& b) {
                     // From the table's name on, the rest of the header without a zero.
                     const qsizetype imena = 0x78 + 4 * 2 + 4 + 4 * 4;
                     for (qsizetype i = imena; i < 2048; ++i)
                         b[i] = 'A';
                 },
                 "ime polja"},
        Poskodba{"le_glava_brez_prvega_bloka", [](QByteArray& b) { b.truncate(0x60); }, "okrnjena glava"}),
    PoImenu());

// --- Unusual but sound tables -------------------------------------------------------

struct NenavadnaTabela {
    const char* ime;
    int vrstic;                                // rows made
    std::function<void(QByteArray&)> spremeni; // what is done to the sound file
};

void PrintTo(const NenavadnaTabela& t, std::ostream* os) { *os << t.ime; }

class KrajsiZadnjiBlok : public MapaAplikacije, public ::testing::WithParamInterface<NenavadnaTabela> {};

// A table the library reads in full is never refused: its last block may end right
// after its last record, as tables written elsewhere are.
TEST_P(KrajsiZadnjiBlok, seBereVCeloti)
{
    QList<ZokVnos> v;
    for (int i = 0; i < GetParam().vrstic; ++i)
        v << ZokVnos{QString::number(1000 + i % 10), 1.0, 1.0, 1.0};
    const QString tabela = dir.filePath(QStringLiteral("ZOKDLL.DB"));
    ASSERT_TRUE(ustvariZokdll(tabela, v));
    QByteArray b = preberiDatoteko(tabela);
    GetParam().spremeni(b);
    zapisiDatoteko(tabela, b);

    const ParadoxTabela t = ParadoxTabela::preberi(tabela);
    EXPECT_EQ(t.steviloVrstic(), GetParam().vrstic);
    if (GetParam().vrstic > 0) {
        EXPECT_EQ(t.vrstica(GetParam().vrstic - 1).at(0),
                  QVariant(QString::number(1000 + (GetParam().vrstic - 1) % 10)));
    }
}

INSTANTIATE_TEST_SUITE_P(Tabele, KrajsiZadnjiBlok,
                         ::testing::Values(NenavadnaTabela{"zadnji_blok_do_zadnjega_zapisa", 1000,
                                                           [](QByteArray& b) { b.truncate(konecZapisov(b)); }},
                                           NenavadnaTabela{"zadnji_blok_1_KB", 1000,
                                                           [](QByteArray& b) { b.chop(1024); }},
                                           NenavadnaTabela{"en_zapis_v_kratkem_bloku", 1,
                                                           [](QByteArray& b) { b.truncate(konecZapisov(b)); }},
                                           NenavadnaTabela{"polni_bloki", 1000, [](QByteArray&) {}},
                                           NenavadnaTabela{"prazna_tabela", 0, [](QByteArray&) {}}),
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
    ASSERT_TRUE(ustvariTabelo(
        dir.filePath(QStringLiteral("ZOKDLL.DB")),
        {{"KONTOGLV", pxfLong, 4}, {"OBRREV30", pxfLong, 4}, {"OBRREV180", pxfLong, 4}, {"OBRREV999", pxfShort, 2}},
        {{QVariant(), 5, QVariant(), 1}, {1000, QVariant(), 7, QVariant()}, {1000, 2, QVariant(), 3}}));
    const QString izhod = dir.filePath(QStringLiteral("ZOKDLL.TXT"));

    Zapisnik o;
    EXPECT_EQ(prepisZokdll(o, izhod), 2);
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("ORV  20240305"
                                                 "          "
                                                 "           5.00"
                                                 "           0.00"
                                                 " \r\n"
                                                 "ORV  20240305"
                                                 "1000      "
                                                 "           2.00"
                                                 "           7.00"
                                                 " \r\n"));
}

} // namespace

#include "napaka.h"
#include "poizvedba.h"
#include "povezava.h"
#include "prenos.h"
#include "preverjanje.h"
#include "rezultat.h"
#include "snemalnik.h"
#include "testnabaza.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A small book of 15 January 2018, written as transfer 1: a domestic debit of 100.004
// and its credit, a USD debit of 50.00 (46.00 domestic) on a foreign-currency account
// and its domestic credit. The file: opening line, four detail lines (1100, 1500,
// 7600, 7600), closing line.
class PreverjanjeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LEDG_PRESKOCI_BREZ_BAZE(b);
        db = b.odpri();
        for (const char* sql :
             {"INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (1, '1100', 'T', NULL)",
              "INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (2, '7600', NULL, NULL)",
              "INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (3, '1500', NULL, 'D')",
              "INSERT INTO OSB (SFOSB, KRTBNK, SFSOS) VALUES (100, '00123', 'P')",
              "INSERT INTO ORG (SFORG, KNTORG) VALUES (1, '101')",
              "INSERT INTO POG (IDPOG, SFOSB, SFORG) VALUES (1000, 100, 1)",
              "INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (1, 1000, 'K')",
              "INSERT INTO VLT (SFVLT, ST) VALUES ('EUR', '978')", "INSERT INTO VLT (SFVLT, ST) VALUES ('USD', '840')"})
            Poizvedba(db).izvedi(QString::fromLatin1(sql));
        knjizba(1, 1, "EUR", 'B', 100.004, 100.004);
        knjizba(2, 2, "EUR", 'D', 100.004, 100.004);
        knjizba(3, 3, "USD", 'B', 50.0, 46.0);
        knjizba(4, 2, "EUR", 'D', 46.0, 46.0);
        pot = QDir(b.mapa()).filePath(QStringLiteral("GKDODAT2.TXT"));
        Snemalnik s;
        Rezultat Q1;
        ASSERT_EQ(Zapis({pot, QStringLiteral("0"), QDate(2018, 1, 1), QDate(2018, 1, 31), b.alias()}, Q1, s, s),
                  IzidPrenosa::Opravljen);
        Q1.zapri();
        QFile f(pot);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        dobra = f.readAll();
    }

    void knjizba(int ctrl, int konto, const char* valuta, char stran, double znesek, double sit)
    {
        const bool breme = stran == 'B';
        Poizvedba(db).izvedi(
            QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, VP, PARTNER, VALUTA,"
                           " STRAN, BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, CTRL) VALUES ('2018-01-15',"
                           " '2018-01-16', :K, 1, 1000, 0, 100, :V, :S, :B, :D, :B2, :D2, :C)"),
            {{QStringLiteral("K"), konto},
             {QStringLiteral("V"), QString::fromLatin1(valuta)},
             {QStringLiteral("S"), QString(QChar::fromLatin1(stran))},
             {QStringLiteral("B"), breme ? znesek : 0.0},
             {QStringLiteral("D"), breme ? 0.0 : znesek},
             {QStringLiteral("B2"), breme ? sit : 0.0},
             {QStringLiteral("D2"), breme ? 0.0 : sit},
             {QStringLiteral("C"), ctrl}});
    }

    IzidPreverjanja preveri(const QByteArray& vsebina, bool zBazo)
    {
        QBuffer buf;
        buf.setData(vsebina);
        buf.open(QIODevice::ReadOnly);
        if (!zBazo)
            return preveriDatotekoGk(buf);
        PonovitevPrenosa p(b.alias(), 1);
        return preveriDatotekoGk(buf, &p);
    }

    TestnaBaza b;
    QSqlDatabase db;
    QString pot;
    QByteArray dobra;
};

// The file's lines without their ends, and back.
QList<QByteArray> vrstice(const QByteArray& datoteka)
{
    QList<QByteArray> v = datoteka.split('\n');
    v.removeLast();
    for (QByteArray& l : v)
        l.chop(1);
    return v;
}
QByteArray datoteka(const QList<QByteArray>& v) { return v.join("\r\n") + "\r\n"; }
// Adds `centov` to a 15-digit amount field at `od` (0-based).
void pristej(QByteArray& vrstica, int od, qint64 centov)
{
    const qint64 n = vrstica.mid(od, 15).toLongLong() + centov;
    vrstica.replace(od, 15, QByteArray::number(n).rightJustified(15, '0'));
}

std::string opis(const IzidPreverjanja& i)
{
    std::string s;
    for (const Ugotovitev& u : i.ugotovitve)
        s +=
            QStringLiteral("  %1 | %2 | %3 | %4\n").arg(u.vrstica).arg(u.polje, u.pricakovano, u.najdeno).toStdString();
    return s;
}

bool najdeno(const IzidPreverjanja& i, qint64 vrstica, const char* polje)
{
    for (const Ugotovitev& u : i.ugotovitve) {
        if (u.vrstica == vrstica && u.polje.contains(QString::fromUtf8(polje)))
            return true;
    }
    return false;
}

} // namespace

TEST_F(PreverjanjeTest, TheRunsOwnFileHoldsAloneAndAgainstARepeat)
{
    const QList<QByteArray> v = vrstice(dobra);
    ASSERT_EQ(v.size(), 6);
    const IzidPreverjanja sama = preveri(dobra, false);
    EXPECT_TRUE(sama.pravilna()) << opis(sama);
    EXPECT_EQ(sama.podrobnihVrstic, 4);
    const IzidPreverjanja zBazo = preveri(dobra, true);
    EXPECT_TRUE(zBazo.pravilna()) << opis(zBazo);

    // Reading the repeat changed nothing: no new number, no adjustment row, no mark.
    Poizvedba q(db);
    q.odpri(QStringLiteral("SELECT COUNT(*) N FROM LEDGXFER"));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.celo(QStringLiteral("N")), 1);
    q.odpri(QStringLiteral("SELECT COUNT(*) N FROM IZRAVNAVE WHERE PRENOS=1"));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.celo(QStringLiteral("N")), 4);
}

// A stop request ends the check before the next line: the result says it stopped and
// is not a correct file, at every line the request may come, with and without the repeat.
TEST_F(PreverjanjeTest, AStopRequestEndsTheCheckAndIsNoVerdict)
{
    for (const bool zBazo : {false, true}) {
        for (int po = 0; po < 6; ++po) {
            SCOPED_TRACE(testing::Message() << (zBazo ? "against the repeat" : "alone") << ", stopped after " << po);
            QBuffer buf;
            buf.setData(dobra);
            buf.open(QIODevice::ReadOnly);
            std::optional<PonovitevPrenosa> p;
            if (zBazo)
                p.emplace(b.alias(), 1);
            int vprasan = 0;
            const IzidPreverjanja izid = preveriDatotekoGk(buf, p ? &*p : nullptr, [&] { return vprasan++ == po; });
            EXPECT_TRUE(izid.ustavljeno);
            EXPECT_FALSE(izid.pravilna());
            EXPECT_EQ(vprasan, po + 1);
            EXPECT_LT(buf.pos(), buf.size());
        }
    }
}

TEST_F(PreverjanjeTest, DamagedFilesAreFoundLineAndField)
{
    struct Primer {
        const char* ime;
        std::function<QByteArray(QList<QByteArray>)> okvari;
        qint64 vrstica;    // where the finding is
        const char* polje; // part of the field's name
        bool brezBaze;     // found without the database as well
    };
    const QList<Primer> primeri = {
        {"a detail line one byte short",
         [](QList<QByteArray> v) {
             v[2].remove(40, 1);
             return datoteka(v);
         },
         3, "dolžina podrobne", true},
        {"LF without CR", [](QList<QByteArray> v) { return v.join("\n") + "\n"; }, 1, "konec vrstice", true},
        {"no line end after the closing line", [](QList<QByteArray> v) { return datoteka(v).chopped(2); }, 6,
         "konec vrstice", true},
        {"a booking date that is no date",
         [](QList<QByteArray> v) {
             v[1].replace(5, 8, "20181340");
             return datoteka(v);
         },
         2, "polje 2", true},
        {"a sign that is neither + nor -",
         [](QList<QByteArray> v) {
             v[3][107] = ' ';
             return datoteka(v);
         },
         4, "polje 17", true},
        {"a byte Windows-1250 does not define",
         [](QList<QByteArray> v) {
             v[1][30] = char(0x81);
             return datoteka(v);
         },
         2, "znak na mestu 31", true},
        {"the closing line's debit total one cent off",
         [](QList<QByteArray> v) {
             pristej(v[5], 39, 1);
             return datoteka(v);
         },
         6, "vsota v breme", true},
        {"the closing line's count",
         [](QList<QByteArray> v) {
             v[5].replace(33, 6, "000005");
             return datoteka(v);
         },
         6, "število", true},
        {"the closing line missing",
         [](QList<QByteArray> v) {
             v.removeLast();
             return datoteka(v);
         },
         5, "zaključna vrstica", true},
        {"a file date unlike the opening line's",
         [](QList<QByteArray> v) {
             v[5].replace(5, 8, "20180130");
             return datoteka(v);
         },
         6, "datum", true},
        // Changed consistently by hand: the file adds up, the database says otherwise.
        {"an amount changed with its total",
         [](QList<QByteArray> v) {
             pristej(v[1], 59, 1);
             pristej(v[1], 92, 1);
             pristej(v[5], 39, 1);
             return datoteka(v);
         },
         2, "polje 16 (domači znesek v breme) (po bazi)", false},
        {"two detail lines swapped and renumbered",
         [](QList<QByteArray> v) {
             std::swap(v[2], v[4]);
             v[2].replace(16, 4, "0002");
             v[4].replace(16, 4, "0004");
             return datoteka(v);
         },
         3, "(po bazi)", false},
        {"a detail line left out, the closing line made to match",
         [](QList<QByteArray> v) {
             v.removeAt(4);
             v[4].replace(33, 6, "000003");
             pristej(v[4], 55, -4600);
             return datoteka(v);
         },
         5, "podrobne vrstice", false},
    };
    for (const Primer& p : primeri) {
        SCOPED_TRACE(p.ime);
        const QByteArray okvarjena = p.okvari(vrstice(dobra));
        ASSERT_NE(okvarjena, dobra);
        const IzidPreverjanja sama = preveri(okvarjena, false);
        EXPECT_EQ(najdeno(sama, p.vrstica, p.polje), p.brezBaze) << opis(sama);
        EXPECT_EQ(sama.pravilna(), !p.brezBaze) << opis(sama);
        const IzidPreverjanja zBazo = preveri(okvarjena, true);
        EXPECT_TRUE(najdeno(zBazo, p.vrstica, p.polje)) << opis(zBazo);
    }
}

TEST_F(PreverjanjeTest, ABookChangedAfterTheTransferIsCaught)
{
    // A posting's amount changed in the database after the file was written.
    Poizvedba(db).izvedi(QStringLiteral("UPDATE KNJIZBE SET BZNESEKSIT=46.01 WHERE CTRL=3"));
    const IzidPreverjanja i = preveri(dobra, true);
    EXPECT_TRUE(najdeno(i, 3, "polje 16 (domači znesek v breme) (po bazi)")) << opis(i);
    EXPECT_TRUE(najdeno(i, 6, "vsota v breme (po bazi)")) << opis(i);
    EXPECT_TRUE(preveri(dobra, false).pravilna());
}

TEST_F(PreverjanjeTest, AnUnregisteredTransferIsAFailureNotAFinding)
{
    EXPECT_THROW(PonovitevPrenosa(b.alias(), 2), Napaka);
}

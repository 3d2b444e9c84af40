#include "baza_pomoc.h"
#include "izpis.h"
#include "napaka.h"
#include "prenososb.h"
#include "zapisnik.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

void zapisi(const QString& pot, const QByteArray& vsebina)
{
    QFile f(pot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(vsebina);
}

QByteArray preberi(const QString& pot)
{
    QFile f(pot);
    if (!f.open(QIODevice::ReadOnly))
        return "(ni datoteke)";
    return f.readAll();
}

// The expected content of a field followed by the spaces that fill it up to `sirina`.
QByteArray polje(const QByteArray& vsebina, int sirina)
{
    EXPECT_LE(vsebina.size(), sirina) << vsebina.constData();
    return vsebina + QByteArray(sirina - vsebina.size(), ' ');
}

// Three parties and six contracts: three of them give lines, one has a blank short
// code, one a party that OSB lacks, one no short code at all.
class PrenosOsbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LEDG_PRESKOCI_BREZ_BAZE(b);
        b.osb(100, QStringLiteral("Novak   d.o.o."), QString(), QStringLiteral("Slovenska cesta 1"),
              QStringLiteral("1000"), QStringLiteral("Ljubljana"), QStringLiteral("SI56 0201 0001 2345 678"),
              QStringLiteral("SI00 100"));
        b.osb(200, QStringLiteral("Žagar"), QStringLiteral("Mojca  Ana"), QStringLiteral("Tržaška cesta 5"), QString(),
              QStringLiteral("Kočevje"), QVariant(), QVariant());
        b.osb(300, QStringLiteral("Zavarovalnica  in pokojninska družba"), QStringLiteral("d.d."), QVariant(),
              QStringLiteral("  "), QStringLiteral("Koper"),
              QStringLiteral("SI56 1910 0000 0123 438, drugi racun 99999"),
              QStringLiteral("0123456789012345678901234567890123456789XYZ"));
        b.pog(1, 100, QStringLiteral("NOVAK1234"));
        b.pog(2, 200, QStringLiteral("ZAG"));
        b.pog(3, 300, QStringLiteral("   "));
        b.pog(4, 999, QStringLiteral("NEZN"));
        b.pog(5, 300, QStringLiteral("ZAV"));
        b.pog(6, 100, QVariant());

        prenos.baza = QStringLiteral("BAZA");
        prenos.izhodnaPot = izhod;
        prenos.prvaNastavljena = [this](const QString& t) { prvaPolje = t; };
        prenos.izklopiPregled = [this] { ++izklopov; };
    }

    BazaOsb b;
    QString izhod = b.pot(QStringLiteral("OSB.TXT"));
    PrenosOsb prenos;
    Zapisnik o;
    QString prvaPolje = QStringLiteral("(nespremenjeno)");
    int izklopov = 0;
};

const QByteArray kVrstica1 = "NOVAK123" + polje("Novak d.o.o.  ", 30) + polje("Slovenska cesta 1", 30)
                             + polje("1000 Ljubljana", 30) + "1" + polje("SI56 0201 0001 2345 678", 40)
                             + polje("SI00 100", 40) + "\r\n";
// Ž, ž, š and č are one byte each in Windows-1250; Pst is empty, so only Mst.
const QByteArray kVrstica2 = polje("ZAG", 8)
                             + polje("\x8E"
                                     "agar  Mojca Ana",
                                     30)
                             + polje("Tr\x9E"
                                     "a\x9A"
                                     "ka cesta 5",
                                     30)
                             + polje("Ko\xE8"
                                     "evje",
                                     30)
                             + "1" + polje("", 40) + polje("", 40) + "\r\n";
// The name cut at 30, a Pst of two spaces kept, Zrr and Sklic cut at 40.
const QByteArray kVrstica5 = polje("ZAV", 8) + "Zavarovalnica in pokojninska d" + polje("", 30) + polje("   Koper", 30)
                             + "1" + "SI56 1910 0000 0123 438, drugi racun 999"
                             + "0123456789012345678901234567890123456789" + "\r\n";

} // namespace

TEST(ImeInNaziv, ReducesRunsOfSpacesInEachTextAndJoinsWithTwo)
{
    struct Primer {
        const char* prvi;
        const char* drugi;
        const char* izid;
    };
    const Primer primeri[] = {
        {"Novak   d.o.o.", "", "Novak d.o.o.  "},
        {" A  B ", "  C", " A B    C"}, // a single leading or trailing space stays
        {"", "", "  "},
        {"A\t\tB", "x", "A\t\tB  x"}, // only spaces are reduced
    };
    for (const Primer& p : primeri)
        EXPECT_EQ(ImeInNaziv(QString::fromUtf8(p.prvi), QString::fromUtf8(p.drugi)), QString::fromUtf8(p.izid))
            << p.prvi;
}

TEST_F(PrenosOsbTest, WritesOneLinePerContractWithShortCodeAndParty)
{
    EXPECT_EQ(kVrstica1.size(), 181);
    EXPECT_EQ(prenesiOsb(o, prenos), 3);

    EXPECT_EQ(preberi(izhod), kVrstica1 + kVrstica2 + kVrstica5);
    // The blank short code, the missing party and the null short code are not counted.
    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov  =3")});
    EXPECT_EQ(o.statusi,
              (QStringList{QStringLiteral("Poteka prepis OSB"), QStringLiteral("Poteka prepis v tekst datoteko...")}));
    // Six rows: 16, 33, 50, 66, 83, 100 percent; the display is hidden again.
    EXPECT_EQ(o.procenti, (QList<int>{16, 33, 50, 66, 83, 100}));
    EXPECT_FALSE(o.napredekViden);
    EXPECT_FALSE(o.statusViden);
    EXPECT_EQ(o.procentiTekst, QString());
    EXPECT_EQ(izklopov, 1);
}

TEST_F(PrenosOsbTest, RangeOfIdPogInBothForms)
{
    struct Primer {
        const char* prva;
        const char* zadnja;
        QByteArray vsebina;
        const char* prvaPotem;
    };
    const Primer primeri[] = {
        {"2", "5", kVrstica2 + kVrstica5, "(nespremenjeno)"},
        {"5", "", kVrstica5, "(nespremenjeno)"}, // no upper bound
        {" 2 ", "  ", kVrstica2 + kVrstica5, "(nespremenjeno)"},
        {"", "1", kVrstica1, "0"}, // a blank first field becomes "0"
        {"   ", "-1", QByteArray(), "0"},
    };
    for (const Primer& p : primeri) {
        prvaPolje = QStringLiteral("(nespremenjeno)");
        prenos.obseg = ObsegPog{true, QString::fromUtf8(p.prva), QString::fromUtf8(p.zadnja)};
        o.sporocila.clear();
        EXPECT_TRUE(prenesiOsb(o, prenos).has_value()) << p.prva;
        EXPECT_EQ(preberi(izhod), p.vsebina) << p.prva << ".." << p.zadnja;
        EXPECT_EQ(prvaPolje, QString::fromUtf8(p.prvaPotem)) << p.prva;
    }
}

TEST_F(PrenosOsbTest, RangeTextThatIsNoWholeNumberIsRefusedAndLeavesThePreviousFile)
{
    const std::pair<const char*, const char*> primeri[] = {
        {"1 OR 1=1", ""}, {"1", "5; DELETE FROM OSB"}, {"abc", "5"}, {"1.5", ""}, {"1", "0x10"}, {"12a", ""},
    };
    zapisi(izhod, "prejšnji izvoz\r\n");
    for (const auto& [prva, zadnja] : primeri) {
        o.sporocila.clear();
        prenos.obseg = ObsegPog{true, QString::fromUtf8(prva), QString::fromUtf8(zadnja)};
        EXPECT_EQ(prenesiOsb(o, prenos), std::nullopt) << prva << " " << zadnja;
        EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Ne morem odpreti tabele :LB:pog")});
        EXPECT_EQ(preberi(izhod), QByteArray("prejšnji izvoz\r\n"));
        EXPECT_FALSE(o.napredekViden);
    }
    EXPECT_EQ(QDir(b.mapa()).entryList({QStringLiteral(".*OSB*")}, QDir::Files | QDir::Hidden), QStringList{});
    QSqlQuery q(b.db);
    q.exec(QStringLiteral("SELECT COUNT(*) FROM OSB"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 3);
}

TEST_F(PrenosOsbTest, EmptyContractTableWritesNothingAndCountsZero)
{
    b.izvedi(QStringLiteral("DELETE FROM POG"));
    EXPECT_EQ(prenesiOsb(o, prenos), 0);
    EXPECT_EQ(preberi(izhod), QByteArray());
    EXPECT_TRUE(o.procenti.isEmpty());
    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Uspešno prepisanih podatkov  =0")});
}

TEST_F(PrenosOsbTest, FailuresToOpenTheFileOrTheTablesAreReported)
{
    // The output path names a folder.
    prenos.izhodnaPot = b.mapa();
    EXPECT_EQ(prenesiOsb(o, prenos), std::nullopt);
    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Ne morem pisati v datoteko ") + b.mapa()});

    // No party table: the previous file is left as it was, none is made where there was none.
    prenos.izhodnaPot = izhod;
    o.sporocila.clear();
    b.izvedi(QStringLiteral("DROP TABLE OSB"));
    EXPECT_EQ(prenesiOsb(o, prenos), std::nullopt);
    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Ne morem odpreti tabele :LB:osb")});
    EXPECT_EQ(preberi(izhod), QByteArray("(ni datoteke)"));
    zapisi(izhod, "prejšnji izvoz\r\n");
    EXPECT_EQ(prenesiOsb(o, prenos), std::nullopt);
    EXPECT_EQ(preberi(izhod), QByteArray("prejšnji izvoz\r\n"));
    EXPECT_EQ(izklopov, 0);
}

// A table whose rows stop coming part way (the engine fails on a later row) is a table
// that could not be read: no export of the rows read so far, the previous file stays.
TEST_F(PrenosOsbTest, ATableThatFailsPartWayIsReportedAndLeavesThePreviousFile)
{
    // The failing value, per engine: SQLite overflows, the server divides by zero.
    const bool sqlite = b.baza.gonilnik() == QLatin1String("sqlite");
    const auto napaka = [sqlite](const char* pogoj) {
        return QStringLiteral("CASE WHEN %1 THEN %2 ")
            .arg(QLatin1String(pogoj), sqlite ? QStringLiteral("abs(-9223372036854775807-1)") : QStringLiteral("1/0"));
    };
    const struct {
        const char* tabela;
        QString pogled;
        const char* sporocilo;
    } primeri[] = {
        {"OSB",
         QStringLiteral("SELECT SFOSB, CAST(") + napaka("SFOSB >= 300")
             + QStringLiteral("ELSE 0 END AS VARCHAR(80)) || Nzv Nzv, Ime, Nsl, Pst, Mst, Zrr, Sklic FROM OSB_T"),
         "Ne morem odpreti tabele :LB:osb"},
        {"POG",
         QStringLiteral("SELECT IDPOG, KRTBIS, ") + napaka("IDPOG >= 4")
             + QStringLiteral("ELSE SFOSB END SFOSB FROM POG_T"),
         "Ne morem odpreti tabele :LB:pog"},
    };
    zapisi(izhod, "prejšnji izvoz\r\n");
    for (const auto& p : primeri) {
        SCOPED_TRACE(p.tabela);
        const QString t = QString::fromLatin1(p.tabela);
        QSqlQuery q(b.db);
        ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %1_T").arg(t)));
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE VIEW %1 AS ").arg(t) + p.pogled))
            << q.lastError().text().toStdString();
        o.sporocila.clear();
        EXPECT_EQ(prenesiOsb(o, prenos), std::nullopt);
        EXPECT_EQ(o.sporocila, QStringList{QString::fromLatin1(p.sporocilo)});
        EXPECT_EQ(preberi(izhod), QByteArray("prejšnji izvoz\r\n"));
        ASSERT_TRUE(q.exec(QStringLiteral("DROP VIEW %1").arg(t)));
        ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE %1_T RENAME TO %1").arg(t)));
    }
    EXPECT_TRUE(prenesiOsb(o, prenos).has_value()) << "the tables read whole again";
}

// Output paths that are no regular file are refused with the export's message and
// left as they are: nothing is followed, replaced or written into.
TEST_F(PrenosOsbTest, OutputThatIsNoRegularFileIsRefusedAndLeftAlone)
{
    const QString cilj = b.pot(QStringLiteral("cilj.txt"));
    zapisi(cilj, "tuja datoteka\r\n");
    const QString povezava = b.pot(QStringLiteral("povezava.txt"));
    ASSERT_TRUE(QFile::link(cilj, povezava));
    const QString cev = b.pot(QStringLiteral("cev.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(cev).constData(), 0644), 0);

    for (const QString& pot : {povezava, cev, QStringLiteral("/dev/null"), b.pot(QStringLiteral(" ")), b.mapa(),
                               b.pot(QStringLiteral("ni_mape/OSB.TXT"))}) {
        o.sporocila.clear();
        prenos.izhodnaPot = pot;
        EXPECT_EQ(prenesiOsb(o, prenos), std::nullopt) << pot.toStdString();
        EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Ne morem pisati v datoteko ") + pot});
    }
    EXPECT_EQ(preberi(cilj), QByteArray("tuja datoteka\r\n"));
    EXPECT_TRUE(QFileInfo(povezava).isSymLink());
    EXPECT_FALSE(QFileInfo(cev).isFile());
    EXPECT_FALSE(QFileInfo::exists(b.pot(QStringLiteral(" "))));
    EXPECT_EQ(QDir(b.mapa()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
              QDir(b.mapa()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

TEST_F(PrenosOsbTest, SaveDialogOffersOsbTxtAndGetsItsNameBackOnlyAfterACompletedExport)
{
    DialogShrani SaveDialog1{QString(), QStringLiteral("055"),
                             QStringLiteral("Tekst datoteka (*.055)|*.055|Vse datoteke (*.*)|*.*"), QString(),
                             QStringLiteral("gkdnev.055")};

    // Cancelled: nothing written, the dialog keeps the name offered.
    EXPECT_EQ(prenosOsb(o, SaveDialog1, QStringLiteral("/mesecni/"), prenos), std::nullopt);
    ASSERT_EQ(o.dialogi.size(), 1);
    EXPECT_EQ(o.dialogi.at(0).imeDatoteke, QStringLiteral("OSB.TXT"));
    EXPECT_EQ(o.dialogi.at(0).zacetniDirektorij, QStringLiteral("/mesecni/"));
    EXPECT_EQ(o.dialogi.at(0).privzetaKoncnica, QStringLiteral("055"));
    EXPECT_EQ(SaveDialog1.imeDatoteke, QStringLiteral("OSB.TXT"));
    EXPECT_FALSE(QFile::exists(izhod));

    // Completed: the earlier name comes back; the starting folder stays.
    SaveDialog1.imeDatoteke = QStringLiteral("gkdnev.055");
    o.odgovorDialoga = izhod;
    EXPECT_EQ(prenosOsb(o, SaveDialog1, QStringLiteral("/drug/"), prenos), 3);
    EXPECT_EQ(o.dialogi.at(1).zacetniDirektorij, QStringLiteral("/mesecni/"));
    EXPECT_EQ(SaveDialog1.imeDatoteke, QStringLiteral("gkdnev.055"));
    EXPECT_EQ(SaveDialog1.zacetniDirektorij, QStringLiteral("/mesecni/"));

    // Stopped with a message: the chosen name stays.
    prenos.obseg = ObsegPog{true, QStringLiteral("x"), QString()};
    EXPECT_EQ(prenosOsb(o, SaveDialog1, QStringLiteral("/drug/"), prenos), std::nullopt);
    EXPECT_EQ(SaveDialog1.imeDatoteke, izhod);
}

// The selection dialog's contract list comes from the engine: every contract of POG
// under "LB"; without the table, the database's reason and an empty list.
TEST_F(PrenosOsbTest, TheContractListOfTheSelectionIsOpenedByTheEngine)
{
    QSqlQueryModel seznam;
    odpriSeznamPogodb(seznam);
    EXPECT_EQ(seznam.rowCount(), 6);
    EXPECT_GE(seznam.record().indexOf(QStringLiteral("IdPog")), 0);
    EXPECT_GE(seznam.record().indexOf(QStringLiteral("Nzv")), 0);

    b.izvedi(QStringLiteral("DROP TABLE POG"));
    EXPECT_THROW(odpriSeznamPogodb(seznam), Napaka);
    EXPECT_EQ(seznam.rowCount(), 0);
}

#include "dogodki.h"
#include "grupiranje.h"
#include "napaka.h"
#include "poizvedba.h"
#include "testnabaza.h"
#include "zapisnik.h"

#include <QMap>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Vrstica {
    QString IdGrupe;
    QString NzvGrupe;
    bool operator==(const Vrstica&) const = default;
};

void PrintTo(const Vrstica& v, std::ostream* os)
{
    *os << "{" << v.IdGrupe.toStdString() << ", \"" << v.NzvGrupe.toStdString() << "\"}";
}

} // namespace

void PrintTo(const PoljaGrupe& p, std::ostream* os)
{
    *os << "{" << p.SfDog.toStdString() << ", " << p.IdGrupe.toStdString() << ", \"" << p.NazivGrupe.toStdString()
        << "\", " << (p.srebrna ? "silver" : "white") << "}";
}

namespace {

class Grupiranje : public ::testing::Test {
protected:
    void SetUp() override
    {
        baza = std::make_unique<TestnaBaza>();
        LEDG_PRESKOCI_BREZ_BAZE(*baza);
        db = baza->odpri();
        vstaviDogodke(db, {{10, QStringLiteral("Vplačilo")},
                           {20, QStringLiteral("Izplačilo")},
                           {30, QStringLiteral("Obresti")},
                           {40, QStringLiteral("Provizija")},
                           {50, QStringLiteral("Stroški")},
                           {60, QStringLiteral("Prenos")},
                           {70, QStringLiteral("Menjava")},
                           {80, QStringLiteral("Storno")}});
    }
    void TearDown() override
    {
        db = QSqlDatabase();
        baza.reset();
    }

    // Group rows written as another session of the program would have left them.
    void vstaviGrupe(const QList<std::tuple<int, QString, QString>>& vrstice)
    {
        grupe::UstvariGrupeDog();
        Poizvedba q(db);
        for (const auto& [koda, id, naziv] : vrstice)
            q.izvedi(QStringLiteral("INSERT INTO GrupeDog (IdGrupe, SfDog, NzvGrupe) VALUES (:ID, :KODA, :NAZIV)"),
                     {{QStringLiteral("ID"), id}, {QStringLiteral("KODA"), koda}, {QStringLiteral("NAZIV"), naziv}});
    }

    // Every stored group row by event code (CHAR padding of a server removed).
    QMultiMap<qint64, Vrstica> shranjeno()
    {
        QMultiMap<qint64, Vrstica> m;
        Poizvedba q(db);
        if (!q.poskusiOdpreti(QStringLiteral("SELECT SfDog, IdGrupe, NzvGrupe FROM GrupeDog")))
            return m;
        while (q.naslednji()) {
            QString naziv = q.niz(QStringLiteral("NzvGrupe"));
            while (naziv.endsWith(u' '))
                naziv.chop(1);
            m.insert(q.celo(QStringLiteral("SfDog")), {q.niz(QStringLiteral("IdGrupe")).trimmed(), naziv});
        }
        return m;
    }

    // The operator's click on the event in the list.
    void izberi(GrupiranjeDogodkov& g, int koda)
    {
        g.odpriSeznam();
        const int stolpec = g.Q2->indeksStolpca(QStringLiteral("SfDog"));
        for (int v = 0; v < g.Q2->steviloVrstic(); ++v) {
            if (g.Q2->vrednost(v, stolpec).toLongLong() == koda) {
                g.premakniNa(v);
                g.PodatkiIzBaze();
                return;
            }
        }
        FAIL() << "event " << koda << " not in the list";
    }

    // Chooses an event, types the group number and name, saves.
    void shrani(GrupiranjeDogodkov& g, int koda, const QString& id, const QString& naziv)
    {
        izberi(g, koda);
        g.polja.IdGrupe = id;
        g.polja.NazivGrupe = naziv;
        g.polja.srebrna = false; // typing turns the fields white
        g.AzurirajGrupe(okolje);
    }

    std::unique_ptr<TestnaBaza> baza;
    QSqlDatabase db;
    Zapisnik okolje;
};

} // namespace

TEST_F(Grupiranje, CreateStatementReachesTheTableEveryOtherStatementNamesAndKeepsItsRows)
{
    EXPECT_EQ(grupe::kUstvari,
              QStringLiteral("CREATE TABLE  \"GrupeDog.db\" (IdGrupe char(2),SfDog integer,NzvGrupe char(10) )"));
    grupe::UstvariGrupeDog();
    Poizvedba q(db);
    q.izvedi(QStringLiteral("INSERT INTO GrupeDog (IdGrupe, SfDog, NzvGrupe) VALUES ('03', 30, 'Obresti')"));
    grupe::UstvariGrupeDog(); // exists now: the failure is ignored and the row stays
    EXPECT_EQ(shranjeno(), (QMultiMap<qint64, Vrstica>{{30, {QStringLiteral("03"), QStringLiteral("Obresti")}}}));
}

TEST_F(Grupiranje, ListShowsEveryEventWithItsGroupInFourTitledColumns)
{
    vstaviGrupe({{30, QStringLiteral("03"), QStringLiteral("Obresti")}});
    GrupiranjeDogodkov g;
    g.odpriSeznam();
    ASSERT_EQ(g.Q2->steviloStolpcev(), 4);
    const QStringList imena{QStringLiteral("SfDog"), QStringLiteral("IdGrupe"), QStringLiteral("NzvGrupe"),
                            QStringLiteral("Nzv")};
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(g.Q2->imeStolpca(s).compare(imena.at(s), Qt::CaseInsensitive), 0) << s;
        EXPECT_EQ(g.Q2->prikaz(s).naslov, imena.at(s));
    }
    EXPECT_EQ(g.Q2->steviloVrstic(), 8) << "events without a group are listed too";
    EXPECT_EQ(g.trenutnaVrstica(), 0);
}

TEST_F(Grupiranje, SaveThatCannotStartShowsItsMessageAndWritesNothing)
{
    vstaviGrupe({{30, QStringLiteral("03"), QStringLiteral("Obresti")}});
    struct Primer {
        QString sfDog, idGrupe, sporocilo;
    };
    const QString niDogodka = QStringLiteral("SfDog (dogodek) ni izbran!\rKlikni na dogodek v seznamu!");
    const QList<Primer> primeri{
        {QString(), QStringLiteral("05"), niDogodka},
        {QStringLiteral("   "), QStringLiteral("05"), niDogodka},
        {QStringLiteral("10"), QString(), QStringLiteral("Id grupe ni vnešen!")},
        {QStringLiteral("10"), QStringLiteral("  "), QStringLiteral("Id grupe ni vnešen!")},
        {QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("Id grupe ni pravilen!")},
        {QStringLiteral("10"), QStringLiteral("00"), QStringLiteral("Id grupe ni pravilen!")},
        {QStringLiteral("10"), QStringLiteral("x"), QStringLiteral("Id grupe ni pravilen!")},
        {QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("Id grupe ni pravilen!")},
    };
    const auto prej = shranjeno();
    for (const Primer& p : primeri) {
        GrupiranjeDogodkov g;
        g.odpriSeznam();
        g.DataSource2->nastaviOmogocen(true);
        QSignalSpy povezava(g.DataSource2, &PodatkovniVir::spremenjen);
        okolje.sporocila.clear();
        g.polja = PoljaGrupe{p.sfDog, p.idGrupe, QStringLiteral("Novo"), true};
        g.AzurirajGrupe(okolje);
        EXPECT_EQ(okolje.sporocila, QStringList{p.sporocilo})
            << p.sfDog.toStdString() << "/" << p.idGrupe.toStdString();
        EXPECT_EQ(povezava.count(), 0) << "the list stays as it is";
        EXPECT_TRUE(g.polja.srebrna);
    }
    EXPECT_EQ(shranjeno(), prej);
}

TEST_F(Grupiranje, GroupNumberIsStoredWithTwoDigitsAndTheListFollowsTheSavedEvent)
{
    GrupiranjeDogodkov g;
    grupe::UstvariGrupeDog(); // as the dialog's opening does
    g.odpriSeznam();
    g.DataSource2->nastaviOmogocen(true);
    QList<bool> povezava;
    QObject::connect(g.DataSource2, &PodatkovniVir::spremenjen, [&] { povezava << g.DataSource2->omogocen(); });

    shrani(g, 50, QStringLiteral("5"), QStringLiteral("Stroški"));

    EXPECT_TRUE(okolje.sporocila.isEmpty());
    EXPECT_EQ(shranjeno(), (QMultiMap<qint64, Vrstica>{{50, {QStringLiteral("05"), QStringLiteral("Stroški")}}}));
    EXPECT_TRUE(g.polja.srebrna);
    EXPECT_EQ(povezava, (QList<bool>{false, true})) << "the link is off while saving and on again after";
    ASSERT_GE(g.trenutnaVrstica(), 0);
    EXPECT_EQ(g.Q2->vrednost(g.trenutnaVrstica(), 0).toLongLong(), 50);
    EXPECT_EQ(g.Q2->vrednost(g.trenutnaVrstica(), g.Q2->indeksStolpca(QStringLiteral("IdGrupe"))).toString().trimmed(),
              QStringLiteral("05"));
}

TEST_F(Grupiranje, BlankNameTakesTheGroupsPresentNameOrStaysBlankForANewGroup)
{
    vstaviGrupe({{30, QStringLiteral("07"), QStringLiteral("Obresti")}});
    GrupiranjeDogodkov g;

    shrani(g, 40, QStringLiteral("07"), QStringLiteral("   "));
    EXPECT_EQ(g.polja.NazivGrupe, QStringLiteral("Obresti"));

    shrani(g, 60, QStringLiteral("08"), QString());
    EXPECT_EQ(g.polja.NazivGrupe, QString());

    EXPECT_EQ(shranjeno(), (QMultiMap<qint64, Vrstica>{{30, {QStringLiteral("07"), QStringLiteral("Obresti")}},
                                                       {40, {QStringLiteral("07"), QStringLiteral("Obresti")}},
                                                       {60, {QStringLiteral("08"), QString()}}}));
    EXPECT_TRUE(okolje.sporocila.isEmpty());
}

TEST_F(Grupiranje, NewNameRenamesTheWholeGroupAndNoOther)
{
    vstaviGrupe({{10, QStringLiteral("07"), QStringLiteral("Stara")},
                 {20, QStringLiteral("07"), QStringLiteral("Stara")},
                 {30, QStringLiteral("07"), QStringLiteral("Stara")},
                 {40, QStringLiteral("07"), QStringLiteral("Stara")},
                 {50, QStringLiteral("07"), QStringLiteral("Stara")},
                 {60, QStringLiteral("03"), QStringLiteral("Druga")}});
    GrupiranjeDogodkov g;
    shrani(g, 70, QStringLiteral("7"), QStringLiteral("Nova"));

    const auto s = shranjeno();
    for (int koda : {10, 20, 30, 40, 50, 70})
        EXPECT_EQ(s.values(koda), QList<Vrstica>{Vrstica({QStringLiteral("07"), QStringLiteral("Nova")})}) << koda;
    EXPECT_EQ(s.values(60), QList<Vrstica>{Vrstica({QStringLiteral("03"), QStringLiteral("Druga")})});
}

TEST_F(Grupiranje, EventIsMovedToAnotherGroupInItsSingleRow)
{
    vstaviGrupe({{30, QStringLiteral("03"), QStringLiteral("Trojka")},
                 {40, QStringLiteral("03"), QStringLiteral("Trojka")},
                 {50, QStringLiteral("07"), QStringLiteral("Sedem")}});
    GrupiranjeDogodkov g;
    izberi(g, 30);
    EXPECT_EQ(g.polja.IdGrupe, QStringLiteral("03"));
    shrani(g, 30, QStringLiteral("07"), QString());

    EXPECT_EQ(shranjeno(), (QMultiMap<qint64, Vrstica>{{30, {QStringLiteral("07"), QStringLiteral("Sedem")}},
                                                       {40, {QStringLiteral("03"), QStringLiteral("Trojka")}},
                                                       {50, {QStringLiteral("07"), QStringLiteral("Sedem")}}}));
}

TEST_F(Grupiranje, ChoosingAnEventWithoutGroupKeepsTheLastGroupInWhite)
{
    vstaviGrupe({{30, QStringLiteral("07"), QStringLiteral("Obresti")}});
    GrupiranjeDogodkov g;
    izberi(g, 30);
    EXPECT_EQ(g.polja, (PoljaGrupe{QStringLiteral("30"), QStringLiteral("07"), QStringLiteral("Obresti"), true}));

    izberi(g, 80);
    EXPECT_EQ(g.polja, (PoljaGrupe{QStringLiteral("80"), QStringLiteral("07"), QStringLiteral("Obresti"), false}));

    // Saving now gives the event the group shown.
    g.AzurirajGrupe(okolje);
    EXPECT_EQ(shranjeno().values(80), QList<Vrstica>{Vrstica({QStringLiteral("07"), QStringLiteral("Obresti")})});
}

TEST_F(Grupiranje, QuotesInAGroupNameAreStoredAsTypedAndChangeNothingElse)
{
    vstaviGrupe({{10, QStringLiteral("01"), QStringLiteral("Ena")}, {20, QStringLiteral("02"), QStringLiteral("Dva")}});
    GrupiranjeDogodkov g;
    const QList<QString> nazivi{QStringLiteral("A\"B'C"), QStringLiteral("x\" OR \"1"), QStringLiteral("'; --")};
    for (const QString& naziv : nazivi) {
        shrani(g, 30, QStringLiteral("3"), naziv);
        const auto s = shranjeno();
        EXPECT_EQ(s.values(30), QList<Vrstica>{Vrstica({QStringLiteral("03"), naziv})}) << naziv.toStdString();
        EXPECT_EQ(s.values(10), QList<Vrstica>{Vrstica({QStringLiteral("01"), QStringLiteral("Ena")})});
        EXPECT_EQ(s.values(20), QList<Vrstica>{Vrstica({QStringLiteral("02"), QStringLiteral("Dva")})});
        // Shown again as typed.
        g.polja.NazivGrupe.clear();
        izberi(g, 30);
        EXPECT_EQ(g.polja.NazivGrupe, naziv);
    }
}

TEST_F(Grupiranje, ListThatCannotBeOpenedIsReportedWithTheDatabasesText)
{
    Poizvedba(db).izvedi(QStringLiteral("DROP TABLE SfDog"));
    GrupiranjeDogodkov g;
    EXPECT_THROW(g.odpriSeznam(), Napaka);
    EXPECT_FALSE(g.Q2->jeOdprt());
    // Showing an event from an unopened list changes nothing.
    g.polja = PoljaGrupe{QStringLiteral("30"), QStringLiteral("07"), QStringLiteral("X"), true};
    g.PodatkiIzBaze();
    EXPECT_EQ(g.polja, (PoljaGrupe{QStringLiteral("30"), QStringLiteral("07"), QStringLiteral("X"), true}));
}

// A save the database refuses (here a table that refuses every new row, as a locked
// one does) says so with the database's text, and the list stays as it was; the list
// keeps the order of the event codes after every save.
TEST_F(Grupiranje, RefusedSaveSaysSoAndKeepsTheListInItsOrder)
{
    grupe::UstvariGrupeDog();
    GrupiranjeDogodkov g;
    shrani(g, 20, QStringLiteral("3"), QStringLiteral("Tri"));
    ASSERT_TRUE(okolje.sporocila.isEmpty());
    QList<qint64> kode;
    const int stolpec = g.Q2->indeksStolpca(QStringLiteral("SfDog"));
    for (int v = 0; v < g.Q2->steviloVrstic(); ++v)
        kode << g.Q2->vrednost(v, stolpec).toLongLong();
    EXPECT_EQ(kode, (QList<qint64>{10, 20, 30, 40, 50, 60, 70, 80}));

    if (baza->gonilnik() != u"sqlite")
        GTEST_SKIP() << "the refusing table is made with an SQLite trigger";
    QSqlQuery sprozilec(QSqlDatabase::database(grupe::kImeBaze, false));
    ASSERT_TRUE(sprozilec.exec(QStringLiteral(
        "CREATE TRIGGER ZAVRNI BEFORE INSERT ON GrupeDog BEGIN SELECT RAISE(ABORT, 'database is locked'); END")))
        << sprozilec.lastError().text().toStdString();
    shrani(g, 40, QStringLiteral("4"), QStringLiteral("Stiri"));
    ASSERT_EQ(okolje.sporocila.size(), 1);
    EXPECT_TRUE(okolje.sporocila.at(0).startsWith(QStringLiteral("Grupe ni bilo mogoče shraniti; razlog: ")))
        << okolje.sporocila.at(0).toStdString();
    EXPECT_TRUE(okolje.sporocila.at(0).contains(QStringLiteral("locked")));
    EXPECT_EQ(shranjeno().count(40), 0);
    EXPECT_TRUE(g.DataSource2->omogocen());
    EXPECT_EQ(g.Q2->steviloVrstic(), 8) << "the list is kept";
    EXPECT_FALSE(g.polja.srebrna);
}

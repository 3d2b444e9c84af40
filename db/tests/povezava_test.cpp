#include "napaka.h"
#include "poizvedba.h"
#include "povezava.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Aliasi aliasiZ(const QTemporaryDir& dir, const QByteArray& ini)
{
    const QString pot = dir.filePath(QStringLiteral("aliases.ini"));
    QFile f(pot);
    f.open(QIODevice::WriteOnly);
    f.write(ini);
    f.close();
    return Aliasi::preberi(pot);
}

void novaSqlite(const QString& pot)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("priprava"));
        db.setDatabaseName(pot);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE T (A INTEGER)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("priprava"));
}

} // namespace

TEST(Povezava, FailsForUnknownAliasUnknownDriverAndMissingFileWithoutCreatingIt)
{
    QTemporaryDir dir;
    const Aliasi a = aliasiZ(dir, "[LB]\ndriver=sqlite\ndatabase=manjka.sqlite\n[X]\ndriver=paradox\n");
    // Each reason says what is wrong: the section, the file, the driver, the database.
    const QString ini = dir.filePath(QStringLiteral("aliases.ini"));
    EXPECT_EQ(povezava::odpri(QStringLiteral("LB"), QStringLiteral("NI"), {}, {}, a),
              QStringLiteral("Alias ne obstaja: NI (datoteka z aliasi ") + ini + u')');
    const QString brezDatoteke = dir.filePath(QStringLiteral("ni.ini"));
    EXPECT_EQ(povezava::odpri(QStringLiteral("LB"), QStringLiteral("LB"), {}, {}, Aliasi::preberi(brezDatoteke)),
              QStringLiteral("Alias ne obstaja: LB (datoteka z aliasi ") + brezDatoteke
                  + QStringLiteral(": No such file or directory)"));
    EXPECT_EQ(povezava::odpri(QStringLiteral("X"), QStringLiteral("X"), {}, {}, a),
              QStringLiteral("Neznan gonilnik: paradox"));
    EXPECT_TRUE(povezava::odpri(QStringLiteral("LB"), QStringLiteral("LB"), {}, {}, a)
                    .startsWith(QStringLiteral("Baza ne obstaja: ")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("manjka.sqlite"))));
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));

    // A file that is no SQLite database is a failed connection too.
    {
        QFile f(dir.filePath(QStringLiteral("manjka.sqlite")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("to ni baza, to je besedilo, ki je dovolj dolgo za glavo datoteke SQLite ..........\n");
    }
    EXPECT_FALSE(povezava::odpri(QStringLiteral("LB"), QStringLiteral("LB"), {}, {}, a).isEmpty());
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("LB")));

    // A malformed aliases file has no aliases.
    const Aliasi slabi = aliasiZ(dir, "to ni\x01 datoteka [z aliasi\n=\n[\n");
    EXPECT_FALSE(povezava::odpri(QStringLiteral("LB"), QStringLiteral("LB"), {}, {}, slabi).isEmpty());
}

TEST(Povezava, OpensUnderTheChosenNameAndSecondNameGetsItsOwnConnection)
{
    QTemporaryDir dir;
    novaSqlite(dir.filePath(QStringLiteral("a.sqlite")));
    const QByteArray ini = "[GLAVNA]\ndriver=sqlite\ndatabase=a.sqlite\n[LB]\ndriver=sqlite\ndatabase=a.sqlite\n";
    const Aliasi a = aliasiZ(dir, ini);
    qputenv("LEDGXFER_ALIASES", dir.filePath(QStringLiteral("aliases.ini")).toUtf8());

    ASSERT_TRUE(povezava::odpri(QStringLiteral("GLAVNA"), QStringLiteral("GLAVNA"), {}, {}, a).isEmpty());
    EXPECT_TRUE(povezava::jeOdprta(QStringLiteral("GLAVNA")));

    // A statement under "LB" opens its own connection from the aliases file.
    Poizvedba q(QStringLiteral("LB"));
    q.odpri(QStringLiteral("SELECT COUNT(*) N FROM T"));
    ASSERT_TRUE(q.naslednji());
    EXPECT_EQ(q.celo(QStringLiteral("n")), 0);
    EXPECT_TRUE(povezava::jeOdprta(QStringLiteral("LB")));

    // A refused statement reaches the caller with the database's text.
    try {
        Poizvedba(QStringLiteral("GLAVNA")).izvedi(QStringLiteral("SELECT * FROM NI_TABELE"));
        FAIL() << "expected a failure";
    } catch (const Napaka& e) {
        EXPECT_TRUE(e.besedilo().contains(QStringLiteral("NI_TABELE"))) << e.besedilo().toStdString();
    }

    povezava::zapriVse();
    EXPECT_FALSE(povezava::jeOdprta(QStringLiteral("GLAVNA")));
    EXPECT_THROW(Poizvedba(QStringLiteral("NEZNANA")), Napaka);
    qunsetenv("LEDGXFER_ALIASES");
}

// The second connection to "LB" gets the login's user and password only when "LB"
// leads to the server and database the login was made on; to another server they
// are never sent (the SQLite driver keeps the user name it was given, which shows what
// would have been sent).
TEST(Povezava, SecondConnectionGetsTheLoginsCredentialsOnlyOnTheSameServer)
{
    QTemporaryDir dir;
    novaSqlite(dir.filePath(QStringLiteral("a.sqlite")));
    novaSqlite(dir.filePath(QStringLiteral("b.sqlite")));
    const QByteArray ini = "[X]\ndriver=sqlite\ndatabase=a.sqlite\n"
                           "[ISTA]\ndriver=sqlite\ndatabase=./podmapa/../a.sqlite\n"
                           "[DRUGA]\ndriver=sqlite\ndatabase=b.sqlite\n"
                           "[SVOJA]\ndriver=sqlite\ndatabase=b.sqlite\nuser=lb_uporabnik\npassword=lb_geslo\n";
    QDir(dir.path()).mkdir(QStringLiteral("podmapa"));
    const Aliasi a = aliasiZ(dir, ini);
    qputenv("LEDGXFER_ALIASES", dir.filePath(QStringLiteral("aliases.ini")).toUtf8());

    ASSERT_TRUE(
        povezava::odpri(QStringLiteral("X"), QStringLiteral("X"), QStringLiteral("janez"), QStringLiteral("skrivno"), a)
            .isEmpty());
    povezava::zapomniPrijavo(QStringLiteral("X"), QStringLiteral("janez"), QStringLiteral("skrivno"), a);

    struct Primer {
        const char* alias;
        const char* uporabnik;
        const char* geslo;
    };
    for (const Primer& p :
         {Primer{"ISTA", "janez", "skrivno"}, Primer{"DRUGA", "", ""}, Primer{"SVOJA", "lb_uporabnik", "lb_geslo"}}) {
        const QSqlDatabase db = povezava::zaIme(QString::fromLatin1(p.alias));
        EXPECT_EQ(db.userName(), QString::fromLatin1(p.uporabnik)) << p.alias;
        EXPECT_EQ(db.password(), QString::fromLatin1(p.geslo)) << p.alias;
    }
    povezava::zapriVse();
    povezava::zapomniPrijavo(QString(), QString(), QString(), a);
    qunsetenv("LEDGXFER_ALIASES");
}

TEST(Aliasi, SameServerMeansSameDriverHostPortAndDatabase)
{
    auto pg = [](const char* host, int port, const char* baza) {
        Alias a;
        a.driver = QStringLiteral("postgresql");
        a.host = QString::fromLatin1(host);
        a.port = port;
        a.database = QString::fromLatin1(baza);
        return a;
    };
    const Alias x = pg("db.banka.si", 5432, "ledger");
    struct Primer {
        const char* ime;
        Alias lb;
        bool isti;
    };
    Alias odbc = pg("db.banka.si", 5432, "ledger");
    odbc.driver = QStringLiteral("odbc");
    const Primer primeri[] = {
        {"enak", pg("db.banka.si", 5432, "ledger"), true},
        {"velike_crke_gostitelja", pg("DB.Banka.si", 5432, "ledger"), true},
        {"privzeta_vrata", pg("db.banka.si", 0, "ledger"), true},
        {"drug_gostitelj", pg("db2.banka.si", 5432, "ledger"), false},
        {"druga_vrata", pg("db.banka.si", 5433, "ledger"), false},
        {"druga_baza", pg("db.banka.si", 5432, "ledger2"), false},
        {"drug_gonilnik", odbc, false},
    };
    for (const Primer& p : primeri) {
        EXPECT_EQ(istiStreznik(p.lb, x), p.isti) << p.ime;
        EXPECT_EQ(istiStreznik(x, p.lb), p.isti) << p.ime;
    }
}

// LIKE on an SQLite connection compares letters case-sensitively, as the servers do:
// a prefix filter lists only what begins with exactly the typed text.
TEST(Povezava, LikeOnSqliteIsCaseSensitive)
{
    QTemporaryDir dir;
    novaSqlite(dir.filePath(QStringLiteral("a.sqlite")));
    const Aliasi a = aliasiZ(dir, "[LB]\ndriver=sqlite\ndatabase=a.sqlite\n");
    ASSERT_TRUE(povezava::odpri(QStringLiteral("LB"), QStringLiteral("LB"), {}, {}, a).isEmpty());
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("LB"), false);
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE V (S VARCHAR(10))")));
        for (const char* s : {"N1", "n1", "N2", "ABC", "abc", "a_c", "Nx"})
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO V VALUES ('%1')").arg(QLatin1String(s))));
    }
    struct Primer {
        const char* vzorec;
        QStringList ujemanja;
    };
    const Primer primeri[] = {
        {"N%", {QStringLiteral("N1"), QStringLiteral("N2"), QStringLiteral("Nx")}},
        {"n%", {QStringLiteral("n1")}},
        {"a_c%", {QStringLiteral("a_c"), QStringLiteral("abc")}}, // '_' stands for one character, but 'a' is not 'A'
        {"ABC%", {QStringLiteral("ABC")}},
    };
    for (const Primer& p : primeri) {
        Poizvedba q(QStringLiteral("LB"));
        q.odpri(QStringLiteral("SELECT S FROM V WHERE S LIKE '%1' ORDER BY S").arg(QLatin1String(p.vzorec)));
        QStringList najdeni;
        while (q.naslednji())
            najdeni << q.niz(QStringLiteral("S"));
        QStringList pricakovani = p.ujemanja;
        pricakovani.sort();
        EXPECT_EQ(najdeni, pricakovani) << p.vzorec;
    }
    povezava::zapriVse();
}

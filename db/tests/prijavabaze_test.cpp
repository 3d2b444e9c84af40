#include "prijavabaze.h"
#include "testnabaza.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Aliasi aliasiZ(const QTemporaryDir& dir, const QString& ini)
{
    const QString pot = dir.filePath(QStringLiteral("aliases.ini"));
    QFile f(pot);
    f.open(QIODevice::WriteOnly);
    f.write(ini.toUtf8());
    f.close();
    return Aliasi::preberi(pot);
}

struct Primer {
    const char* ime;
    QString ini; // the aliases file
    QString alias;
    QString uporabnik;
    QString geslo;
    povezava::Neuspeh neuspeh;
    QString razlog; // a part of the reason the operator reads
};

// The operator reads why: the window's message, then the reason on its own line.
void preveri(const Primer& p, const IzidPrijave& izid)
{
    ASSERT_FALSE(izid.uspela()) << p.ime;
    EXPECT_EQ(izid.povezava.neuspeh, p.neuspeh) << p.ime << ": " << izid.povezava.razlog.toStdString();
    EXPECT_TRUE(izid.povezava.razlog.contains(p.razlog, Qt::CaseInsensitive))
        << p.ime << ": " << izid.povezava.razlog.toStdString();
    const QStringList vrstici = izid.sporocilo().split(u'\n');
    ASSERT_EQ(vrstici.size(), 2) << p.ime << ": " << izid.sporocilo().toStdString();
    EXPECT_EQ(vrstici.at(0), QStringLiteral("Prijava v ") + p.alias + QStringLiteral(" kot uporabnik ") + p.uporabnik
                                 + QStringLiteral(" ni uspela!"));
    EXPECT_EQ(vrstici.at(1), izid.povezava.razlog);
    EXPECT_FALSE(povezava::jeOdprta(p.alias)) << p.ime;
}

} // namespace

// Failures that need no server: each says its kind and its reason, and nothing stays open.
TEST(Prijava, FailedLoginCarriesItsKindAndTheReason)
{
    QTemporaryDir dir;
    const QString sqlite = QStringLiteral("[LB]\ndriver=sqlite\ndatabase=manjka.sqlite\n");
    const QString paradox = QStringLiteral("[X]\ndriver=paradox\n");
    // Nobody listens on port 1 of the loopback address.
    const QString zaprt = QStringLiteral("[PG]\ndriver=postgresql\ndatabase=ledger\nhost=127.0.0.1\nport=1\n");
    const Primer primeri[] = {
        {"neznan_alias", sqlite, QStringLiteral("NI"), QStringLiteral("ana"), QString(), povezava::Neuspeh::NeznanAlias,
         QStringLiteral("Alias ne obstaja: NI")},
        {"prazen_alias", sqlite, QString(), QString(), QString(), povezava::Neuspeh::NeznanAlias,
         QStringLiteral("Alias ne obstaja: ")},
        {"manjka_datoteka_sqlite", sqlite, QStringLiteral("LB"), QStringLiteral("ana"), QStringLiteral("x"),
         povezava::Neuspeh::NiBaze,
         QStringLiteral("Baza ne obstaja: ") + dir.filePath(QStringLiteral("manjka.sqlite"))},
        {"neznan_gonilnik", paradox, QStringLiteral("X"), QString(), QString(), povezava::Neuspeh::Gonilnik,
         QStringLiteral("Neznan gonilnik: paradox")},
        {"streznik_ni_dosegljiv", zaprt, QStringLiteral("PG"), QStringLiteral("ana"), QStringLiteral("x"),
         povezava::Neuspeh::Nedosegljiv, QStringLiteral("127.0.0.1")},
    };
    for (const Primer& p : primeri) {
        if (p.neuspeh == povezava::Neuspeh::Nedosegljiv && !QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            ADD_FAILURE() << p.ime << ": the PostgreSQL driver is not installed";
            continue;
        }
        preveri(p, prijaviVBazo(p.alias, p.uporabnik, p.geslo, aliasiZ(dir, p.ini)));
    }
}

// On a server: a wrong password, an unknown user and a database that is not there are
// each told apart; the right login opens the connection and is kept for the second ones.
TEST(Prijava, OnTheServerRefusedLoginAndMissingDatabaseAreToldApart)
{
    TestnaBaza b(QStringLiteral("LB"), false);
    LEDG_PRESKOCI_BREZ_BAZE(b);
    const Aliasi aliasi = Aliasi::preberi(b.potAliasov());

    const IzidPrijave prava = prijaviVBazo(b.alias(), b.uporabnik(), b.geslo(), aliasi);
    ASSERT_TRUE(prava.uspela()) << prava.sporocilo().toStdString();
    EXPECT_TRUE(povezava::jeOdprta(b.alias()));
    povezava::zapriVse();

    if (b.gonilnik() != u"postgresql")
        GTEST_SKIP() << "this engine has no login: refused logins are checked on a server";
    QString drugaBaza = b.odsekAliasa();
    drugaBaza.replace(QStringLiteral("[LB]"), QStringLiteral("[NIBAZE]"));
    drugaBaza.replace(QRegularExpression(QStringLiteral("database=[^\n]*")), QStringLiteral("database=ni_take_baze"));
    QTemporaryDir dir;
    const QString ini = b.odsekAliasa() + u'\n' + drugaBaza;
    const Primer primeri[] = {
        {"napacno_geslo", ini, QStringLiteral("LB"), b.uporabnik(), QStringLiteral("narobe"),
         povezava::Neuspeh::Zavrnjena, QStringLiteral("password authentication failed")},
        {"neznan_uporabnik", ini, QStringLiteral("LB"), QStringLiteral("ni_takega"), QStringLiteral("narobe"),
         povezava::Neuspeh::Zavrnjena, QStringLiteral("ni_takega")},
        {"baze_ni", ini, QStringLiteral("NIBAZE"), b.uporabnik(), b.geslo(), povezava::Neuspeh::NiBaze,
         QStringLiteral("ni_take_baze")},
    };
    for (const Primer& p : primeri)
        preveri(p, prijaviVBazo(p.alias, p.uporabnik, p.geslo, aliasiZ(dir, p.ini)));
}

#include "testnabaza.h"

#include "jedro.h"
#include "napaka.h"
#include "povezava.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

QString env(const char* ime) { return qEnvironmentVariable(ime); }

// The admin connection to the test server's own database, for creating and
// dropping the per-test databases.
QSqlDatabase streznik()
{
    const QString ime = QStringLiteral("testna-baza-streznik");
    if (QSqlDatabase::contains(ime)) {
        QSqlDatabase db = QSqlDatabase::database(ime, false);
        if (db.isOpen() || db.open())
            return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), ime);
    db.setHostName(env("LEDGXFER_PG_HOST"));
    db.setPort(env("LEDGXFER_PG_PORT").toInt());
    db.setUserName(env("LEDGXFER_PG_USER"));
    db.setPassword(env("LEDGXFER_PG_PASSWORD"));
    db.setDatabaseName(env("LEDGXFER_PG_DATABASE"));
    db.open();
    return db;
}

} // namespace

TestnaBaza::TestnaBaza(const QString& alias, bool jedrneTabele, const QString& gonilnik) : m_alias(alias)
{
    m_gonilnik = gonilnik.isEmpty() ? env("LEDGXFER_TEST_DB").toLower() : gonilnik;
    if (m_gonilnik.isEmpty())
        m_gonilnik = QStringLiteral("sqlite");

    if (m_gonilnik == u"sqlite") {
        m_imeBaze = m_mapa.filePath(alias + QStringLiteral(".sqlite"));
        QFile f(m_imeBaze);
        f.open(QIODevice::WriteOnly); // an empty file is an empty SQLite database
    } else if (m_gonilnik == u"odbc-dsn") {
        if (env("ODBCINI").isEmpty() || env("LEDGXFER_PG_PORT").isEmpty()) {
            m_razlog = QStringLiteral("no test server with an ODBC data source was started (ODBCINI is not set)");
            return;
        }
        m_uporabnik = env("LEDGXFER_PG_USER");
        m_geslo = env("LEDGXFER_PG_PASSWORD");
    } else if (m_gonilnik == u"postgresql" || m_gonilnik == u"odbc") {
        if (env("LEDGXFER_PG_PORT").isEmpty()) {
            m_razlog = QStringLiteral("LEDGXFER_TEST_DB=%1 but no PostgreSQL server was started "
                                      "(LEDGXFER_PG_PORT is not set)")
                           .arg(m_gonilnik);
            return;
        }
        QSqlDatabase admin = streznik();
        if (!admin.isOpen()) {
            m_razlog = QStringLiteral("cannot reach the test PostgreSQL server: ") + admin.lastError().text();
            return;
        }
        m_imeBaze = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(20);
        QSqlQuery q(admin);
        if (!q.exec(QStringLiteral("CREATE DATABASE %1 OWNER %2 TEMPLATE template0 ENCODING 'UTF8' "
                                   "LC_COLLATE 'C' LC_CTYPE 'C'")
                        .arg(m_imeBaze, env("LEDGXFER_PG_USER")))) {
            m_razlog = QStringLiteral("cannot create a test database: ") + q.lastError().text();
            m_imeBaze.clear();
            return;
        }
        m_uporabnik = env("LEDGXFER_PG_USER");
        m_geslo = env("LEDGXFER_PG_PASSWORD");
    } else {
        m_razlog = QStringLiteral("unknown LEDGXFER_TEST_DB: ") + m_gonilnik;
        return;
    }

    QFile ini(potAliasov());
    ini.open(QIODevice::WriteOnly);
    ini.write(odsekAliasa().toUtf8());
    ini.close();
    qputenv("LEDGXFER_ALIASES", potAliasov().toUtf8());
    qputenv("LEDGXFER_HOME", m_mapa.path().toUtf8());

    if (m_gonilnik == u"odbc-dsn") {
        // The server's own database is shared by every run: start from no tables.
        QSqlDatabase db = odpri();
        for (const char* t : {"KNJIZBE", "DOG", "SIFKONT", "VLT", "SFVP", "OSB", "POG", "ORG", "SfDog", "LEDGXFER",
                              "IZRAVNAVE", "GrupeDog"})
            QSqlQuery(db).exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QString::fromLatin1(t)));
    }
    if (jedrneTabele) {
        QSqlDatabase db = odpri();
        try {
            ustvariJedrneTabele(db);
        } catch (const Napaka& e) {
            m_razlog = QStringLiteral("cannot create the core tables: ") + e.besedilo();
        }
    }
}

TestnaBaza::~TestnaBaza()
{
    povezava::zapriVse();
    if ((m_gonilnik == u"postgresql" || m_gonilnik == u"odbc") && !m_imeBaze.isEmpty()) {
        QSqlDatabase admin = streznik();
        QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_imeBaze));
    }
    qunsetenv("LEDGXFER_ALIASES");
    qunsetenv("LEDGXFER_HOME");
}

QString TestnaBaza::potAliasov() const { return m_mapa.filePath(QStringLiteral("aliases.ini")); }

QString TestnaBaza::odsekAliasa(const QString& ime) const
{
    QString s = QStringLiteral("[%1]\n").arg(ime.isEmpty() ? m_alias : ime);
    if (m_gonilnik == u"sqlite") {
        s += QStringLiteral("driver=sqlite\ndatabase=%1\n").arg(m_imeBaze);
    } else if (m_gonilnik == u"postgresql") {
        s += QStringLiteral("driver=postgresql\ndatabase=%1\nhost=%2\nport=%3\nuser=%4\npassword=%5\n")
                 .arg(m_imeBaze, env("LEDGXFER_PG_HOST"), env("LEDGXFER_PG_PORT"), m_uporabnik, m_geslo);
    } else if (m_gonilnik == u"odbc-dsn") {
        s += QStringLiteral("driver=odbc\ndatabase=LedgerPG\nuser=%1\npassword=%2\n").arg(m_uporabnik, m_geslo);
    } else {
        // A connection string: the same server through unixODBC and the PostgreSQL driver,
        // in quotes for its ';'.
        s += QStringLiteral("driver=odbc\ndatabase=\"DRIVER={%1};SERVER=%2;PORT=%3;DATABASE=%4;"
                            "UseDeclareFetch=0\"\nuser=%5\npassword=%6\n")
                 .arg(env("LEDGXFER_ODBC_DRIVER"), env("LEDGXFER_PG_HOST"), env("LEDGXFER_PG_PORT"), m_imeBaze,
                      m_uporabnik, m_geslo);
    }
    return s;
}

void TestnaBaza::dodajAlias(const TestnaBaza& druga, const QString& ime)
{
    QFile ini(potAliasov());
    ini.open(QIODevice::Append);
    ini.write("\n");
    ini.write(druga.odsekAliasa(ime).toUtf8());
}

QSqlDatabase TestnaBaza::odpri()
{
    if (!povezava::jeOdprta(m_alias)) {
        const QString napaka = povezava::odpri(m_alias, m_alias, m_uporabnik, m_geslo, Aliasi::preberi(potAliasov()));
        if (!napaka.isEmpty())
            throw Napaka(napaka);
        // Tests need no durability: no wait for the disk after every statement.
        if (m_gonilnik == u"sqlite")
            QSqlQuery(QSqlDatabase::database(m_alias, false)).exec(QStringLiteral("PRAGMA synchronous=OFF"));
    }
    return QSqlDatabase::database(m_alias, false);
}

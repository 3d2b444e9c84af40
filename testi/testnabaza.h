#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh database for one test, on the engine that LEDGXFER_TEST_DB names:
// "sqlite" (the default: a file in a temporary folder), "postgresql" (a new database
// on the server that scripts/pg.sh started, found through LEDGXFER_PG_*), or "odbc"
// (the same kind of PostgreSQL database reached through unixODBC and the PostgreSQL
// ODBC driver). It writes an aliases file with the alias leading to it, points
// LEDGXFER_ALIASES and LEDGXFER_HOME at the temporary folder, and removes everything
// again at the end. With `jedrneTabele` the core tables are created empty.
class TestnaBaza {
public:
    // `gonilnik` chooses the engine instead of LEDGXFER_TEST_DB; "odbc-dsn" reaches the
    // test server's own database through the DSN "LedgerPG" of the temporary odbc.ini
    // that scripts/pg.sh writes (its tables are dropped first).
    explicit TestnaBaza(const QString& alias = QStringLiteral("LB"), bool jedrneTabele = true,
                        const QString& gonilnik = QString());
    ~TestnaBaza();
    TestnaBaza(const TestnaBaza&) = delete;
    TestnaBaza& operator=(const TestnaBaza&) = delete;

    // False when the engine asked for is not available; razlog() says why.
    bool pripravljena() const { return m_razlog.isEmpty(); }
    QString razlog() const { return m_razlog; }

    QString alias() const { return m_alias; }
    QString gonilnik() const { return m_gonilnik; } // sqlite | postgresql | odbc
    QString mapa() const { return m_mapa.path(); }
    QString potAliasov() const;
    QString uporabnik() const { return m_uporabnik; }
    QString geslo() const { return m_geslo; }

    // Opens (once) the connection registered under the alias, as the program does at
    // start-up, and returns it.
    QSqlDatabase odpri();

    // Adds the other database's alias section to this aliases file, under its own alias
    // or under `ime` (a second alias of this very database, for one).
    void dodajAlias(const TestnaBaza& druga, const QString& ime = QString());

    // The aliases-file section of this database, under its alias or under `ime`.
    QString odsekAliasa(const QString& ime = QString()) const;

private:
    QString m_alias;
    QString m_gonilnik;
    QString m_razlog;
    QTemporaryDir m_mapa;
    QString m_imeBaze; // server database name, or the SQLite file
    QString m_uporabnik;
    QString m_geslo;
};

// Skips the test with the reason when the engine asked for is not available.
#define LEDG_PRESKOCI_BREZ_BAZE(b)                                                                                     \
    do {                                                                                                               \
        if (!(b).pripravljena())                                                                                       \
            GTEST_SKIP() << "NO TEST DATABASE: " << (b).razlog().toStdString();                                        \
    } while (0)

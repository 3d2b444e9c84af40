#include "napaka.h"
#include "snemalnik.h"
#include "testnabaza.h"
#include "transakcija.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct Baza {
    Baza() : db(b.pripravljena() ? b.odpri() : QSqlDatabase())
    {
        if (b.pripravljena())
            izvedi("CREATE TABLE KORAK (N INTEGER NOT NULL PRIMARY KEY, T VARCHAR(20) NOT NULL)");
    }
    void izvedi(const char* sql)
    {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QString::fromLatin1(sql))) << q.lastError().text().toStdString();
    }
    // The keys of the table, in order, as "1 2 3".
    QString kljuci() const
    {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT N FROM KORAK ORDER BY N")));
        QStringList v;
        while (q.next())
            v << q.value(0).toString();
        return v.join(u' ');
    }
    TestnaBaza b;
    QSqlDatabase db;
    Snemalnik okolje;
};

} // namespace

// A statement that fails after it has changed some rows leaves none of them, and the
// transaction goes on with everything before and after it: on a server through a
// savepoint, on SQLite through the engine's own undoing of the statement.
TEST(Transakcija, AFailedStatementIsUndoneWholeAndTheTransactionGoesOn)
{
    Baza t;
    LEDG_PRESKOCI_BREZ_BAZE(t.b);
    t.izvedi("INSERT INTO KORAK (N, T) VALUES (5, 'prej')");
    const struct {
        const char* stavek;
        const char* kaj;
    } neuspeli[] = {
        // the first row goes in, the second collides with the key of the row before
        {"INSERT INTO KORAK (N, T) SELECT N - 4, 'nov' FROM KORAK UNION ALL SELECT 5, 'spor' FROM KORAK", "ključ"},
        // the first row is changed, the second refused an empty text
        {"UPDATE KORAK SET T = CASE WHEN N = 6 THEN NULL ELSE 'spremenjen' END", "NOT NULL"},
        {"INSERT INTO NI_TABELE (N) VALUES (1)", "tabela"},
    };
    {
        Transakcija tx(t.db, t.okolje);
        tx.zacni();
        tx.izvedi(QStringLiteral("INSERT INTO KORAK (N, T) VALUES (6, 'v transakciji')"), {},
                  QStringLiteral("tabelo KORAK"));
        for (const auto& n : neuspeli) {
            QString napaka;
            EXPECT_FALSE(tx.poskusi(QString::fromLatin1(n.stavek), {}, QStringLiteral("tabelo KORAK"), &napaka))
                << n.stavek;
            EXPECT_FALSE(napaka.isEmpty()) << n.kaj;
            EXPECT_EQ(t.kljuci(), QStringLiteral("5 6")) << n.stavek;
        }
        tx.izvedi(QStringLiteral("INSERT INTO KORAK (N, T) VALUES (7, 'potem')"), {}, QStringLiteral("tabelo KORAK"));
        tx.potrdi();
    }
    EXPECT_EQ(t.kljuci(), QStringLiteral("5 6 7"));
    QSqlQuery q(t.db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM KORAK WHERE T IN ('nov', 'spor', 'spremenjen')")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

// A failure that ends the whole transaction (SQLite does so on a full disk or an I/O
// error) is not a failed step after which the run goes on: the statements after it
// would no longer be part of the transaction. It is thrown, and the transaction's work
// is gone.
TEST(Transakcija, AFailureThatEndsTheTransactionIsThrownAndLeavesNothing)
{
    Baza t;
    LEDG_PRESKOCI_BREZ_BAZE(t.b);
    {
        Transakcija tx(t.db, t.okolje);
        tx.zacni();
        tx.izvedi(QStringLiteral("INSERT INTO KORAK (N, T) VALUES (1, 'v transakciji')"), {},
                  QStringLiteral("tabelo KORAK"));
        EXPECT_THROW(tx.vTocki(
                         [&] {
                             QSqlQuery(t.db).exec(QStringLiteral("ROLLBACK"));
                             return false;
                         },
                         [] { return QStringLiteral("Ni prostora na napravi"); }),
                     Napaka);
    }
    EXPECT_EQ(t.kljuci(), QString());
}

#include "zbirka.h"

#include "poizvedba.h"
#include "povezava.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

Zbirka::Zbirka()
{
    if (!baza.pripravljena())
        return;
    QSqlDatabase db = baza.odpri();
    QSqlQuery q(db);
    const QStringList stavki = {
        QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (1, 0, '1')"),
        QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (2, 0, '2')"),
        QStringLiteral("INSERT INTO SIFKONT (CTRL, OZNAKA) VALUES (1, '1100')"),
        QStringLiteral("INSERT INTO SIFKONT (CTRL, OZNAKA) VALUES (2, '2200')"),
        QStringLiteral("INSERT INTO OSB (SFOSB, KRTBNK) VALUES (100, '00123')"),
        QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, PARTNER, VALUTA, STRAN, BZNESEK, DZNESEK,"
                       " BZNESEKSIT, DZNESEKSIT, TEKST, PRENOS) VALUES"
                       " ('2024-03-05', '2024-03-06', 2, 1, 100, 'EUR', 'B', 1500, 0, 1500, 0, 'A', 7),"
                       " ('2024-03-10', '2024-03-11', 1, 2, 100, 'EUR', 'D', 0, 500, 0, 500, 'B', 7),"
                       " ('2024-03-31', '2024-04-02', 99, 1, 100, 'EUR', 'B', 1234567.5, 0, 1234567.5, 0, 'C', 7),"
                       " ('2024-04-01', '2024-04-01', 1, 1, 100, 'EUR', 'B', 10, 0, 10, 0, 'D', 7),"
                       " ('2024-03-15', '2024-03-15', 1, 2, 100, 'EUR', 'B', 20, 0, 20, 0, 'E', 2),"
                       " ('2024-03-20', '2024-03-20', 1, 2, 100, 'EUR', 'B', 30, 0, 30, 0, 'F', NULL)"),
        QStringLiteral("CREATE TABLE LEDGXFER (STPRENOSA INTEGER NOT NULL, DATUM1 DATE, DATUM2 DATE, DATUMPRENOSA DATE,"
                       " PRIMARY KEY(STPRENOSA))"),
        QStringLiteral("INSERT INTO LEDGXFER VALUES (1, '2024-01-01', '2024-01-31', '2024-02-01'),"
                       " (2, '2024-02-01', '2024-02-29', '2024-03-01'), (7, '2024-03-01', '2024-03-31', '2024-04-02'),"
                       " (8, '2024-05-01', '2024-05-31', '2024-06-01')"),
    };
    for (const QString& s : stavki)
        EXPECT_TRUE(q.exec(prevediZa(db, s))) << q.lastError().text().toStdString();
}

void Zbirka::izvedi(const QString& sql)
{
    QSqlQuery q(povezava::zaIme(QStringLiteral("LB")));
    EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
}

int Zbirka::stevilo(const QString& sql)
{
    QSqlQuery q(povezava::zaIme(QStringLiteral("LB")));
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}

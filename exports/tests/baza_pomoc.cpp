#include "baza_pomoc.h"

#include <QSqlQuery>

BazaOsb::BazaOsb()
{
    if (!baza.pripravljena())
        return;
    db = baza.odpri();
    // Account and reference fields longer than the demo book's, so that the export's
    // cut at 40 characters can be seen on every engine.
    QSqlQuery q(db);
    q.exec(QStringLiteral("DROP TABLE OSB"));
    q.exec(QStringLiteral("CREATE TABLE OSB (SFOSB INTEGER NOT NULL PRIMARY KEY, KRTBNK VARCHAR(10),"
                          " SFSOS VARCHAR(2), Ime VARCHAR(60), Nzv VARCHAR(80), Nsl VARCHAR(60), Pst VARCHAR(10),"
                          " Mst VARCHAR(40), Zrr VARCHAR(60), Sklic VARCHAR(60))"));
    baza.dodajAlias(baza, QStringLiteral("BAZA"));
}

void BazaOsb::osb(qint64 sfOsb, const QVariant& nzv, const QVariant& ime, const QVariant& nsl, const QVariant& pst,
                  const QVariant& mst, const QVariant& zrr, const QVariant& sklic)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO OSB (SFOSB, Nzv, Ime, Nsl, Pst, Mst, Zrr, Sklic)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v : {QVariant(sfOsb), nzv, ime, nsl, pst, mst, zrr, sklic})
        q.addBindValue(v);
    q.exec();
}

void BazaOsb::pog(qint64 idPog, const QVariant& sfOsb, const QVariant& krtBis, const QString& nzv)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv) VALUES (?, ?, ?, ?)"));
    q.addBindValue(idPog);
    q.addBindValue(sfOsb);
    q.addBindValue(krtBis);
    q.addBindValue(nzv);
    q.exec();
}

void BazaOsb::izvedi(const QString& sql) { QSqlQuery(db).exec(sql); }

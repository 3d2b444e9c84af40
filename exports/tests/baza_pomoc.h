#pragma once

#include "testnabaza.h"

#include <QSqlDatabase>
#include <QVariant>

// The ledger database of a test with the core tables, on the engine the test run names
// (SQLite by default, PostgreSQL for the "pg." tests). The aliases file leads both LB
// and BAZA (the alias chosen at start-up) to it.
struct BazaOsb {
    BazaOsb();

    bool pripravljena() const { return baza.pripravljena(); }
    QString razlog() const { return baza.razlog(); }
    QString mapa() const { return baza.mapa(); }
    QString pot(const QString& ime) const { return baza.mapa() + u'/' + ime; }

    void osb(qint64 sfOsb, const QVariant& nzv, const QVariant& ime, const QVariant& nsl, const QVariant& pst,
             const QVariant& mst, const QVariant& zrr, const QVariant& sklic);
    void pog(qint64 idPog, const QVariant& sfOsb, const QVariant& krtBis, const QString& nzv = {});
    void izvedi(const QString& sql);

    TestnaBaza baza{QStringLiteral("LB")};
    QSqlDatabase db;
};

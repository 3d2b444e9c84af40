#pragma once

#include "vir.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantMap>

class Rezultat;

// Row sources over the database layer. Both read dates kept as ISO text (as SQLite
// keeps a DATE column) as dates, so that a report prints them in the locale's format.

// The rows of a shared result (`Rezultat`) from its first to its last, by position:
// the result's current row is left where it was. A one-directional result, which
// cannot return to its first row, gives no rows.
class RezultatVir : public VirVrstic {
public:
    explicit RezultatVir(Rezultat& rezultat);

    bool prvi() override;
    bool naslednji() override;
    QVariant vrednost(const QString& polje) override;
    bool imaPolje(const QString& polje) const override;
    qint64 steviloVrstic() const override { return m_vrstic; }

private:
    int stolpec(const QString& polje) const;
    Rezultat& m_r;
    int m_vrstica = 0;
    int m_vrstic = 0;
    mutable QHash<QString, int> m_stolpci; // key: the name as asked for
};

// The rows of a statement read forward only, so that a long list is never held in
// memory. Every pass runs the statement again. A statement the database refuses
// gives no rows; zadnjaNapaka() then holds the database's text.
class StavekVir : public VirVrstic {
public:
    StavekVir(const QSqlDatabase& baza, const QString& sql, const QVariantMap& parametri = {});

    bool prvi() override;
    bool naslednji() override;
    QVariant vrednost(const QString& polje) override;
    bool imaPolje(const QString& polje) const override;
    QString zadnjaNapaka() const { return m_napaka; }

private:
    int stolpec(const QString& polje) const;
    QSqlDatabase m_baza;
    QString m_sql;
    QVariantMap m_parametri;
    QSqlQuery m_q;
    QString m_napaka;
    mutable QHash<QString, int> m_stolpci;
};

// A text in the form YYYY-MM-DD becomes a date; any other value stays as it is.
QVariant datumIzIso(const QVariant& v);

#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantMap>

// A statement on a connection, fitted to the connection's database (narecje.h).
// Failures are thrown as Napaka with the database's own text; callers that ignore a
// failure (creating an owned table that exists) use the poskusi... forms.
// Fields are found by name without regard to case; NULL reads as 0 or as "".
class Poizvedba {
public:
    explicit Poizvedba(const QSqlDatabase& db);
    // The connection for a database name (povezava::zaIme); throws when it cannot open.
    explicit Poizvedba(const QString& imeBaze);

    // Runs a statement without a result (CREATE, INSERT, UPDATE, DELETE).
    void izvedi(const QString& sql, const QVariantMap& parametri = {});
    bool poskusiIzvesti(const QString& sql, const QVariantMap& parametri = {}) noexcept;

    // Opens a statement with a result; positioned before the first row.
    void odpri(const QString& sql, const QVariantMap& parametri = {}, bool samoNaprej = true);
    bool poskusiOdpreti(const QString& sql, const QVariantMap& parametri = {}, bool samoNaprej = true) noexcept;

    bool naslednji() { return m_q.next(); }
    bool prvi() { return m_q.first(); }
    void zapri()
    {
        m_q.finish();
        m_q.clear();
    }

    QVariant polje(const QString& ime) const;
    QString niz(const QString& ime) const;
    qint64 celo(const QString& ime) const;
    double realno(const QString& ime) const;
    QDate datum(const QString& ime) const;
    bool jePolje(const QString& ime) const;

    QString zadnjaNapaka() const { return m_napaka; }
    QSqlQuery& q() { return m_q; }
    QSqlDatabase baza() const { return m_db; }

private:
    bool pripravi(const QString& sql, const QVariantMap& parametri);
    QSqlDatabase m_db;
    QSqlQuery m_q;
    QString m_napaka;
};

// Binds named parameters, matching the placeholders of the statement without regard to case.
void vezi(QSqlQuery& q, const QString& sql, const QVariantMap& parametri);

// Reading values the way the ledger engine does: NULL as 0 or "", text as written.
QString vrednostNiz(const QVariant& v);
qint64 vrednostCelo(const QVariant& v);
double vrednostRealno(const QVariant& v);
QDate vrednostDatum(const QVariant& v);

// The readings of a posting's amount and date in the transfer, where a value of the
// wrong kind must never pass for another: an amount is 0 for NULL, else a number only
// when all of its text is one, and NaN otherwise ("1,50", "abc"); a date is invalid for
// NULL and for a text that does not begin with "yyyy-mm-dd" (" 2018-02-06",
// "06.02.2018").
double vrednostZnesek(const QVariant& v);
QDate vrednostDatumKnjizbe(const QVariant& v);

// The statement as the connection's database will receive it.
QString prevediZa(const QSqlDatabase& db, const QString& sql);

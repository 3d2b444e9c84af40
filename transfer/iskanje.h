#pragma once

#include "poizvedba.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <QSqlDatabase>
#include <QString>

// The two look-ups that a detail line of the ledger file makes for every posting.
// The transfer run chooses how they are served (statements on one reused query
// object, prepared statements, a per-run cache); the line builder only asks.
class Iskanje {
public:
    virtual ~Iskanje() = default;

    // KNTORG of the organisation of contract `pogodba`, as the database gives it
    // (the line builder trims it); the empty text when there is no such row.
    // A failing statement throws Napaka with the database's text: it ends the run.
    virtual QString organizacija(qint64 pogodba) = 0;

    // SFSOS, the kind of party `partner`; the empty text when there is no such row
    // or the statement fails. Never throws.
    virtual QString vrstaPartnerja(qint64 partner) = 0;
};

// The look-ups as statements on a database connection, built as text with the number
// spliced in (only integers are spliced) and opened one after the other on one query
// object that lives as long as this object. No cache: every call runs its statement.
class IskanjeVBazi : public Iskanje {
public:
    explicit IskanjeVBazi(const QSqlDatabase& baza);

    QString organizacija(qint64 pogodba) override;
    QString vrstaPartnerja(qint64 partner) override;

private:
    // Each look-up's statement is prepared once and run with the number bound: a run
    // over many contracts and partners does not translate and prepare it every time.
    QSqlDatabase m_baza;
    QSqlQuery m_organizacija;
    QSqlQuery m_partner;
    bool m_organizacijaPripravljena = false;
    bool m_partnerPripravljen = false;
    bool m_partnerNeuspel = false; // the partner look-up cannot be prepared: every partner has no kind
};

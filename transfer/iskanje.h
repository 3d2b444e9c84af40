#pragma once

#include "poizvedba.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <utility>
#include <vector>

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

// The look-ups of one transfer run, each contract and partner asked of the database
// once. A run that has asked for more than `prag` contracts (or partners) one by one
// reads the rest of that table in one statement, in the run's transaction, and asks no
// more of it: a contract or partner not in it has no row. The answers are those of the
// statements one by one (where a key has more than one row, the first row read counts).
// The texts are kept once per distinct value: many contracts share an organisation.
class IskanjeSPomnilnikom : public Iskanje {
public:
    explicit IskanjeSPomnilnikom(const QSqlDatabase& baza, int prag = 1000);

    QString organizacija(qint64 pogodba) override;
    QString vrstaPartnerja(qint64 partner) override;

    // Whether the table of the kind has been read whole.
    bool organizacijeVse() const { return m_organizacije.vse; }
    bool partnerjiVsi() const { return m_partnerji.vse; }

private:
    // The answers of one kind: by key, an index into the distinct texts.
    struct Odgovori {
        QHash<qint64, qint32> posamic;              // asked one by one
        std::vector<std::pair<qint64, qint32>> vsi; // the whole table, by key
        QList<QString> besedila;
        QHash<QString, qint32> indeksi;
        bool vse = false;
        int vprasanih = 0;

        qint32 indeks(const QString& besedilo);
        const QString* najdi(qint64 kljuc) const;
        void urediVse(); // sorts the whole table by key, the first row of a key kept
    };
    // Reads the whole table with `sql` (key, text); false when the statement fails.
    bool preberiVse(Odgovori& o, const QString& sql, QString* napaka);

    QSqlDatabase m_baza;
    IskanjeVBazi m_posamic;
    int m_prag;
    Odgovori m_organizacije;
    Odgovori m_partnerji;
};

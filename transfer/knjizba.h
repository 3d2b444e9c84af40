#pragma once

#include "polja.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <array>
#include <functional>

class QSqlQuery;
class QSqlRecord;
class Rezultat;

// One row of the postings query of a transfer run, with the fields the ledger file
// uses, named as the query names them. Reading rules: a null text is the empty text,
// a null number 0, a null amount 0, and a null date day 0 of the date system
// (30 December 1899). Texts are kept as the database gives them; comparisons with
// codes ("T", "D", "E", ...) are exact.
struct Knjizba {
    QDate DATUMK = dan0(); // booking date
    QDate DATUMV = dan0(); // value date
    QString SFDJV;         // activity code of the posting's event
    qint64 IDPOG = 0;      // contract of the event
    qint64 KIDPOG = 0;     // contract of the posting
    qint64 IDMASTER = 0;   // the posting's event (0: none)
    qint64 SFOSB = 0;      // the posting's partner (0 when not an integer)
    QString KONTO;         // account designation
    QString SALDAKONTEN;   // the account's partner-code rule
    QString DEVIZEN;       // "D" marks a foreign-currency account
    QString VALUTA;        // the posting's currency code
    QString STVALUTE;      // the currency's numeric code
    QString STRAN;         // side letter
    double BZNESEK = 0;    // debit in the posting's currency
    double DZNESEK = 0;    // credit in the posting's currency
    double BZNESEKSIT = 0; // debit in domestic currency
    double DZNESEKSIT = 0; // credit in domestic currency
    QString KRTBNK;        // the partner's bank code
    QString KRTBNK1;       // the security issuer's bank code
    qint64 VP = 0;         // security
    qint64 CTRL = 0;       // the posting's control number (0 where the result has none)
};

// Reads Knjizba rows from the postings query. The columns are found once by name,
// without regard to case; then every row is read by column index.
//
//   StolpciKnjizbe stolpci(Q1);          // after opening the query
//   do { Knjizba k = stolpci.beri(Q1); ... } while (Q1.naslednji());
class StolpciKnjizbe {
public:
    // `indeksStolpca` gives a column's index for a name (-1 when there is none).
    // Throws Napaka naming the first column the result lacks.
    explicit StolpciKnjizbe(const std::function<int(const QString&)>& indeksStolpca);
    explicit StolpciKnjizbe(const QSqlRecord& zapis);
    explicit StolpciKnjizbe(const Rezultat& rezultat);

    // The row for which `vrednost` gives the value of a column index.
    Knjizba beri(const std::function<QVariant(int)>& vrednost) const;
    // The current row of a query or of the shared result.
    Knjizba beri(const QSqlQuery& q) const;
    Knjizba beri(Rezultat& rezultat) const;

private:
    enum Stolpec {
        sDATUMK,
        sDATUMV,
        sSFDJV,
        sIDPOG,
        sKIDPOG,
        sIDMASTER,
        sSFOSB,
        sKONTO,
        sSALDAKONTEN,
        sDEVIZEN,
        sVALUTA,
        sSTVALUTE,
        sSTRAN,
        sBZNESEK,
        sDZNESEK,
        sBZNESEKSIT,
        sDZNESEKSIT,
        sKRTBNK,
        sKRTBNK1,
        sVP,
        steviloStolpcev
    };
    std::array<int, steviloStolpcev> m_indeks{};
    int m_ctrl = -1; // the control number names the posting in messages; optional
};

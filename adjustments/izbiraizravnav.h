#pragma once

#include <QDate>
#include <QString>
#include <QVariantMap>

class Rezultat;

// The operator's selection of rounding adjustments (table IZRAVNAVE) and the
// statement it gives. The texts the operator types are bound as parameters, never
// spliced into the statement: the three prefixes match every value that begins with
// the typed text (the wildcards % and _ keep their meaning, a quote is an ordinary
// character), the transfer number and the security code must be integers.
struct IzbiraIzravnav {
    bool samoOznaceno = false; // "Samo označeno"; else "Vse", which ignores everything below
    bool poDnevih = true;      // the day range applies (cbDatum)
    QDate datum1;              // first day, inclusive
    QDate datum2;              // last day, inclusive
    QString prenos;            // transfer number
    QString partner;           // partner prefix
    QString konto;             // account prefix
    QString dejavnost;         // activity code prefix
    QString papir;             // security code (VP)
};

struct StavekIzravnav {
    QString sql;
    QVariantMap parametri;
};

// The statement of a selection. "Vse" lists every row; "Samo označeno" lists the
// rows that have a day and match every filter given. A filter counts as given when
// its text holds any character at all. Throws Napaka with a message for the
// operator when the transfer number or the security code is not an integer, or the
// day range starts after it ends.
StavekIzravnav stavekIzravnav(const IzbiraIzravnav& izbira);

// Opens the selection on the result under the result's database name. Nothing is
// changed when the selection is refused; a failure of the database is thrown as
// Napaka with its text.
void odpriIzravnave(Rezultat& Qizravnave, const IzbiraIzravnav& izbira);

#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

class Okolje;
class Rezultat;
class Transakcija;

// The transfer register: table LEDGXFER, one row per transfer run that allocated a
// new transfer number, with the range of booking dates it covered and the date on
// which it ran. Every statement runs under the database name given (the alias the
// operator chose at start-up).

// The statements as the register runs them.
extern const QString kNajvisjaStevilkaPrenosa; // "SELECT MAX(STPRENOSA) PRENOS FROM LEDGXFER "
QString stavekSeznamaPrenosov();               // all rows, highest number first
QString stavekBrisanjaPrenosa(qint64 stevilka);
QString stavekIskanjaPrenosa(qint64 stevilka);

// Registers a run inside its transaction: creates the table when it is missing (a
// failure, above all that it exists, is ignored), then refreshes DATUMPRENOSA of the
// row with this number or, when there is none, appends the row with both dates and
// DATUMPRENOSA. The date of registration is the outside world's current date. A
// failure is thrown as Napaka with the database's text: a run whose registration
// failed must not complete, or its number would be given out again.
void ShraniZgodovino(Transakcija& transakcija, const Okolje& okolje, qint64 stevilka, const QDate& datum1,
                     const QDate& datum2);

// Allocates the number of a new transfer inside the run's transaction: creates the
// register when it is missing, locks it against other writers until the transaction
// ends (SQLite's run holds the database's write lock already), and reads the highest
// number. Gives that highest number's value (null for an empty register) and the new
// number, one more. Two runs completing at once wait for each other here, so they
// never share a number. Throws Napaka when the register cannot be read or locked.
struct DodeljenaStevilka {
    QVariant najvisja;
    qint64 nova = 1;
};
DodeljenaStevilka dodeliStevilko(Transakcija& transakcija);

// The highest registered number: the value of PRENOS (null when the register is
// empty), or nothing when the statement fails (no table yet, refused).
std::optional<QVariant> najvisjiPrenos(const QString& baza);

// The number for a new transfer: the highest registered one plus 1; 1 when the
// register is empty or the statement fails.
qint64 novaStevilkaPrenosa(const QString& baza);

// Loads the register list into the shared result (closed first, database name set).
// Throws Napaka with the database's text when the statement fails.
void odpriSeznamPrenosov(Rezultat& rezultat, const QString& baza);

// Deletes the register row with this number and nothing else (the postings and the
// adjustments keep the number). Throws Napaka with the database's text on failure.
void brisiPrenos(const QString& baza, qint64 stevilka);

// One register row.
struct VrsticaRegistra {
    qint64 stevilka = 0;
    QDate datum1;
    QDate datum2;
    QDate datumPrenosa;
};

// The register rows whose range shares at least one day with `od`..`doo`, lowest
// number first. Throws Napaka with the database's text when the statement fails.
QList<VrsticaRegistra> prenosiVObdobju(const QString& baza, const QDate& od, const QDate& doo);

// The register row with this number, or nothing when there is none. Throws Napaka
// with the database's text when the statement fails (no table yet, refused).
std::optional<VrsticaRegistra> najdiPrenos(const QString& baza, qint64 stevilka);

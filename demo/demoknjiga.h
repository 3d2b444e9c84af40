#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

// The demo book: a believable core banking book made from a seed, for the batch
// command `demo`, the tests and the benchmarks. Its tables are the core tables of jedro.h.

// A working day in Slovenia: Monday to Friday, not a public holiday (New Year's two
// days, 8 February, Easter Monday, 27 April, 1 and 2 May, 25 June, 15 August,
// 31 October, 1 November, 25 and 26 December).
bool jeDelovniDan(const QDate& dan);

// The days of the demo book that ends on `danes`: its 75 calendar days, the range that
// transfer 1 carries (the first 29 days) and the working day on which it ran.
struct ObdobjeDemo {
    QDate prvi;          // danes - 74
    QDate zadnji;        // danes
    QDate prvi1;         // transfer 1: from the book's first day ...
    QDate zadnji1;       // ... to danes - 46
    QDate datumPrenosa1; // the first working day from danes - 45 on
};
ObdobjeDemo obdobjeDemo(const QDate& danes);

// Fills freshly created core tables with a book an accountant would accept:
// organisations, the currencies of VLT (every posted currency has its row, every
// domestic amount follows its currency's rate), parties of kind "F" and others with
// numeric and non-numeric bank codes, securities with issuers, contracts with and
// without an organisation, the event code list, accounts of every partner-code rule,
// domestic and foreign-currency ones, and `steviloKnjizb` postings on the working days
// of the 75 days that end on `danes`, grouped in balanced events (debits equal credits
// per event and so per day, in the currency and in domestic currency; amounts of up
// to three decimals, so that the file's rounding leaves adjustments). No posting is
// transferred yet: transfer 1 over ObdobjeDemo's range is made by the transfer engine
// (see ustvariDemoBazo). The same seed gives the same book. Throws Napaka on failure.
//
// The wide shape (`OblikaDemo::Siroka`, for benchmarks) has the same postings over the
// same days, but 20,000 parties and contracts, 2,000 accounts, texts of 60 characters,
// and every look-up of the postings query hitting (every posting has its event, its
// security with an issuer, its partner).
enum class OblikaDemo { Predstavitvena, Siroka };
void napolniDemo(QSqlDatabase& db, const QDate& danes, int steviloKnjizb = 5000,
                 OblikaDemo oblika = OblikaDemo::Predstavitvena);

// What runs on the filled demo database before it takes its final name, given the
// name of its open connection: the batch command runs transfer 1 there. Returns an
// empty text on success, else the reason (the database is then not kept).
using PoPolnjenjuDemo = std::function<QString(const QString& imePovezave)>;

// Makes the SQLite demo database `pot` (core tables, demo rows, then `poPolnjenju`)
// and an aliases file `aliasiPot` with the alias LB leading to it. Existing files are
// left alone. Returns an empty text on success, else the reason.
QString ustvariDemoBazo(const QString& pot, const QString& aliasiPot, const QDate& danes, int steviloKnjizb = 5000,
                        const PoPolnjenjuDemo& poPolnjenju = {}, OblikaDemo oblika = OblikaDemo::Predstavitvena);

#pragma once

#include "porocilo.h"
#include "vir.h"

#include <QLocale>
#include <QString>
#include <memory>

class Rezultat;

// The transfer journal: the printed form of a postings list. A header with the
// journal number, the booking and value dates and the initiator; one line per
// posting; a subtotal whenever the activity code (SFDJV) changes; the grand totals
// with the balance of debit and credit.

// The header fields as the journal prints them.
struct GlavaDnevnika {
    QString stevilkaTemeljnice;                           // QRstevilkaTemeljnice
    QString iniciator;                                    // QRiniciator, as typed (not trimmed)
    QString datumKnjizenja = QStringLiteral("1.1.2003");  // QRdatumknjizenja
    QString datumValutacije = QStringLiteral("1.1.2003"); // QRdatumvalutacije
};

// The journal described for the report engine: A4 portrait, 10 mm margins, Arial 10
// point, grouped on SFDJV. `jezik` gives the separators of the amounts.
Porocilo opisDnevnika(const GlavaDnevnika& glava, const QLocale& jezik = QLocale());

// Reads DATUMK and then DATUMV of the result's current row, as text in the locale's
// short date format, into the header's booking and value dates. When a read fails
// (nothing loaded, a list without the column) the step ends there and the dates not
// yet read keep their texts. Returns whether both were read.
bool preberiDatumeGlave(Rezultat& Q1, GlavaDnevnika& glava, const QLocale& jezik = QLocale());

// The same for the current row of any row source (the batch command's statement).
bool preberiDatumeGlave(VirVrstic& vir, GlavaDnevnika& glava, const QLocale& jezik = QLocale());

// Whether a row source has every column the journal prints.
bool imaStolpceDnevnika(const VirVrstic& vir);

// The rows the journal runs over: those of the shared result when it is a postings
// list; no rows at all for a list without the journal's columns (the register list)
// or when nothing is loaded, so that only the header and zero totals are printed.
std::unique_ptr<VirVrstic> virDnevnika(Rezultat& Q1);

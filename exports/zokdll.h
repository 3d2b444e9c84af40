#pragma once

#include "izidizvoza.h"
#include "okolje.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <optional>

// The revaluation summary: the local table "ZOKDLL.DB" in the application directory,
// summed per general-ledger account, written as one 54-character line per account.

// One account of the summary, with the sums of its three revaluation amounts
// (empty amounts count as 0).
struct ZokRacun {
    QString konto;
    double obrrev30 = 0;
    double obrrev180 = 0;
    double obrrev999 = 0;
};

// Reads the table file and sums OBRREV30, OBRREV180 and OBRREV999 per distinct
// KONTOGLV, in ascending order of the account (an empty account first). Throws Napaka
// naming the file when it is no readable table or lacks columns (naming every one
// that is missing).
QList<ZokRacun> povzetekZokdll(const QString& potTabele);

// Amount field of the line: "%15.2f" of the sum plus 0.001 (so that a sum held just
// below a half cent rounds up) with the decimal separator of `jezik`, right-aligned in
// 15 characters and cut to the first 15 when it is longer.
QByteArray zokZnesek(double vsota, const QLocale& jezik = QLocale());

// The line without its line end: "ORV  ", the date as YYYYMMDD, the account in 10
// characters, the sums of OBRREV30 and OBRREV180, one space.
QByteArray zokVrstica(const QDate& datum, const ZokRacun& racun, const QLocale& jezik = QLocale());

// The table file "ZOKDLL.DB" in `direktorij` (ending in a separator), its name compared
// without regard to case (a table copied from Windows may be "ZokDll.db"); the exact
// name first. Nothing when there is none.
std::optional<QString> najdiZokdll(const QString& direktorij);

// The summary run of the menu item "&Prepis": reads "ZOKDLL.DB" from the application
// directory and writes the lines into `izhodnaPot` (Windows-1250, CR LF), then reports
// the count and opens the file in the text editor when it has lines. The file is
// replaced only once every line is written: a run that fails, a damaged table, the
// stop request, a path the output guard refuses (zavrnitevIzhoda: no regular file, the
// table itself, a file of a database or of the program) leave it as it was; the
// reason goes to the log and into `izid` when it is given.
// Returns the number of lines of a completed run; nothing after a run that stopped
// with a message or on the stop request. A failure to write throws Napaka with the
// file system's text.
std::optional<int> prepisZokdll(Okolje& okolje, const QString& izhodnaPot, IzidIzvoza* izid = nullptr);

#pragma once

#include "register.h"
#include "varovanjeizhoda.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <optional>

class Okolje;
class OknoPrenosa;
class Rezultat;


// What one transfer run works on, taken once when it starts: the output file, the
// number field's text (empty or 0: a new transfer; the number of a registered
// transfer: that transfer written again over its registered range), the date range
// and the database name. `prekrivanjeDovoljeno`: a new transfer may cover registered
// transfers without being asked (the operator has answered the question already, or
// the batch command was given --allow-overlap).
struct NalogaPrenosa {
    QString pot;
    QString stevilkaPrenosa;
    QDate datum1;
    QDate datum2;
    QString baza;
    bool prekrivanjeDovoljeno = false;
};

// How a run ended, for the caller that reports it (the batch maps it to its exit
// code): completed; completed, but the database refused some adjustment rows (said in
// a second message); nothing to transfer in the range; stopped by the stop request;
// failed (said in a message; the database and the files are as before the run);
// refused before it started (a number field, a range or an output path it cannot
// take, or a question about registered transfers answered no); unknown (the connection
// was lost during the commit and could not be made again: the message names the
// transfer to check, and its file waits beside the output for the next run).
enum class IzidPrenosa { Opravljen, OpravljenZOpozorili, NiPodatkov, Ustavljen, Neuspel, Zavrnjen, Neznan };

// The number field read by the one rule of every run: empty or 0 is a new transfer
// (number 0); a positive integer is a repeat of that transfer, which must be in the
// register. Anything else ("2x", a negative number, a number not in the register) is
// refused: `zavrnitev` then holds the message to show, and nothing may start.
struct StevilkaPrenosa {
    qint64 stevilka = 0;
    QString zavrnitev;
    std::optional<VrsticaRegistra> vrstica; // the register row of a repeat
};
StevilkaPrenosa preberiStevilkoPrenosa(const QString& besedilo, const QString& baza);

// The backup of the output file: the file name up to its first "." followed by
// ".OLD" (the whole name followed by ".OLD" when it has none), in the output file's
// own folder even when a folder name holds a ".".
QString imeVarnostneKopije(const QString& pot);

// The postings query of a transfer run and the statement that counts its rows.
QString stavekKnjizb();
QString stavekStetjaKnjizb();

// The run: writes the general-ledger file of the range's postings to `naloga.pot`,
// stores one adjustment row per line, completes the transfer and leaves the closing
// list in the shared result. All or nothing: everything it changes in the database is
// one transaction, committed only once the file is complete, and the file takes the
// output's place (the previous one becoming the backup) only after that commit. A run
// that fails, is stopped or is killed leaves the database, the output file and its
// backup as they were. Reports through the window and message boxes and returns how
// the run ended. A failure that no message of its own covers (the postings query, the
// organisation look-up, an amount that does not fit the file, the database going away,
// a lock held too long) is thrown as Napaka for the general error report.
IzidPrenosa Zapis(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje);

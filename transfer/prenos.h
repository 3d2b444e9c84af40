#pragma once

#include <QDate>
#include <QString>

class Okolje;
class OknoPrenosa;
class Rezultat;

// What one transfer run works on, taken once when it starts: the output file, the
// number field's text (0, empty or not an integer: a new transfer; any other integer:
// that transfer written again), the date range and the database name.
struct NalogaPrenosa {
    QString pot;
    QString stevilkaPrenosa;
    QDate datum1;
    QDate datum2;
    QString baza;
};

// How a run ended, for the caller that reports it (the batch maps it to its exit
// code): completed; completed, but the database refused some adjustment rows (said in
// a second message); nothing to transfer in the range; stopped by the stop request;
// failed (said in a message; the database and the files are as before the run).
enum class IzidPrenosa { Opravljen, OpravljenZOpozorili, NiPodatkov, Ustavljen, Neuspel };

// The number field read as the run reads it: an integer, 0 when the text is none.
qint64 stevilkaIzPolja(const QString& besedilo);

// The backup of the output file: the file name up to its first "." followed by
// ".OLD" (the whole name followed by ".OLD" when it has none), in the output file's
// own folder even when a folder name holds a ".".
QString imeVarnostneKopije(const QString& pot);

// The postings query of a transfer run and the statement that counts its rows.
QString stavekKnjizb();
QString stavekStetjaKnjizb();

// The run: writes the general-ledger file of the range's postings to `naloga.pot`
// (previous file kept as the backup, detail lines gathered in the ".tmp" work file,
// one adjustment row per line), completes the transfer and leaves the closing list in
// the shared result. Reports through the window and message boxes and returns how the
// run ended. A failure that no message of its own covers (the postings
// query, the organisation look-up, the database going away) is thrown as Napaka for
// the general error report, with both files closed.
IzidPrenosa Zapis(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje);

#pragma once

#include "izidizvoza.h"
#include "okolje.h"

#include <QByteArray>
#include <QSqlQueryModel>
#include <QString>
#include <functional>
#include <optional>

// The party register export: one 179-character line per contract of POG that has a
// short code and whose party is in OSB, into an 8-bit text file (by default "OSB.TXT").
// The line: KrtBis in 8, the name in 30, Nsl in 30, "Pst Mst" (only Mst when Pst is
// empty) in 30, "1", Zrr in 40 and Sklic in 40 characters, each left-aligned, filled
// with spaces and cut, in Windows-1250; then CR LF.

// The party name: the first text with every run of spaces reduced to its first space,
// two spaces, and the second text reduced the same way.
QString ImeInNaziv(const QString& prvi, const QString& drugi);

// Which POG rows to export: all, or the IdPog range of the selection dialog as the
// operator typed it.
struct ObsegPog {
    bool izbrani = false; // "Prenesi izbrane podatke"
    QString prva;         // first IdPog; blank means 0
    QString zadnja;       // last IdPog; blank means no upper bound
};

// The POG statement for `obseg`; it reads only KrtBis and SfOsb, the columns the
// export uses. A blank first text becomes "0" in `obseg`. The range texts must be
// whole numbers; they enter the statement as numbers. Nothing when a text is no
// whole number.
std::optional<QString> stavekPog(ObsegPog& obseg);

// Opens the contract list of the selection dialog (IdPog, SfOsb, KrtBis and Nzv of POG,
// under the database name "LB") into `model`. Throws Napaka with the database's text
// when it cannot; the model is then empty.
void odpriSeznamPogodb(QSqlQueryModel& model);

struct PrenosOsb {
    QString baza;       // database name of the two statements (the alias chosen at start-up)
    QString izhodnaPot; // the chosen output file
    ObsegPog obseg;
    // Told the new text of the first range field when a blank one became "0".
    std::function<void(const QString&)> prvaNastavljena;
    // Switches off the data link of the main window's review list.
    std::function<void()> izklopiPregled;
    // Filled by an export that stopped: its reason, or the stop request.
    IzidIzvoza izid;
};

// The export into `prenos.izhodnaPot`, with the progress display and the messages of
// the window. Returns the number of lines written by a completed export; nothing after
// an export that stopped with a message or on the stop request (`prenos.izid` says
// which and why). A failure to write throws Napaka. The file is replaced only by a
// complete export: a path the output guard refuses (zavrnitevIzhoda: no regular file,
// a file of the database or of the program), a table that cannot be read, a refused
// range or the stop request leave it as it was; the reason goes to the log. Control
// characters in the texts become blanks; characters Windows-1250 lacks are written as
// '?' and counted in one log line.
std::optional<int> prenesiOsb(Okolje& okolje, PrenosOsb& prenos);

// The command after the range dialog: offers "OSB.TXT" in `SaveDialog1` (started in
// `mesecniDirektorij` when it has no folder yet), exports into the chosen file and
// gives the dialog its earlier file name back after a completed export. Nothing when
// the operator cancels the dialog or the export stops with a message.
std::optional<int> prenosOsb(Okolje& okolje, DialogShrani& SaveDialog1, const QString& mesecniDirektorij,
                             PrenosOsb& prenos);

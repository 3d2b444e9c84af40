#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// A transfer file waiting beside its output. A run names its complete, flushed file
// "<output>.prenos<N>" (N: the transfer's number) just before its commit, and removes
// that name once the file is in the output's place or the commit did not happen. A
// kill or a lost connection between the commit and putting the file in place leaves
// it: the next run into that output finds it and finishes the work, and the review
// panel says where such a file waits.

QString imeCakajoceDatoteke(const QString& izhod, qint64 stevilka);

struct CakajocaDatoteka {
    QString pot;
    qint64 stevilka = 0;
};

// The files waiting beside `izhod`, lowest number first.
QList<CakajocaDatoteka> cakajoceDatoteke(const QString& izhod);
// The files waiting in a folder for any output, lowest number first.
QList<CakajocaDatoteka> cakajoceVMapi(const QString& mapa);

// Whether the run that left the file committed: the file is whole (its closing line
// agrees with its lines), transfer N is registered, and N's adjustment rows are the
// file's detail lines (as many, with the same total of rounded domestic amounts). Rows
// of a repeat that equal the file's lines make the file right for the book whichever
// run wrote them. Throws Napaka when the database cannot be asked.
bool cakajocaPotrjena(const QSqlDatabase& db, const CakajocaDatoteka& c);

// Puts a committed transfer's waiting file in its output's place, the previous output
// becoming the backup (imeVarnostneKopije). Nothing, or the system's reason.
std::optional<QString> namestiCakajoco(const CakajocaDatoteka& c, const QString& izhod);

// What a run into `izhod` does first with the files that runs left waiting there: a
// committed transfer's file is put in place, a file whose run did not commit is
// removed (with a log line). Returns the messages for the operator. Throws Napaka with a
// message that names the transfer and the repeat that rewrites its file when a
// committed transfer's file cannot be put in place: the run must not go on over it.
QStringList dokoncajCakajoce(const QSqlDatabase& db, const QString& izhod);

// What the review panel says of the files waiting in a folder (the monthly output
// folder): one message per committed transfer whose file is not in its place, naming
// the transfer, where its file waits and what puts it in place. A file whose run did
// not commit is left to the next run, which removes it.
QStringList opozoriloCakajocih(const QSqlDatabase& db, const QString& mapa);

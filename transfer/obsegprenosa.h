#pragma once

#include <QDate>
#include <QList>
#include <QString>

class Okolje;
struct NalogaPrenosa;
struct VrsticaRegistra;

// What a run will do with its number and its range, decided before anything is
// written, the same way for the window and the batch command:
// - a range whose start is after its end is refused;
// - a repeat covers the range registered for its transfer: a number field that names
//   a registered transfer while the dates show another range is refused, with the
//   transfer and its registered range in the message (a slip in the number field
//   must never write another transfer's postings under its number);
// - a new transfer whose range shares days with registered transfers, or holds
//   postings that already carry a number, asks first: its file would carry those
//   postings a second time. The default answer is no.
struct ObsegPrenosa {
    enum class Izid {
        Dovoljen, // the run may start
        Zavrnjen, // refused; the message has been shown
        Preklican // the operator answered no to the question
    };
    Izid izid = Izid::Zavrnjen;
    qint64 stevilka = 0;              // the transfer written again; 0 for a new one
    bool prekrivanjePotrjeno = false; // the question was asked and answered yes
};
ObsegPrenosa preveriObseg(const NalogaPrenosa& naloga, Okolje& okolje);

// The message of a repeat whose range is not its transfer's.
QString zavrnitevTujegaObsega(const VrsticaRegistra& prenos, const QDate& od, const QDate& doo);

// The question of a new transfer over registered transfers; `oznacenih` postings of
// the range carry a number already.
QString vprasanjePrekrivanja(const QList<VrsticaRegistra>& prenosi, qint64 oznacenih, const QDate& od,
                             const QDate& doo);

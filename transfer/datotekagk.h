#pragma once

#include "iskanje.h"
#include "knjizba.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// The lines of the general-ledger transfer file: one opening line, one detail line for
// every posting that carries an amount, one closing line with the count of detail lines
// and the control totals.
//
// Every line is returned as the bytes of the file's 8-bit code page (Windows-1250, one
// byte per character) WITHOUT the line end: the writer of the file adds CR LF after
// every line, the last one included.

// What one posting gives the file and the rounding-adjustment store.
struct PodrobnaVrstica {
    // Whether the line is written: at least one of the four amounts differs from 0.
    // A posting without a line is not counted, yet it has been looked up and totalled.
    bool zapisi = false;
    // The detail line: 152 bytes; a field that outgrows its width (the sequence number
    // from the 10,000th line on, a partner code of more than 8 digits, an amount of 10^13
    // or more) makes it longer. Empty when the line is not written.
    QByteArray vrstica;

    // For the adjustment store:
    qint64 sifraPartnerja = 195; // the partner code
    QString sifraPartnerja8;     // the partner code as written in the line, "%8.8d"
    QString KONTO;               // the posting's KONTO, as read
    QString SFDJV;               // the posting's SFDJV, as read
    QString sifraOrganizacije;   // the organisation code of the line (before cutting)
};

// The four running totals of a file; all start at 0.
struct VsoteGk {
    double zaokrozenaBremeSit = 0; // BZNESEKSIT, each rounded to cents (PristejZaokrozeno)
    double zaokrozenoDobroSit = 0; // DZNESEKSIT, each rounded to cents (PristejZaokrozeno)
    double breme = 0;              // BZNESEK, unrounded (PristejNezaokrozeno)
    double dobro = 0;              // DZNESEK, unrounded (PristejNezaokrozeno)
};

// Adds one posting to the totals; a posting of zero amounts adds nothing.
void pristejKVsotam(VsoteGk& vsote, const Knjizba& k);

// Throws Napaka naming the posting's CTRL when one of its four amounts is not finite
// or has more cents than the 15-digit amount field holds.
void preveriZneske(const Knjizba& k);

// Derives the values of the detail line of posting `k`, when `zapisanih` detail lines
// have been written before it, and builds the line when it is to be written. Makes both
// look-ups for every posting; a failing organisation look-up throws Napaka.
PodrobnaVrstica zgradiPodrobnoVrstico(const Knjizba& k, qint64 zapisanih, Iskanje& iskanje);

// The opening line (33 bytes) for the file date.
QByteArray UvodnaVrstica(const QDate& datumDatoteke);

// The closing line (71 bytes; longer when a total is negative or a field outgrows its
// width) for the file date, the number of detail lines and the totals.
QByteArray ZakljucnaVrstica(const QDate& datumDatoteke, qint64 steviloVrstic, const VsoteGk& vsote);

// The per-run state of one file: the count of detail lines and the four totals.
//
//   DatotekaGk gk(iskanje);
//   for each posting k:
//       PodrobnaVrstica p = gk.dodaj(k);         // may throw Napaka
//       if (p.zapisi) { write p.vrstica + "\r\n"; store the adjustment row; }
//   write gk.uvodnaVrstica(today), the detail lines, gk.zakljucnaVrstica(today)
class DatotekaGk {
public:
    explicit DatotekaGk(Iskanje& iskanje) : m_iskanje(iskanje) {}

    // Builds the detail line of the posting, adds the posting to the totals and counts
    // the line when it is written. A failing organisation look-up, an amount that is not
    // finite or does not fit its 15-digit field, and a total that outgrows its field
    // throw Napaka naming the posting's CTRL.
    PodrobnaVrstica dodaj(const Knjizba& k);

    qint64 steviloVrstic() const { return m_zapisanih; }
    const VsoteGk& vsote() const { return m_vsote; }

    QByteArray uvodnaVrstica(const QDate& datumDatoteke) const { return UvodnaVrstica(datumDatoteke); }
    QByteArray zakljucnaVrstica(const QDate& datumDatoteke) const
    {
        return ZakljucnaVrstica(datumDatoteke, m_zapisanih, m_vsote);
    }

private:
    Iskanje& m_iskanje;
    qint64 m_zapisanih = 0;
    VsoteGk m_vsote;
};

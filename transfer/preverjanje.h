#pragma once

#include "datotekagk.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;

// The check of a general-ledger transfer file before the ledger imports it: the
// layout of every line, the closing line's count and totals against the detail
// lines, and, when asked, the detail lines against what a repeat of the transfer
// would write now. Nothing here writes or changes anything.

// One finding: where, which field, what was expected, what was found.
struct Ugotovitev {
    qint64 vrstica = 0; // line number from 1; 0 for the file as a whole
    QString polje;
    QString pricakovano;
    QString najdeno;
};

// The findings of one check. Only the first kNajvecUgotovitev are kept; `vseh`
// counts them all.
struct IzidPreverjanja {
    static constexpr int kNajvecUgotovitev = 1000;
    QList<Ugotovitev> ugotovitve;
    qint64 vseh = 0;
    qint64 podrobnihVrstic = 0; // detail lines of the file
    double breme = 0;           // their domestic debit amounts, each rounded to cents, added up
    double dobro = 0;           // their domestic credit amounts, likewise
    bool ustavljeno = false;    // stopped on request before the end: nothing is known
    bool pravilna() const { return vseh == 0 && !ustavljeno; }
    void dodaj(Ugotovitev u);
};

// The detail lines that a repeat of a registered transfer would write now: the
// postings query of the transfer's registered date range, read forward once, each
// row through the file's line builder with the look-ups on the database. Reads only.
//
//   PonovitevPrenosa p(baza, 7);            // throws Napaka: not registered, refused
//   while (auto v = p.naslednja()) ...      // the lines, in the file's order
//   p.datoteka().steviloVrstic(), p.datoteka().vsote()
class PonovitevPrenosa {
public:
    PonovitevPrenosa(const QString& baza, qint64 stevilka);
    ~PonovitevPrenosa();
    PonovitevPrenosa(const PonovitevPrenosa&) = delete;
    PonovitevPrenosa& operator=(const PonovitevPrenosa&) = delete;

    // The next detail line (without its line end); nothing after the last one. Throws
    // Napaka when a statement fails.
    std::optional<QByteArray> naslednja();
    // The count and totals of the lines given so far.
    const DatotekaGk& datoteka() const;

    QDate datum1() const { return m_datum1; }
    QDate datum2() const { return m_datum2; }

private:
    struct Stanje;
    std::unique_ptr<Stanje> m_s;
    QDate m_datum1;
    QDate m_datum2;
};

// Checks the file read from `datoteka`: every line ends in CR LF and holds only
// characters of Windows-1250; the first is the opening line (33 bytes), the last the
// closing line (71 bytes, one more for each negative total), the others detail lines
// of 152 bytes (153 from the 10,000th on), every field in its format; the file date
// is the same in both; the closing line's count and rounded totals equal those
// recomputed from the detail lines, and its signs agree with the detail lines' where
// those decide them. With `ponovitev`, every detail line must be byte for byte the
// line the repeat gives at that place, and the closing line's count, totals and signs
// those of the repeat. `ustavi`, asked before every line, stops the check early: the
// result is then `ustavljeno` and not `pravilna`.
IzidPreverjanja preveriDatotekoGk(QIODevice& datoteka, PonovitevPrenosa* ponovitev = nullptr,
                                  const std::function<bool()>& ustavi = {});

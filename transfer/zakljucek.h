#pragma once

#include <QDate>
#include <QString>

class Okolje;
class Rezultat;
class OknoPrenosa;

// Completes a transfer once its ledger file is complete. A new transfer (number 0)
// gets the next number from the register; the postings of the date range that carry
// no number yet and the waiting adjustment rows receive it, and the run is
// registered. A repeat (any other number) changes nothing. In both modes the shared
// result then receives the closing list: the range's postings still unmarked after a
// new transfer, those carrying the repeated number after a repeat.
// Failures are reported in message boxes; the run goes on. Returns the number to show
// in the number field: the new number, or 0 after a repeat.
qint64 ZakljuciPrenos(const QString& baza, qint64 stevilkaNaZacetku, const QDate& datum1,
                      const QDate& datum2, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje);

// The statements of the completion, as they run.
QString stavekOznaciKnjizbe(qint64 novaStevilka);
QString stavekZakljucnegaSeznama(qint64 stevilkaNaZacetku);

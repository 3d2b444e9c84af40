#pragma once

#include <QDate>
#include <QString>

class Okolje;
class Rezultat;
class OknoPrenosa;
class Transakcija;
struct DodeljenaStevilka;

// Completes a new transfer inside the run's transaction, once its ledger file is
// complete, with the number `dodeljena` that the run took from the register at its
// start (the register stays locked until the transaction ends, so that two runs never
// share a number): marks the postings of the date range that carry no number yet,
// gives the adjustment rows still without one the number (the run's own rows carry it
// already) and registers the run. The number field shows the highest number so far
// meanwhile. A marking or numbering that the database refuses throws Napaka with the
// message "Napaka pri azuriranju stevilke prenosa..." and the statement, followed by
// the database's reason; a refused registration throws the database's text. Nothing
// of it is kept then: the caller rolls the transaction back. Returns the new number.
qint64 ZakljuciNovPrenos(Transakcija& transakcija, const DodeljenaStevilka& dodeljena, const QDate& datum1,
                         const QDate& datum2, OknoPrenosa& okno, Okolje& okolje);

// The closing list, after the transaction: into the shared result, with the grid
// attached again, the range's postings still unmarked after a new transfer (number
// 0), those carrying the repeated number after a repeat. A failure leaves whatever the
// result holds (and a line in the log).
void ZakljucniSeznam(const QString& baza, qint64 stevilkaNaZacetku, const QDate& datum1, const QDate& datum2,
                     Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje);

// The statements of the completion, as they run.
QString stavekOznaciKnjizbe(qint64 novaStevilka);
QString stavekZakljucnegaSeznama(qint64 stevilkaNaZacetku);

#pragma once

#include "stevila.h"

#include <QDate>
#include <QString>
#include <optional>

class Okolje;
class Rezultat;

// The review panel of the main window: the register list, the postings of one
// transfer, the postings of the date range under the highest number, and the
// deletion of a register row. No command reports a database failure: a failed load
// leaves the grid empty, a failed deletion only hides the question.

// The controls of the main window that the panel's commands read and write.
class KontrolePregleda {
public:
    virtual ~KontrolePregleda() = default;
    virtual QString stevilkaPrenosa() const = 0; // eStevilkaPrenosa
    virtual void nastaviStevilkoPrenosa(const QString& besedilo) = 0;
    virtual QDate datum1() const = 0; // Datum1
    virtual QDate datum2() const = 0; // Datum2
    virtual void nastaviDatum1(const QDate& d) = 0;
    virtual void nastaviDatum2(const QDate& d) = 0;
    virtual void nastaviSteviloZapisov(const QString& besedilo) = 0; // lblSteviloZapisov
    // The deletion question: pnlVprasanje shown with the text in lblVprasanje and
    // the focus on "&Ne"; or hidden.
    virtual void prikaziVprasanje(const QString& besedilo) = 0;
    virtual void skrijVprasanje() = 0;
    // The main window's list-finishing pass over the shared result.
    virtual void Sume() = 0;
};

// The postings of transfer `stevilka` booked within :DATUM1..:DATUM2, sorted by
// account code, activity code, booking date, side, currency and last CTRL, as the
// transfer reads them: rows that tie on the first five keys come out in the same
// order on every engine, so the journal prints the same on every engine.
QString stavekKnjizbPrenosa(qint64 stevilka);
// Every posting booked within :DATUM1..:DATUM2, whatever its transfer number, in
// the same order.
QString stavekKnjizbObmocja();

// Display settings of a postings list: DATUMK 10 characters wide, KONTO 8 and titled
// "konto", the four amounts 13 wide with the format "####0.00".
void nastaviPrikazKnjizb(Rezultat& Q1);

class Pregled {
public:
    // `baza`: the database name of the statements (the alias chosen at start-up);
    // read at every command, so it may change after construction.
    Pregled(Rezultat& Q1, KontrolePregleda& kontrole, Okolje& okolje, const QString& baza);

    void btnZgodovinaClick(); // "&Vsi prenosi"
    void DBGrid1DblClick();   // open the transfer of the current register row
    void btnZadnjiClick();    // "&Zadnji prenos"
    void SeznamPrenosa(qint64 stevilka);
    void btnBrisiPrenosClick(); // "B&riši prenos": the question
    void btnOdgovorDaClick();
    void btnOdgovorNeClick();

private:
    // Loads a postings list into Q1 with its display settings and row count; a
    // failure leaves Q1 closed and the count label as it was.
    void naloziKnjizbe(const std::optional<QString>& stavek);

    Rezultat& m_Q1;
    KontrolePregleda& m_k;
    Okolje& m_okolje;
    const QString& m_baza;
};

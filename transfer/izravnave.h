#pragma once

#include "mnozicnivnos.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

class QSqlError;
class Transakcija;

// The rounding-adjustment store, table IZRAVNAVE: one row for every detail line a
// transfer run writes, with the line's keys, an amount, its rounded value and their
// difference. Created on demand; its failures are silent except the numbering's.

// The create statement; executed before inserts, its failure (the table exists) ignored.
QString stavekUstvariIzravnave();

// Inserts one row: creates the table if needed, then inserts. Never reports a failure
// (the row is then missing). RAZLIKA is the rounded amount minus the amount, formed in
// extended precision.
void ZaokroziInShrani(const QSqlDatabase& baza, qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
                      const QString& sfdjv, const QString& partner, double znesek, double zaokrozen);

// Deletes the rows of a transfer; nothing for 0. Never reports a failure.
void BrisiVIzravnavi(const QSqlDatabase& baza, qint64 prenos);

// Gives every row without a number (NULL or below 1) the new number. Returns an empty
// text on success, else the full text of the statement that failed.
QString OstevilciIzravnave(const QSqlDatabase& baza, qint64 novaStevilka);
QString stavekOstevilci(qint64 novaStevilka);

// The difference RAZLIKA as the store forms it: rounded minus amount in extended
// precision, stored as a double.
double razlikaIzravnave(double znesek, double zaokrozen);

// The store as a transfer run uses it, inside the run's transaction: the table is
// created once before the first row (inside a savepoint, so that an existing table
// spoils nothing) and the rows go in bulk as MnozicniVnos sends them. Exactly the rows
// refused for their values (an account too long for CHAR(15)) are missing: they are
// counted, with their accounts, for the run to report. Any other failure (the database gone, no space, read only) is thrown as
// Napaka with the database's text and ends the run.
class ShrambaIzravnav {
public:
    explicit ShrambaIzravnav(Transakcija& transakcija);
    ShrambaIzravnav(const ShrambaIzravnav&) = delete;
    ShrambaIzravnav& operator=(const ShrambaIzravnav&) = delete;

    // ZaokroziInShrani for one line.
    void shrani(qint64 prenos, qint64 vp, const QDate& dan, const QString& konto, const QString& sfdjv,
                const QString& partner, double znesek, double zaokrozen);
    // BrisiVIzravnavi within the run: pending rows are stored first.
    void brisi(qint64 prenos);
    // Sends what is pending.
    void koncaj();

    // The rows the database refused for their values, and their accounts (each once,
    // in the order met).
    qint64 zavrnjenih() const { return m_zavrnjenih; }
    const QStringList& zavrnjeniKonti() const { return m_zavrnjeniKonti; }

private:
    void pripravi();
    void zavrnjena(const QVariantList& vrstica, const QSqlError& napaka);

    Transakcija& m_tx;
    MnozicniVnos m_vnos;
    bool m_pripravljeno = false;
    qint64 m_zavrnjenih = 0;
    QStringList m_zavrnjeniKonti;
};

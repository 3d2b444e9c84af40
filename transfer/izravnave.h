#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// The rounding-adjustment store, table IZRAVNAVE: one row for every detail line a
// transfer run writes, with the line's keys, an amount, its rounded value and their
// difference. Created on demand; its failures are silent except the numbering's.

// The create statement; executed before inserts, its failure (the table exists) ignored.
QString stavekUstvariIzravnave();

// Inserts one row: creates the table if needed, then inserts. Never reports a failure
// (the row is then missing). RAZLIKA is the rounded amount minus the amount, formed in
// extended precision.
void ZaokroziInShrani(const QSqlDatabase& baza, qint64 prenos, qint64 vp, const QDate& dan,
                      const QString& konto, const QString& sfdjv, const QString& partner,
                      double znesek, double zaokrozen);

// Deletes the rows of a transfer; nothing for 0. Never reports a failure.
void BrisiVIzravnavi(const QSqlDatabase& baza, qint64 prenos);

// Gives every row without a number (NULL or below 1) the new number. Returns an empty
// text on success, else the full text of the statement that failed.
QString OstevilciIzravnave(const QSqlDatabase& baza, qint64 novaStevilka);
QString stavekOstevilci(qint64 novaStevilka);

// The difference RAZLIKA as the store forms it: rounded minus amount in extended
// precision, stored as a double.
double razlikaIzravnave(double znesek, double zaokrozen);

// The store as a transfer run uses it: the table is created once before the first row,
// one prepared insert serves every row, and rows are grouped into transactions of
// `vSkupini` rows where the engine lets a failed insert pass without losing the others
// (SQLite). Every row inserted before a stop or a failure stays: the open group is
// committed by koncaj() and by the destructor.
class ShrambaIzravnav {
public:
    explicit ShrambaIzravnav(const QSqlDatabase& baza, int vSkupini = 5000);
    ~ShrambaIzravnav();
    ShrambaIzravnav(const ShrambaIzravnav&) = delete;
    ShrambaIzravnav& operator=(const ShrambaIzravnav&) = delete;

    // ZaokroziInShrani for one line; never reports a failure.
    void shrani(qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
                const QString& sfdjv, const QString& partner, double znesek, double zaokrozen);
    // BrisiVIzravnavi within the run's grouping.
    void brisi(qint64 prenos);
    // Commits what is open.
    void koncaj();

private:
    void zacniSkupino();
    QSqlDatabase m_baza;
    QSqlQuery m_vstavi;
    bool m_pripravljeno = false;
    bool m_skupine = false;
    bool m_vSkupini = false;
    int m_velikostSkupine;
    int m_vrsticVSkupini = 0;
};

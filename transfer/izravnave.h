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

// The store as a transfer run uses it: the table is created once before the first row
// and one prepared insert serves every row. On SQLite rows are grouped into
// transactions (a refused row there spoils nothing else); on a server they are sent in
// multi-row inserts, and a refused group is sent again row by row, so that exactly the
// refused rows are missing, as with one insert per row. Every row handed over before a
// stop or a failure is stored: koncaj() and the destructor send what is pending.
// A refused row followed by a connection that no longer answers means the database
// went away: that is thrown as Napaka with the database's text.
class ShrambaIzravnav {
public:
    explicit ShrambaIzravnav(const QSqlDatabase& baza, int vSkupini = 5000);
    ~ShrambaIzravnav();
    ShrambaIzravnav(const ShrambaIzravnav&) = delete;
    ShrambaIzravnav& operator=(const ShrambaIzravnav&) = delete;

    // ZaokroziInShrani for one line.
    void shrani(qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
                const QString& sfdjv, const QString& partner, double znesek, double zaokrozen);
    // BrisiVIzravnavi within the run: pending rows are stored first.
    void brisi(qint64 prenos);
    // Stores what is pending and commits what is open.
    void koncaj();

private:
    struct Vrstica {
        qint64 prenos, vp;
        QDate dan;
        QString konto, sfdjv, partner;
        double znesek, zaokrozen;
    };
    void pripravi();
    void vstaviPosamic(const Vrstica& v);
    void posljiSkupino();
    void preveriPovezavo(const QString& napaka);
    QSqlDatabase m_baza;
    QSqlQuery m_vstavi;
    QSqlQuery m_vstaviSkupino;
    bool m_pripravljeno = false;
    bool m_transakcije = false; // SQLite: transactions of m_velikost rows
    bool m_vTransakciji = false;
    int m_velikost;
    int m_vTransakcijiVrstic = 0;
    int m_velikostSkupine = 0;  // server: rows per multi-row insert, 0 none
    bool m_polja = false;       // PostgreSQL: a group is sent as one array per column
    QList<Vrstica> m_cakajoce;
};

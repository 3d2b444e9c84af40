#pragma once

#include "bralnik.h"
#include "narecje.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>

// The engine behind one connection, and the one place that knows which engine it is:
// it fits statements to it, answers what differs between engines, and hands out the
// readers and the bulk insert's ways past the driver, only where the driver's handle is
// proven to be the program's (nativno.h). Everything else asks it instead of the driver's
// type. One kind per engine: SQLite, PostgreSQL, and any other server (ODBC), which has
// no way past the driver.
class Pogon {
public:
    // The engine object of a connection (open or not).
    static std::unique_ptr<Pogon> za(const QSqlDatabase& baza);
    virtual ~Pogon() = default;

    QSqlDatabase baza() const { return m_baza; }

    // A statement in the form this engine takes (narecje.h).
    QString prevedi(const QString& sql) const;

    // A reader past the driver of a one-directional statement (fitted already), or null:
    // the driver reads it. Throws Napaka with the engine's text when the statement fails.
    virtual std::unique_ptr<Bralnik> bralnikNaprej(const QString& sql, const QVariantMap& parametri) const;
    // A reader past the driver of the cursor `ime`, declared already, fetched `vSkupini`
    // rows at a time; null: the driver fetches it. Throws Napaka as above.
    virtual std::unique_ptr<Bralnik> bralnikKazalca(const QString& ime, int vSkupini) const;

    // How the bulk insert (mnozicnivnos.h) sends its rows on this engine.
    enum class Vnos {
        ZacasnaTabela, // into a table of the connection's temporary database, moved at the end
        Kopiranje,     // COPY ... FROM STDIN past the driver
        Skupine,       // multi-row inserts through the driver
    };
    virtual Vnos nacinVnosa() const { return Vnos::Skupine; }

    // The insert of one row past the driver into the temporary table (`sql` with one
    // "?" per column), or null: the driver inserts. Throws Napaka when it cannot be
    // prepared.
    class VnosVrstice {
    public:
        virtual ~VnosVrstice() = default;
        // The engine's error of a refused row, else an invalid one.
        virtual QSqlError vstavi(const QVariantList& vrstica) = 0;
    };
    virtual std::unique_ptr<VnosVrstice> vnosVrstice(const QString& sql) const;

    // One group of rows sent with COPY ... FROM STDIN past the driver (Vnos::Kopiranje),
    // in COPY's text format built in `medpomnilnik`. Zavrnjeno with the engine's error;
    // Zasedeno, with nothing sent, where the connection is not free for it now (the
    // driver reads a result on it): the rows are then the driver's to insert.
    enum class Kopiranje { Poslano, Zavrnjeno, Zasedeno };
    virtual Kopiranje kopiraj(const QString& tabela, const QString& stolpci, const QList<QVariantList>& vrstice,
                              QByteArray& medpomnilnik, QSqlError* napaka) const;

    // While the returned object lives, a statement on this connection that runs long
    // calls `osvezi` again and again as it works (SQLite's progress handler), so that a
    // window can repaint during the sort of a large book. Null where the engine cannot
    // call back during a statement (a server answers only when done; a handle not proven
    // to be the program's). `osvezi` must not use the database; it is not called again
    // from inside itself.
    class Odzivnost {
    public:
        virtual ~Odzivnost() = default;
    };
    virtual std::unique_ptr<Odzivnost> odzivnost(std::function<void()> osvezi) const;

    // Whether the database refused a row for its values (narecje::jeZavrnjenaVrednost).
    bool jeZavrnjenaVrednost(const QSqlError& napaka) const;

    // Whether a transfer run reads its postings through a cursor of its transaction
    // (narecje::beriSKazalcem), and whether a one-directional result stays readable
    // beside other statements (narecje::enosmerniRezultatVzporedno).
    virtual bool beriSKazalcem() const { return false; }
    virtual bool enosmerniRezultatVzporedno() const { return true; }

    // The statements of a run's transaction, and how failures read (narecje.h).
    QString stavekZacetka() const;
    QString stavekPosnetka() const;
    QList<narecje::ZaklepTabele> zaklepiTeka() const;
    QStringList stavkiKratkegaCakanja() const;
    QStringList stavkiObicajnegaCakanja() const;
    QString stavekTocke(const QString& ime) const;
    QString stavekZaklepaRegistra() const;
    QString razlog(const QSqlError& napaka) const;
    bool jeZaklep(const QSqlError& napaka) const;
    // The files in which the database itself lives (narecje::datotekeBaze).
    QStringList datotekeBaze() const;

    // Whether the short lock wait is a setting of the connection, made before the
    // transaction begins (SQLite's busy timeout), rather than of the transaction.
    virtual bool cakanjePredZacetkom() const { return false; }
    // Whether the transaction takes its snapshot and short lock wait after it begins
    // (a server; SQLite holds the write lock from the start).
    virtual bool posnetekPoZacetku() const { return true; }
    // Whether a commit may find readers in its way and is then tried again (SQLite
    // keeps the transaction open).
    virtual bool potrditevCakaBralce() const { return false; }
    // Whether the connection reaches a server that can go away (not a file).
    virtual bool streznik() const { return true; }

protected:
    explicit Pogon(const QSqlDatabase& baza) : m_baza(baza) {}

private:
    QSqlDatabase m_baza;
};

#pragma once

#include <QDate>
#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include "bralnik.h"

#include <memory>

// How a grid or report shows one field: display width in characters (-1: that of the
// field's type), number format such as "####0.00" (empty: none) and title (empty: the
// field name as the database returns it).
struct PrikazPolja {
    int sirina = -1;
    QString format;
    QString naslov;
};

// The shared result of the main window (`Q1`): the rows of the last statement opened
// into it, with a current row and per-field display settings. Scrollable, so that the
// grid, the list-finishing pass and the journal can move over it.
class Rezultat : public QObject {
    Q_OBJECT
public:
    explicit Rezultat(QObject* parent = nullptr);
    ~Rezultat() override;

    // Database name under which the result's statements run ("LB" until set).
    QString imeBaze() const { return m_imeBaze; }
    void nastaviImeBaze(const QString& ime) { m_imeBaze = ime; }

    void zapri();
    // Opens a statement (closed first); throws Napaka with the database's text.
    // A one-directional result (`samoNaprej`) is read forward once without keeping its
    // rows: it cannot go back, and its row count must be given with nastaviSteviloVrstic.
    // Where the connection's engine hands out a reader past the driver (SQLite's own
    // statement) each field is converted only when asked for; the values are those the
    // driver would give.
    void odpri(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri = {}, bool samoNaprej = false);
    // Opens a statement as a server-side cursor (PostgreSQL, inside a transaction) read
    // forward in groups of `vSkupini` rows: only one group is held in memory, and the
    // connection stays free for other statements between groups. One-directional, like
    // `samoNaprej`. The parameters must be dates or integers (they are written into the
    // cursor's statement as literals). Throws Napaka with the database's text.
    void odpriKazalec(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, int vSkupini);
    // As odpriKazalec, but where the engine can share the transaction's snapshot with a
    // connection of its own (Pogon::bralnikPosnetka) the rows are read there, one at a
    // time: the server may then sort with parallel workers, as it never does for a cursor.
    void odpriNaPosnetku(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, int vSkupini);
    bool samoNaprej() const { return m_samoNaprej; }
    void nastaviSteviloVrstic(int n) { m_stVrstic = n; }
    bool jeOdprt() const { return m_odprt; }

    int steviloStolpcev() const;
    QString imeStolpca(int stolpec) const;
    int indeksStolpca(const QString& ime) const; // without regard to case, -1 if none
    // The declared size of a text column in characters where the database says it
    // (VARCHAR(60): 60), else -1.
    int dolzinaStolpca(int stolpec) const;

    // Navigation over the current row.
    bool prvi();
    bool naslednji();
    bool zadnji();
    bool prejsnji();
    bool eof() const;
    int trenutnaVrstica() const; // 0-based, -1 before the first row
    // The database's text when reading the rows failed (the server went away), else empty.
    QString napaka() const;

    // Fields of the current row; NULL stays a null QVariant.
    QVariant polje(const QString& ime) const;
    // A field of the current row by column index, converted as vrednostNiz,
    // vrednostCelo, vrednostRealno and vrednostDatum convert it.
    QString niz(int stolpec) const;
    qint64 celo(int stolpec) const;
    double realno(int stolpec) const;
    QDate datum(int stolpec) const;
    bool jeNull(int stolpec) const; // the current row's value is NULL
    bool imaPolje(const QString& ime) const { return indeksStolpca(ime) >= 0; }

    // Number of rows, fetched as needed; keeps the current row. Zero when asked while
    // the result is being read (from a repaint during a long statement).
    int steviloVrstic();
    // The value at a row and column, keeping the current row. None when asked while
    // the result is being read, as above.
    QVariant vrednost(int vrstica, int stolpec);

    void nastaviPrikaz(const QString& polje, const PrikazPolja& prikaz);
    PrikazPolja prikaz(int stolpec) const;

signals:
    // Opened or closed: every view must take the result anew.
    void spremenjen();

private:
    QVariant vrednostStolpca(int stolpec) const; // of the current row
    bool naslednjaSkupina();
    void predajGonilniku(int prebranih);
    int polozajGonilnika() const; // the driver's current row, counted over every group

    QString m_imeBaze = QStringLiteral("LB");
    // A one-directional result read past the driver, as the connection's engine object
    // hands it out (pogon.h); else the driver's query.
    std::unique_ptr<Bralnik> m_bralnik;
    QSqlQuery m_q;
    bool m_odprt = false;
    bool m_samoNaprej = false;
    QString m_kazalec; // the server-side cursor's fetch statement, empty for none
    int m_pred = 0;    // read by the driver from a cursor: the rows of the groups before this one
    QSqlDatabase m_db;
    int m_stVrstic = -1;
    QHash<QString, PrikazPolja> m_prikaz; // key: upper-case field name

    // Calls into the driver under way. A long statement on SQLite lets the window
    // repaint while it steps (Pogon::odzivnost); a grid painted then must not step the
    // same statement again from inside it: the row count and the values it asks for
    // are then none, and the grid is painted again once the result is read.
    int m_vGonilniku = 0;
    struct VGonilniku {
        explicit VGonilniku(int& n) : m_n(n) { ++m_n; }
        ~VGonilniku() { --m_n; }
        VGonilniku(const VGonilniku&) = delete;
        VGonilniku& operator=(const VGonilniku&) = delete;
        int& m_n;
    };
};

// The data link between the shared result and its grid (`DataSource1`). While it is
// off, the grid shows nothing.
class PodatkovniVir : public QObject {
    Q_OBJECT
public:
    explicit PodatkovniVir(Rezultat* rezultat, QObject* parent = nullptr) : QObject(parent), m_rezultat(rezultat) {}
    Rezultat* rezultat() const { return m_rezultat; }
    bool omogocen() const { return m_omogocen; }
    void nastaviOmogocen(bool da)
    {
        if (da == m_omogocen)
            return;
        m_omogocen = da;
        emit spremenjen();
    }

signals:
    void spremenjen();

private:
    Rezultat* m_rezultat;
    bool m_omogocen = false;
};

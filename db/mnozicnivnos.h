#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>

#include "pogon.h"

#include <memory>

class Transakcija;

// Rows inserted into one table in bulk inside a run's transaction, each engine the
// way its engine object (pogon.h) says it takes them fastest:
//  - SQLite: one prepared insert per row into a table of the connection's own
//    temporary database, moved into the table in one statement at the end, so that
//    the write-ahead log stays empty while the run reads;
//  - PostgreSQL: COPY ... FROM STDIN on the driver's own connection, a group at a
//    time, each group in a savepoint;
//  - other servers: multi-row inserts, each group in a savepoint.
// A group the database refuses for its values is sent again row by row, each row in a
// savepoint, so that exactly the refused rows are missing; each of them is handed to
// the caller's `zavrnjena` with the database's reason. Any other failure is thrown as
// Napaka with the database's text.
//
// A row is one value per column: qint64, double, QDate (invalid: NULL) or QString.
class MnozicniVnos {
public:
    using Zavrnjena = std::function<void(const QVariantList& vrstica, const QSqlError& napaka)>;

    MnozicniVnos(Transakcija& tx, const QString& tabela, const QStringList& stolpci, Zavrnjena zavrnjena);
    ~MnozicniVnos();
    MnozicniVnos(const MnozicniVnos&) = delete;
    MnozicniVnos& operator=(const MnozicniVnos&) = delete;

    // Prepares the statements; the table must exist. Throws Napaka with the
    // database's reason when it cannot (no table in a read-only database).
    void pripravi();
    void dodaj(QVariantList vrstica);
    // Sends the pending rows, e.g. before a statement that reads or deletes the table.
    void poslji();
    // Sends the pending rows.
    void koncaj();

    // How the rows go, for the log and the tests: "po vrsticah", "s COPY", "v skupinah"
    // or "posamič".
    QString opisNacina() const;

    // Rows per group on each kind of engine.
    static constexpr int kSkupinaKopiranja = 10000;
    static constexpr int kSkupinaVrednosti = 250;

private:
    enum class Nacin { Vrstice, Kopiranje, Skupine, Posamic };
    void posljiSkupino();
    bool vstaviVrednosti(const QList<QVariantList>& vrstice);
    void vstaviPosamic(const QVariantList& v);
    void zavrnjena(const QVariantList& v, const QSqlError& napaka);
    QString seznamStolpcev() const;

    Transakcija& m_tx;
    QSqlDatabase m_baza;
    std::unique_ptr<Pogon> m_pogon;
    QString m_tabela;
    QStringList m_stolpci;
    Zavrnjena m_zavrnjena;
    Nacin m_nacin;
    int m_velikostSkupine = 0;
    bool m_pripravljeno = false;
    QSqlQuery m_vstavi;
    // SQLite: the insert into the temporary table past the driver, as the engine
    // object hands it out, which takes each value as it is instead of through the
    // driver's bound values.
    std::unique_ptr<Pogon::VnosVrstice> m_vnosVrstice;
    QSqlQuery m_vstaviSkupino;
    QList<QVariantList> m_cakajoce;
    QByteArray m_medpomnilnik; // the text of one COPY group
};

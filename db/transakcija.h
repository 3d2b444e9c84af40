#pragma once

#include "napaka.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>

class Okolje;
class Pogon;

// The stop request came while the run waited or worked: the run ends as stopped.
class Ustavitev : public std::exception {
public:
    const char* what() const noexcept override { return "ustavljeno"; }
};

// The one transaction of a transfer run. Everything the run changes in the database
// happens inside it and becomes visible at once on commit, or not at all: the
// destructor rolls back whatever was not committed, and a process that dies leaves
// the database to roll it back itself.
//
// A lock that another connection holds is waited for in short steps, with the status
// line saying what the run waits for, until the bound (LEDGXFER_LOCK_WAIT seconds,
// 30 by default); then the run ends with Napaka and the database's own reason. The
// stop request ends a wait at once (Ustavitev).
class Transakcija {
public:
    Transakcija(const QSqlDatabase& baza, Okolje& okolje);
    ~Transakcija();
    Transakcija(const Transakcija&) = delete;
    Transakcija& operator=(const Transakcija&) = delete;

    // Begins: on SQLite with the write lock, waited for; on a server with one
    // snapshot for the whole transaction.
    void zacni();
    // Takes the locks of a run on the tables it reads and writes, before anything is
    // read, each waited for with the table's name in the status line (on a server;
    // SQLite's write lock is taken by zacni).
    void zakleni();
    // Commits; on SQLite a commit that finds readers in its way is retried.
    void potrdi();
    // Rolls back (a failure to do so is logged: the database does it when the
    // connection ends).
    void preklici();
    bool aktivna() const { return m_aktivna; }

    // Runs a changing statement inside a savepoint: waits while another connection
    // holds a lock (`kaj` names what is waited for in the status line); any other
    // failure undoes the statement alone and is returned as false with `napaka` set
    // to the database's text. Throws Napaka when the wait runs out or the connection
    // is lost, Ustavitev on the stop request.
    bool poskusi(const QString& sql, const QVariantMap& parametri, const QString& kaj, QString* napaka);
    // The same, and a failure other than a lock is thrown as Napaka.
    void izvedi(const QString& sql, const QVariantMap& parametri, const QString& kaj);

    // Runs `korak` inside a savepoint: kept when it returns true, undone when false.
    // Throws Napaka when the savepoint cannot be undone (the connection is lost, or the
    // engine ended the whole transaction, as SQLite does on a full disk), with the
    // step's own reason (`razlogKoraka`) where there is one, else the savepoint's.
    // Where the engine undoes a failed statement by itself (Pogon::korakBrezTocke), the
    // step runs without a savepoint, and a failure that ended the transaction is thrown.
    bool vTocki(const std::function<bool()>& korak, const std::function<QString()>& razlogKoraka = {});

    QSqlDatabase baza() const { return m_baza; }

    // The bound of a lock wait.
    static int sekundCakanja();

private:
    void izvediSistemski(const QString& sql);
    void cakaj(const QString& kaj, const QDeadlineTimer& rok, const QString& razlog);
    QSqlDatabase m_baza;
    std::unique_ptr<Pogon> m_pogon; // what differs between engines
    Okolje& m_okolje;
    QSqlQuery m_q;
    bool m_aktivna = false;
    int m_tock = 0;
};

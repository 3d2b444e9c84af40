#include "pogon.h"

#include "belezenje.h"
#include "narecje.h"
#include "pgnativno.h"
#include "sqlitenativno.h"

#include <sql.h>
#include <sqlext.h>

#include <libpq-fe.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlResult>

#include <cerrno>

namespace {

QSqlDriver::DbmsType vrsta(const QSqlDatabase& baza)
{
    const QSqlDriver* d = baza.driver();
    return d ? d->dbmsType() : QSqlDriver::UnknownDbms;
}

bool jeOdbc(const QSqlDriver* gonilnik)
{
    return gonilnik && qstrcmp(gonilnik->metaObject()->className(), "QODBCDriver") == 0;
}

// The ODBC handle a driver or result hands out, or null.
SQLHANDLE rocajOdbc(const QVariant& h)
{
    if (!h.isValid() || (qstrcmp(h.typeName(), "void*") != 0 && qstrcmp(h.typeName(), "SQLHANDLE") != 0))
        return nullptr;
    return *static_cast<const SQLHANDLE*>(h.constData());
}

// The SQLSTATE of a failure: PostgreSQL gives it as the native code; ODBC drivers
// put it in front of their texts ("[...] 55P03: ..." or "SQLSTATE=40001").
QString sqlState(const QSqlError& napaka)
{
    const QString koda = napaka.nativeErrorCode();
    static const QRegularExpression petZnakov(QStringLiteral("^[0-9A-Z]{5}$"));
    if (petZnakov.match(koda).hasMatch())
        return koda;
    static const QRegularExpression vBesedilu(QStringLiteral("(?:SQLSTATE[= ]?|\\b)([0-9]{2}[0-9A-Z]{3})\\b"));
    const QRegularExpressionMatch m = vBesedilu.match(napaka.databaseText() + u' ' + napaka.driverText());
    return m.hasMatch() ? m.captured(1) : QString();
}

// SQLite's primary result code of a failure (of an extended one), -1 without one.
int sqliteKoda(const QSqlError& napaka)
{
    bool ok = false;
    const int koda = napaka.nativeErrorCode().toInt(&ok);
    return ok ? (koda & 0xff) : -1;
}

// Any engine reached through ODBC: the driver may leave the SQLSTATE out of its error
// (unixODBC with the PostgreSQL ODBC driver) and need not say in it that the
// connection is dead; the ODBC handles know both.
class PogonOdbc : public Pogon {
public:
    explicit PogonOdbc(const QSqlDatabase& baza) : Pogon(baza) {}

    QSqlError napakaStavka(const QSqlQuery& q) const override
    {
        const QSqlError e = q.lastError();
        if (!e.isValid() || !sqlState(e).isEmpty() || !jeOdbc(q.driver()) || !q.result())
            return e;
        SQLHANDLE stavek = rocajOdbc(q.result()->handle());
        SQLCHAR stanje[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER domaca = 0;
        SQLSMALLINT dolzina = 0;
        if (!stavek || !SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, stavek, 1, stanje, &domaca, nullptr, 0, &dolzina)))
            return e;
        const QString koda = QString::fromLatin1(reinterpret_cast<const char*>(stanje));
        if (koda.size() != SQL_SQLSTATE_SIZE)
            return e;
        return QSqlError(e.driverText(), e.databaseText(), e.type(), koda);
    }

protected:
    // The driver knows whether its connection is dead (SQL_ATTR_CONNECTION_DEAD); its
    // statement's failure need not say so in its SQLSTATE.
    bool izgubljenaPoNeuspehu(const QSqlQuery& poskus) const override
    {
        SQLHANDLE povezava = rocajOdbc(baza().driver()->handle());
        SQLUINTEGER mrtva = SQL_CD_FALSE;
        if (povezava && SQL_SUCCEEDED(SQLGetConnectAttr(povezava, SQL_ATTR_CONNECTION_DEAD, &mrtva, 0, nullptr)))
            return mrtva == SQL_CD_TRUE;
        return Pogon::izgubljenaPoNeuspehu(poskus);
    }
};

// SQLite, through its own driver (or ODBC): the write lock from the start, its result
// codes, its files; the statement stepped and the rows inserted on the engine's own
// connection where the handle is proven.
template <class Osnova>
class NarecjeSqlite : public Osnova {
public:
    explicit NarecjeSqlite(const QSqlDatabase& baza) : Osnova(baza) {}

    std::unique_ptr<Bralnik> bralnikNaprej(const QString& sql, const QVariantMap& parametri) const override
    {
        sqlite3* povezava = sqlitenativno::povezava(this->baza());
        return povezava ? sqlitenativno::bralnik(povezava, sql, parametri) : nullptr;
    }
    Pogon::Vnos nacinVnosa() const override { return Pogon::Vnos::Vrstice; }
    std::unique_ptr<Pogon::VnosVrstice> vnosVrstice(const QString& sql) const override
    {
        sqlite3* povezava = sqlitenativno::povezava(this->baza());
        return povezava ? std::make_unique<sqlitenativno::VnosVrstice>(povezava, sql) : nullptr;
    }
    std::unique_ptr<Pogon::Odzivnost> odzivnost(std::function<void()> osvezi) const override
    {
        return sqlitenativno::povezava(this->baza())
                   ? std::make_unique<sqlitenativno::Odzivnost>(this->baza(), std::move(osvezi))
                   : nullptr;
    }
    QSqlError napakaPotrditve(const QSqlError& napaka) const override
    {
        if (sqliteKoda(napaka) >= 0)
            return napaka;
        // Without the engine's handle, the code is the one whose own text the error carries.
        sqlite3* povezava = sqlitenativno::povezava(this->baza());
        const int koda =
            povezava ? sqlitenativno::zadnjaKoda(povezava) : sqlitenativno::kodaBesedila(napaka.databaseText());
        if (koda < 0)
            return napaka;
        return QSqlError(napaka.driverText(), napaka.databaseText(), napaka.type(), QString::number(koda));
    }
    // SQLite undoes a failed statement by itself and the transaction goes on. A savepoint
    // would add nothing but cost: inside one the engine copies every page a statement
    // changes into a journal of its own first, the whole table when the postings are
    // marked. The engine's own answer says whether a failure (a full disk, an I/O error)
    // ended the whole transaction; without the proven handle the steps keep savepoints.
    bool korakBrezTocke() const override { return sqlitenativno::povezava(this->baza()) != nullptr; }
    bool transakcijaTece() const override
    {
        sqlite3* povezava = sqlitenativno::povezava(this->baza());
        return !povezava || sqlitenativno::vTransakciji(povezava);
    }
    bool cakanjePredZacetkom() const override { return true; }
    bool posnetekPoZacetku() const override { return false; }
    bool potrditevCakaBralce() const override { return true; }
    bool streznik() const override { return false; }

    QString stavekZacetka() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QStringList stavkiKratkegaCakanja() const override { return {QStringLiteral("PRAGMA busy_timeout = 200")}; }
    QStringList stavkiObicajnegaCakanja() const override { return {QStringLiteral("PRAGMA busy_timeout = 5000")}; }
    QString stavekZaklepaRegistra() const override { return {}; }

    QString razlog(const QSqlError& napaka) const override
    {
        const QString t = narecje::besedilo(napaka);
        switch (sqliteKoda(napaka)) {
        case 8: // SQLITE_READONLY
            return QStringLiteral("V bazo ni mogoče pisati (razlog: ") + t + u')';
        case 13: // SQLITE_FULL
            return qt_error_string(ENOSPC) + QStringLiteral(" (") + t + u')';
        case 10: // SQLITE_IOERR
            return qt_error_string(EIO) + QStringLiteral(" (") + t + u')';
        default: return t;
        }
    }
    bool jeZaklep(const QSqlError& napaka) const override
    {
        const int koda = sqliteKoda(napaka);
        return koda == 5 || koda == 6; // SQLITE_BUSY, SQLITE_LOCKED
    }
    bool jeZavrnjenaVrednost(const QSqlError& napaka) const override
    {
        const int koda = sqliteKoda(napaka);
        return koda == 18 || koda == 19 || koda == 20; // TOOBIG, CONSTRAINT, MISMATCH
    }
    QStringList datotekeBaze() const override
    {
        const QString ime = QFileInfo(this->baza().databaseName()).canonicalFilePath();
        if (ime.isEmpty())
            return {};
        QStringList datoteke;
        for (const char* pripona : {"", "-wal", "-shm", "-journal"})
            datoteke << ime + QLatin1StringView(pripona);
        return datoteke;
    }

protected:
    // NULLs sort before every value on SQLite: the ORDER BY keys sort them as a server.
    PravilaPrevoda pravilaPrevoda() const override
    {
        PravilaPrevoda p;
        p.nullsKotStreznik = true;
        return p;
    }
};

// SQLite through its own driver. It opens any file: one that is no database fails at
// its first read (a database that another connection holds locked is a database all
// the same). LIKE compares case-sensitively, as on the production server; write-ahead
// logging lets other users keep reading while a transfer holds the write lock, where
// the file and its folder can be written (otherwise the database keeps its journal).
class PogonSqlite final : public NarecjeSqlite<Pogon> {
public:
    explicit PogonSqlite(const QSqlDatabase& baza) : NarecjeSqlite<Pogon>(baza) {}

    std::optional<QSqlError> pripraviPovezavo() const override
    {
        const QSqlDatabase db = baza();
        QSqlQuery poskus(db);
        const bool prebrana = poskus.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        if (!prebrana && !jeZaklep(poskus.lastError()))
            return poskus.lastError();
        // SQLite ignores this pragma without an error while another statement is still
        // active on the connection, so the probe is finished first.
        poskus.finish();
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA case_sensitive_like=ON")))
            qCWarning(lcDb) << "case_sensitive_like:" << pragma.lastError().text();
        // An 8 MB page cache instead of the engine's 2 MB. The sort of the postings
        // query writes its sorted runs in pieces of this size and merges at most 16 at a
        // time: with larger pieces, ten million postings are merged in one pass fewer,
        // a pass that writes and reads the whole sort once more.
        if (!pragma.exec(QStringLiteral("PRAGMA cache_size=-8192")))
            qCWarning(lcDb) << "cache_size:" << pragma.lastError().text();
        const QFileInfo datoteka(db.databaseName());
        if (!prebrana) {
            qCWarning(lcDb).noquote() << "Baza" << db.databaseName() << "je zaklenjena:" << poskus.lastError().text();
        } else if (datoteka.isWritable() && QFileInfo(datoteka.absolutePath()).isWritable()) {
            QSqlQuery wal(db);
            if (!wal.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
                qCWarning(lcDb).noquote() << "WAL za" << db.databaseName() << "ni vklopljen:" << wal.lastError().text();
        }
        return std::nullopt;
    }
};

// PostgreSQL, through any driver: one snapshot per run, the tables locked before it,
// a short lock wait of the transaction, DOUBLE PRECISION.
template <class Osnova>
class NarecjePostgreSQL : public Osnova {
public:
    explicit NarecjePostgreSQL(const QSqlDatabase& baza) : Osnova(baza) {}

    QString stavekPosnetka() const override
    {
        return QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ");
    }
    QList<Pogon::ZaklepTabele> zaklepiTeka() const override
    {
        QList<Pogon::ZaklepTabele> zaklepi{
            {QStringLiteral("LEDGXFER"), QStringLiteral("LOCK TABLE LEDGXFER IN EXCLUSIVE MODE")},
            {QStringLiteral("KNJIZBE"), QStringLiteral("LOCK TABLE KNJIZBE IN ROW EXCLUSIVE MODE")},
            {QStringLiteral("IZRAVNAVE"), QStringLiteral("LOCK TABLE IZRAVNAVE IN ROW EXCLUSIVE MODE")},
        };
        for (const char* t : {"DOG", "SIFKONT", "VLT", "SFVP", "OSB", "POG", "ORG"})
            zaklepi.append({QString::fromLatin1(t), QStringLiteral("LOCK TABLE ") + QString::fromLatin1(t)
                                                        + QStringLiteral(" IN ACCESS SHARE MODE")});
        return zaklepi;
    }
    // SET LOCAL ends with the transaction: nothing to restore.
    QStringList stavkiKratkegaCakanja() const override { return {QStringLiteral("SET LOCAL lock_timeout = 200")}; }

protected:
    PravilaPrevoda pravilaPrevoda() const override
    {
        PravilaPrevoda p;
        p.dvojnaNatancnost = true;
        return p;
    }
};

// PostgreSQL through its own driver: the run's cursor fetched and the rows copied with
// libpq on the driver's connection, where the handle is proven.
class PogonPostgreSQL final : public NarecjePostgreSQL<Pogon> {
public:
    explicit PogonPostgreSQL(const QSqlDatabase& baza) : NarecjePostgreSQL<Pogon>(baza) {}

    std::unique_ptr<Bralnik> bralnikKazalca(const QString& ime, int vSkupini) const override
    {
        return pgnativno::bralnikKazalca(baza(), ime, vSkupini);
    }
    std::unique_ptr<Bralnik> bralnikPosnetka(const QString& sql) const override
    {
        return pgnativno::bralnikPosnetka(baza(), sql);
    }
    Vnos nacinVnosa() const override { return pgnativno::povezava(baza()) ? Vnos::Kopiranje : Vnos::Skupine; }
    std::unique_ptr<Pogon::Odzivnost> odzivnost(std::function<void()> osvezi) const override
    {
        PGconn* c = pgnativno::povezava(baza());
        return c ? std::make_unique<pgnativno::Odzivnost>(c, std::move(osvezi)) : nullptr;
    }
    Kopiranje kopiraj(const QString& tabela, const QString& stolpci, const QList<QVariantList>& vrstice,
                      QByteArray& medpomnilnik, QSqlError* napaka) const override
    {
        return pgnativno::kopiraj(baza(), tabela, stolpci, vrstice, medpomnilnik, napaka);
    }
    // The client would hold a whole result in memory: the run's postings come through a
    // cursor, and a streamed result is lost as soon as another statement runs.
    bool beriSKazalcem() const override { return true; }
    bool enosmerniRezultatVzporedno() const override { return false; }

protected:
    // libpq knows the state of its connection.
    bool izgubljenaPoNeuspehu(const QSqlQuery& poskus) const override
    {
        if (PGconn* c = pgnativno::povezava(baza()))
            return PQstatus(c) == CONNECTION_BAD;
        return NarecjePostgreSQL<Pogon>::izgubljenaPoNeuspehu(poskus);
    }
};

// DB2 (through ODBC): savepoints keep the open cursors, and the lock wait is a
// register of the connection, set and restored.
template <class Osnova>
class NarecjeDb2 : public Osnova {
public:
    explicit NarecjeDb2(const QSqlDatabase& baza) : Osnova(baza) {}

    QString stavekTocke(const QString& ime) const override
    {
        return QStringLiteral("SAVEPOINT ") + ime + QStringLiteral(" ON ROLLBACK RETAIN CURSORS");
    }
    QStringList stavkiKratkegaCakanja() const override { return {QStringLiteral("SET CURRENT LOCK TIMEOUT 1")}; }
    QStringList stavkiObicajnegaCakanja() const override { return {QStringLiteral("SET CURRENT LOCK TIMEOUT NULL")}; }
};

// Any other server: the driver does everything, with the common answers.
class PogonStreznik final : public Pogon {
public:
    explicit PogonStreznik(const QSqlDatabase& baza) : Pogon(baza) {}
};

} // namespace

std::unique_ptr<Pogon::Odzivnost> Pogon::odzivnost(std::function<void()>) const { return nullptr; }

void Pogon::Odzivnost::osvezi()
{
    if (m_vKlicu)
        return;
    m_vKlicu = true;
    try {
        m_osvezi();
    } catch (const std::exception& e) {
        qCWarning(lcDb).noquote() << "Osvežitev med stavkom ni uspela:" << QString::fromUtf8(e.what());
    }
    m_vKlicu = false;
}

std::unique_ptr<Pogon> Pogon::za(const QSqlDatabase& baza)
{
    const bool odbc = jeOdbc(baza.driver());
    switch (vrsta(baza)) {
    case QSqlDriver::SQLite:
        if (odbc)
            return std::make_unique<NarecjeSqlite<PogonOdbc>>(baza);
        return std::make_unique<PogonSqlite>(baza);
    case QSqlDriver::PostgreSQL:
        // QPSQL; PostgreSQL through ODBC has no handle of libpq.
        if (baza.driverName() == QLatin1String("QPSQL"))
            return std::make_unique<PogonPostgreSQL>(baza);
        if (odbc)
            return std::make_unique<NarecjePostgreSQL<PogonOdbc>>(baza);
        return std::make_unique<NarecjePostgreSQL<Pogon>>(baza);
    case QSqlDriver::DB2:
        if (odbc)
            return std::make_unique<NarecjeDb2<PogonOdbc>>(baza);
        return std::make_unique<NarecjeDb2<Pogon>>(baza);
    default:
        if (odbc)
            return std::make_unique<PogonOdbc>(baza);
        return std::make_unique<PogonStreznik>(baza);
    }
}

std::unique_ptr<Bralnik> Pogon::bralnikNaprej(const QString&, const QVariantMap&) const { return nullptr; }

std::unique_ptr<Bralnik> Pogon::bralnikKazalca(const QString&, int) const { return nullptr; }

std::unique_ptr<Bralnik> Pogon::bralnikPosnetka(const QString&) const { return nullptr; }

std::unique_ptr<Pogon::VnosVrstice> Pogon::vnosVrstice(const QString&) const { return nullptr; }

Pogon::Kopiranje Pogon::kopiraj(const QString&, const QString&, const QList<QVariantList>&, QByteArray&,
                                QSqlError* napaka) const
{
    *napaka = QSqlError(QStringLiteral("COPY"), QStringLiteral("COPY ni na voljo"), QSqlError::StatementError);
    return Kopiranje::Zavrnjeno;
}

QString Pogon::stavekTocke(const QString& ime) const { return QStringLiteral("SAVEPOINT ") + ime; }

QString Pogon::stavekZaklepaRegistra() const { return QStringLiteral("LOCK TABLE LEDGXFER IN EXCLUSIVE MODE"); }

QString Pogon::razlog(const QSqlError& napaka) const
{
    const QString t = narecje::besedilo(napaka);
    // insufficient_privilege: the role lacks a right the run needs.
    if (sqlState(napaka) == QLatin1String("42501"))
        return QStringLiteral("Uporabnik baze nima pravice, ki jo prenos potrebuje (razlog: ") + t + u')';
    return t;
}

bool Pogon::jeZaklep(const QSqlError& napaka) const
{
    const QString stanje = sqlState(napaka);
    // lock not available, deadlock, serialisation failure, timeouts (DB2 reports a
    // lock timeout as 40001 or 57033, ODBC as HYT00)
    return stanje == u"55P03" || stanje == u"40P01" || stanje == u"40001" || stanje == u"57033" || stanje == u"HYT00";
}

bool Pogon::jeZavrnjenaVrednost(const QSqlError& napaka) const
{
    const QString stanje = sqlState(napaka);
    return stanje.startsWith(u"22") || stanje.startsWith(u"23");
}

bool Pogon::povezavaIzgubljena() const
{
    if (!m_baza.isOpen())
        return true;
    QSqlQuery q(m_baza);
    // DB2 refuses a SELECT without FROM as a statement: the connection answered.
    if (q.exec(QStringLiteral("SELECT 1")))
        return false;
    return izgubljenaPoNeuspehu(q);
}

bool Pogon::izgubljenaPoNeuspehu(const QSqlQuery& poskus) const
{
    const QSqlError e = napakaStavka(poskus);
    return e.type() == QSqlError::ConnectionError || sqlState(e).startsWith(QStringLiteral("08"));
}

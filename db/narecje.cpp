#include "narecje.h"

#include "pogon.h"

#include "pgnativno.h"

#include <sql.h>
#include <sqlext.h>

#include <QFileInfo>
#include <QSqlDatabase>

#include <QRegularExpression>

#include <libpq-fe.h>
#include <QSqlError>
#include <QSqlResult>

#include <algorithm>
#include <cerrno>

namespace {

bool jeCrkaImena(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Copies a single-quoted literal starting at i (at the opening quote) unchanged.
qsizetype kopirajLiteral(const QString& sql, qsizetype i, QString& izhod)
{
    izhod += sql.at(i++);
    while (i < sql.size()) {
        const QChar c = sql.at(i++);
        izhod += c;
        if (c == u'\'') {
            if (i < sql.size() && sql.at(i) == u'\'') {
                izhod += sql.at(i++);
                continue;
            }
            break;
        }
    }
    return i;
}

QString prevediBesedo(const QString& beseda, const QString& sql, qsizetype konec,
                      QSqlDriver::DbmsType dbms)
{
    if (dbms == QSqlDriver::PostgreSQL && beseda.compare(u"DOUBLE", Qt::CaseInsensitive) == 0) {
        static const QRegularExpression precision(QStringLiteral("^\\s+PRECISION\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
        if (!precision.match(sql.mid(konec)).hasMatch())
            return QStringLiteral("DOUBLE PRECISION");
    }
    return beseda;
}

// On SQLite NULLs sort before every value; PostgreSQL and DB2 sort them after every
// value in ascending order (before in descending). The keys of every ORDER BY get the
// explicit NULLS clause of that order, so that all engines list rows alike.
QString nullsKotStreznik(const QString& sql)
{
    // Positions outside literals and at parenthesis depth of each character.
    QString izhod;
    izhod.reserve(sql.size() + 64);
    qsizetype i = 0;
    int globina = 0;
    int globinaUrejanja = -1; // depth of the ORDER BY being rewritten, -1 none
    qsizetype konecKljuca = -1; // end of the current key's last non-blank character in izhod
    QString trenutniKljuc;

    auto zakljuciKljuc = [&]() {
        if (globinaUrejanja < 0 || konecKljuca < 0)
            return;
        const QString k = trenutniKljuc.trimmed().toUpper();
        if (!k.isEmpty() && !k.contains(QStringLiteral("NULLS"))) {
            const bool padajoce = k.endsWith(QStringLiteral(" DESC")) || k == u"DESC";
            izhod.insert(konecKljuca, padajoce ? QStringLiteral(" NULLS FIRST") : QStringLiteral(" NULLS LAST"));
        }
        trenutniKljuc.clear();
        konecKljuca = -1;
    };
    static const QRegularExpression orderBy(QStringLiteral("^ORDER\\s+BY\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression konecSeznama(QStringLiteral("^(LIMIT|OFFSET|FETCH|FOR|UNION|EXCEPT|INTERSECT)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            const qsizetype zacetek = izhod.size();
            i = kopirajLiteral(sql, i, izhod);
            if (globinaUrejanja >= 0) {
                trenutniKljuc += izhod.mid(zacetek);
                konecKljuca = izhod.size();
            }
            continue;
        }
        if (globinaUrejanja < 0 && (i == 0 || !jeCrkaImena(sql.at(i - 1)))) {
            const QRegularExpressionMatch m = orderBy.match(QStringView(sql).mid(i));
            if (m.hasMatch()) {
                izhod += m.captured(0);
                i += m.capturedLength(0);
                globinaUrejanja = globina;
                continue;
            }
        }
        if (globinaUrejanja >= 0) {
            if ((c == u')' && globina == globinaUrejanja) || c == u';'
                || ((i == 0 || !jeCrkaImena(sql.at(i - 1)))
                    && konecSeznama.match(QStringView(sql).mid(i)).hasMatch() && globina == globinaUrejanja)) {
                zakljuciKljuc();
                globinaUrejanja = -1;
            } else if (c == u',' && globina == globinaUrejanja) {
                zakljuciKljuc();
                izhod += c;
                ++i;
                continue;
            }
        }
        if (c == u'(')
            ++globina;
        else if (c == u')')
            --globina;
        izhod += c;
        if (globinaUrejanja >= 0) {
            trenutniKljuc += c;
            if (!c.isSpace())
                konecKljuca = izhod.size();
        }
        ++i;
    }
    zakljuciKljuc();
    return izhod;
}

} // namespace

QString prevediStavek(const QString& vhod, QSqlDriver::DbmsType dbms)
{
    // Alias-qualified tables first: the whole quoted form becomes the table name.
    static const QRegularExpression aliasTabela(
        QStringLiteral("'\\s*:[A-Za-z0-9_]+:([A-Za-z0-9_]+)\\s*'"));
    QString sql = vhod;
    sql.replace(aliasTabela, QStringLiteral("\\1"));

    QString izhod;
    izhod.reserve(sql.size() + 16);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            i = kopirajLiteral(sql, i, izhod);
        } else if (c == u'"') {
            // Text literal in double quotes: rewrite as a single-quoted one.
            qsizetype j = i + 1;
            QString vsebina;
            while (j < sql.size() && sql.at(j) != u'"')
                vsebina += sql.at(j++);
            if (j >= sql.size()) { // unterminated: leave as it is
                izhod += sql.mid(i);
                break;
            }
            if (vsebina.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)
                && vsebina.size() > 3
                && std::all_of(vsebina.begin(), vsebina.end() - 3, jeCrkaImena)) {
                izhod += vsebina.left(vsebina.size() - 3); // quoted table file name
            } else {
                vsebina.replace(u'\'', QStringLiteral("''"));
                izhod += u'\'' + vsebina + u'\'';
            }
            i = j + 1;
        } else if (jeCrkaImena(c)) {
            qsizetype j = i;
            while (j < sql.size() && jeCrkaImena(sql.at(j)))
                ++j;
            QString beseda = sql.mid(i, j - i);
            // A table named by its file name: NAME.db
            if (sql.mid(j, 3).compare(u".db", Qt::CaseInsensitive) == 0
                && (j + 3 >= sql.size() || !jeCrkaImena(sql.at(j + 3)))) {
                izhod += beseda;
                i = j + 3;
                continue;
            }
            izhod += prevediBesedo(beseda, sql, j, dbms);
            i = j;
        } else {
            izhod += c;
            ++i;
        }
    }
    if (dbms == QSqlDriver::SQLite)
        return nullsKotStreznik(izhod);
    return izhod;
}

namespace narecje {

QString stavekZacetka(QSqlDriver::DbmsType dbms)
{
    return dbms == QSqlDriver::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QString();
}

QString stavekPosnetka(QSqlDriver::DbmsType dbms)
{
    return dbms == QSqlDriver::PostgreSQL ? QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ")
                                          : QString();
}

QList<ZaklepTabele> zaklepiTeka(QSqlDriver::DbmsType dbms)
{
    if (dbms != QSqlDriver::PostgreSQL)
        return {};
    QList<ZaklepTabele> zaklepi{
        {QStringLiteral("LEDGXFER"), QStringLiteral("LOCK TABLE LEDGXFER IN EXCLUSIVE MODE")},
        {QStringLiteral("KNJIZBE"), QStringLiteral("LOCK TABLE KNJIZBE IN ROW EXCLUSIVE MODE")},
        {QStringLiteral("IZRAVNAVE"), QStringLiteral("LOCK TABLE IZRAVNAVE IN ROW EXCLUSIVE MODE")},
    };
    for (const char* t : {"DOG", "SIFKONT", "VLT", "SFVP", "OSB", "POG", "ORG"})
        zaklepi.append({QString::fromLatin1(t),
                        QStringLiteral("LOCK TABLE ") + QString::fromLatin1(t) + QStringLiteral(" IN ACCESS SHARE MODE")});
    return zaklepi;
}

QStringList stavkiKratkegaCakanja(QSqlDriver::DbmsType dbms)
{
    switch (dbms) {
    case QSqlDriver::SQLite:
        return {QStringLiteral("PRAGMA busy_timeout = 200")};
    case QSqlDriver::PostgreSQL:
        return {QStringLiteral("SET LOCAL lock_timeout = 200")};
    case QSqlDriver::DB2:
        return {QStringLiteral("SET CURRENT LOCK TIMEOUT 1")};
    default:
        return {};
    }
}

QStringList stavkiObicajnegaCakanja(QSqlDriver::DbmsType dbms)
{
    switch (dbms) {
    case QSqlDriver::SQLite:
        return {QStringLiteral("PRAGMA busy_timeout = 5000")};
    case QSqlDriver::DB2:
        return {QStringLiteral("SET CURRENT LOCK TIMEOUT NULL")};
    default:
        return {}; // SET LOCAL ends with the transaction
    }
}

QString stavekTocke(QSqlDriver::DbmsType dbms, const QString& ime)
{
    if (dbms == QSqlDriver::DB2)
        return QStringLiteral("SAVEPOINT ") + ime + QStringLiteral(" ON ROLLBACK RETAIN CURSORS");
    return QStringLiteral("SAVEPOINT ") + ime;
}

QString stavekNazajNaTocko(const QString& ime)
{
    return QStringLiteral("ROLLBACK TO SAVEPOINT ") + ime;
}

QString stavekSprostiTocko(const QString& ime)
{
    return QStringLiteral("RELEASE SAVEPOINT ") + ime;
}

QString stavekZaklepaRegistra(QSqlDriver::DbmsType dbms)
{
    if (dbms == QSqlDriver::SQLite)
        return {};
    return QStringLiteral("LOCK TABLE LEDGXFER IN EXCLUSIVE MODE");
}

namespace {

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

int sqliteKoda(const QSqlError& napaka)
{
    bool ok = false;
    const int koda = napaka.nativeErrorCode().toInt(&ok);
    return ok ? (koda & 0xff) : -1; // the primary code of an extended one
}

} // namespace

bool povezavaIzgubljena(const QSqlDatabase& baza)
{
    if (!baza.isOpen())
        return true;
    QSqlQuery q(baza);
    // DB2 refuses a SELECT without FROM as a statement: the connection answered.
    if (q.exec(QStringLiteral("SELECT 1")))
        return false;
    if (PGconn* c = pgnativno::povezava(baza))
        return PQstatus(c) == CONNECTION_BAD;
    // An ODBC driver knows whether its connection is dead (SQL_ATTR_CONNECTION_DEAD);
    // its statement's failure need not say so in its SQLSTATE.
    const QSqlDriver* gonilnik = baza.driver();
    if (gonilnik && qstrcmp(gonilnik->metaObject()->className(), "QODBCDriver") == 0) {
        const QVariant h = gonilnik->handle();
        if (h.isValid() && (qstrcmp(h.typeName(), "void*") == 0 || qstrcmp(h.typeName(), "SQLHANDLE") == 0)) {
            SQLHANDLE povezava = *static_cast<const SQLHANDLE*>(h.constData());
            SQLUINTEGER mrtva = SQL_CD_FALSE;
            if (povezava
                && SQL_SUCCEEDED(SQLGetConnectAttr(povezava, SQL_ATTR_CONNECTION_DEAD, &mrtva, 0, nullptr)))
                return mrtva == SQL_CD_TRUE;
        }
    }
    const QSqlError e = napakaStavka(q);
    return e.type() == QSqlError::ConnectionError || sqlState(e).startsWith(QStringLiteral("08"));
}

QSqlError napakaStavka(const QSqlQuery& q)
{
    const QSqlError e = q.lastError();
    const QSqlDriver* gonilnik = q.driver();
    if (!e.isValid() || !sqlState(e).isEmpty() || !gonilnik || !q.result()
        || qstrcmp(gonilnik->metaObject()->className(), "QODBCDriver") != 0)
        return e;
    const QVariant h = q.result()->handle();
    if (!h.isValid() || (qstrcmp(h.typeName(), "void*") != 0 && qstrcmp(h.typeName(), "SQLHANDLE") != 0))
        return e;
    SQLHANDLE stavek = *static_cast<const SQLHANDLE*>(h.constData());
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

bool jeZaklep(const QSqlError& napaka, QSqlDriver::DbmsType dbms)
{
    if (dbms == QSqlDriver::SQLite) {
        const int koda = sqliteKoda(napaka);
        return koda == 5 || koda == 6; // SQLITE_BUSY, SQLITE_LOCKED
    }
    const QString stanje = sqlState(napaka);
    // lock not available, deadlock, serialisation failure, timeouts (DB2 reports a
    // lock timeout as 40001 or 57033, ODBC as HYT00)
    return stanje == u"55P03" || stanje == u"40P01" || stanje == u"40001" || stanje == u"57033"
           || stanje == u"HYT00";
}

bool jeZavrnjenaVrednost(const QSqlError& napaka, QSqlDriver::DbmsType dbms)
{
    if (dbms == QSqlDriver::SQLite) {
        const int koda = sqliteKoda(napaka);
        return koda == 18 || koda == 19 || koda == 20; // TOOBIG, CONSTRAINT, MISMATCH
    }
    const QString stanje = sqlState(napaka);
    return stanje.startsWith(u"22") || stanje.startsWith(u"23");
}

QString besedilo(const QSqlError& napaka)
{
    QString t = napaka.databaseText().trimmed();
    const QString d = napaka.driverText().trimmed();
    if (t.isEmpty())
        return d;
    if (!d.isEmpty() && !t.contains(d))
        t = d + QStringLiteral(": ") + t;
    return t;
}

QString razlog(const QSqlError& napaka, QSqlDriver::DbmsType dbms)
{
    const QString t = besedilo(napaka);
    if (dbms != QSqlDriver::SQLite) {
        // insufficient_privilege: the role lacks a right the run needs.
        if (sqlState(napaka) == QLatin1String("42501"))
            return QStringLiteral("Uporabnik baze nima pravice, ki jo prenos potrebuje (razlog: ") + t + u')';
        return t;
    }
    switch (sqliteKoda(napaka)) {
    case 8: // SQLITE_READONLY
        return QStringLiteral("V bazo ni mogoče pisati (razlog: ") + t + u')';
    case 13: // SQLITE_FULL
        return qt_error_string(ENOSPC) + QStringLiteral(" (") + t + u')';
    case 10: // SQLITE_IOERR
        return qt_error_string(EIO) + QStringLiteral(" (") + t + u')';
    default:
        return t;
    }
}

bool beriSKazalcem(const QSqlDatabase& baza)
{
    return Pogon::za(baza)->beriSKazalcem();
}

bool enosmerniRezultatVzporedno(const QSqlDatabase& baza)
{
    return Pogon::za(baza)->enosmerniRezultatVzporedno();
}

QStringList datotekeBaze(const QSqlDatabase& baza)
{
    const QSqlDriver* d = baza.driver();
    if (!d || d->dbmsType() != QSqlDriver::SQLite)
        return {};
    const QString ime = QFileInfo(baza.databaseName()).canonicalFilePath();
    if (ime.isEmpty())
        return {};
    QStringList datoteke;
    for (const char* pripona : {"", "-wal", "-shm", "-journal"})
        datoteke << ime + QLatin1StringView(pripona);
    return datoteke;
}

} // namespace narecje

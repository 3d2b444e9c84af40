#include "rezultat.h"

#include "napaka.h"
#include "poizvedba.h"
#include "belezenje.h"
#include "narecje.h"
#include "isodatum.h"
#include "pgnativno.h"
#include "sqlitenativno.h"

#include <QDate>
#include <QRegularExpression>

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

#include <libpq-fe.h>
#include <sqlite3.h>

Rezultat::Rezultat(QObject* parent) : QObject(parent) {}

Rezultat::~Rezultat()
{
    if (m_sqlite)
        sqlite3_finalize(m_sqlite);
    if (m_pg)
        PQclear(m_pg);
}

void Rezultat::zapri()
{
    const bool bil = m_odprt;
    m_q.finish();
    m_q = QSqlQuery();
    if (m_sqlite)
        sqlite3_finalize(m_sqlite);
    m_sqlite = nullptr;
    if (m_pg)
        PQclear(m_pg);
    m_pg = nullptr;
    m_nacin = Nacin::Gonilnik;
    m_pgVrstica = 0;
    m_pgPred = 0;
    m_pred = 0;
    m_imena.clear();
    m_dolzine.clear();
    m_vrstica = -1;
    m_konec = false;
    m_napaka.clear();
    if (!m_kazalec.isEmpty()) {
        // A rolled-back transaction has closed the cursor already.
        QSqlQuery zapiranje(m_db);
        if (!zapiranje.exec(QStringLiteral("CLOSE ledgxfer_kazalec")))
            qCDebug(lcDb).noquote() << "CLOSE ledgxfer_kazalec:" << zapiranje.lastError().text();
        m_kazalec.clear();
        m_db = QSqlDatabase();
    }
    m_odprt = false;
    m_samoNaprej = false;
    m_stVrstic = -1;
    m_prikaz.clear();
    if (bil)
        emit spremenjen();
}

void Rezultat::odpri(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri,
                     bool samoNaprej)
{
    zapri();
    if (samoNaprej && odpriSqlite(db, sql, parametri)) {
        m_odprt = true;
        m_samoNaprej = true;
        emit spremenjen();
        return;
    }
    QSqlQuery q(db);
    q.setForwardOnly(samoNaprej);
    const QString prevedeno = prevediZa(db, sql);
    bool ok;
    if (parametri.isEmpty()) {
        ok = q.exec(prevedeno);
    } else {
        ok = q.prepare(prevedeno);
        if (ok) {
            vezi(q, prevedeno, parametri);
            ok = q.exec();
        }
    }
    if (!ok || !q.isSelect()) {
        const QSqlError e = q.lastError();
        throw Napaka(e.databaseText().isEmpty() ? e.text() : e.databaseText());
    }
    m_q = std::move(q);
    m_odprt = true;
    m_samoNaprej = samoNaprej;
    m_q.first();
    emit spremenjen();
}

bool Rezultat::odpriSqlite(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri)
{
    sqlite3* povezava = sqlitenativno::povezava(db);
    if (!povezava)
        return false;
    const QString prevedeno = prevediZa(db, sql);
    sqlite3_stmt* stavek = nullptr;
    if (sqlite3_prepare16_v2(povezava, prevedeno.utf16(), int(prevedeno.size() * sizeof(char16_t)), &stavek,
                             nullptr)
            != SQLITE_OK
        || !stavek) {
        const QString napaka = QString::fromUtf8(sqlite3_errmsg(povezava));
        sqlite3_finalize(stavek);
        throw Napaka(napaka);
    }
    if (sqlite3_column_count(stavek) == 0) {
        sqlite3_finalize(stavek);
        throw Napaka(QStringLiteral("Stavek ne vrne vrstic"));
    }
    // Parameters are matched by name without regard to case, as for the driver.
    for (int i = 1; i <= sqlite3_bind_parameter_count(stavek); ++i) {
        const char* ime = sqlite3_bind_parameter_name(stavek, i);
        if (!ime || (ime[0] != ':' && ime[0] != '@' && ime[0] != '$'))
            continue;
        const QString kljuc = QString::fromUtf8(ime + 1);
        for (auto it = parametri.constBegin(); it != parametri.constEnd(); ++it) {
            if (it.key().compare(kljuc, Qt::CaseInsensitive) == 0) {
                sqlitenativno::vezi(stavek, i, it.value());
                break;
            }
        }
    }
    m_sqlite = stavek;
    m_nacin = Nacin::Sqlite;
    for (int i = 0; i < sqlite3_column_count(stavek); ++i) {
        const auto* ime = static_cast<const char16_t*>(sqlite3_column_name16(stavek, i));
        m_imena << QString::fromUtf16(ime).remove(u'"');
        m_dolzine << -1;
    }
    // The first row is read at once, as the driver does: a statement that fails there
    // fails to open.
    if (!korakSqlite() && !m_napaka.isEmpty()) {
        const QString napaka = m_napaka;
        zapri();
        throw Napaka(napaka);
    }
    return true;
}

bool Rezultat::korakSqlite()
{
    if (m_konec)
        return false;
    const int izid = sqlite3_step(m_sqlite);
    if (izid == SQLITE_ROW) {
        ++m_vrstica;
        return true;
    }
    m_konec = true;
    if (izid != SQLITE_DONE)
        m_napaka = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_sqlite)));
    return false;
}

bool Rezultat::skupinaPG()
{
    if (m_konec)
        return false;
    if (m_pg) {
        m_pgPred += PQntuples(m_pg);
        PQclear(m_pg);
        m_pg = nullptr;
    }
    m_pgVrstica = 0;
    PGconn* c = pgnativno::povezava(m_db);
    if (!c && pgnativno::imaRocaj(m_db)) {
        // The connection is there but not free for a statement of ours now (the driver
        // is reading a result on it): the driver fetches the rest of the cursor.
        qCInfo(lcDb).noquote() << "Kazalec se po" << m_pgPred << "vrsticah bere naprej skozi gonilnik";
        m_nacin = Nacin::Gonilnik;
        m_pred = m_pgPred;
        m_imena.clear();
        m_dolzine.clear();
        m_q = QSqlQuery(m_db);
        return naslednjaSkupina();
    }
    if (!c) {
        m_konec = true;
        m_napaka = QStringLiteral("Povezava z bazo ni več odprta");
        return false;
    }
    m_pg = PQexec(c, m_kazalec.toUtf8().constData());
    if (PQresultStatus(m_pg) != PGRES_TUPLES_OK) {
        m_konec = true;
        m_napaka = pgnativno::besediloNapake(c, m_pg);
        return false;
    }
    if (PQntuples(m_pg) == 0) {
        m_konec = true;
        return false;
    }
    m_vrstica = m_pgPred;
    return true;
}

namespace {

// A date or an integer as a literal of a statement; anything else is refused, so that
// no text ever reaches a statement unquoted.
QString literal(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return QStringLiteral("DATE '") + v.toDate().toString(Qt::ISODate) + u'\'';
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    default:
        throw Napaka(QStringLiteral("Vrednosti vrste %1 ni mogoče vpisati v kazalec").arg(QString::fromLatin1(v.typeName())));
    }
}

} // namespace

void Rezultat::odpriKazalec(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, int vSkupini)
{
    zapri();
    QString prevedeno = prevediZa(db, sql);
    for (auto it = parametri.constBegin(); it != parametri.constEnd(); ++it) {
        const QRegularExpression re(QStringLiteral(":%1\\b").arg(QRegularExpression::escape(it.key())),
                                    QRegularExpression::CaseInsensitiveOption);
        prevedeno.replace(re, literal(it.value()));
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("DECLARE ledgxfer_kazalec NO SCROLL CURSOR FOR ") + prevedeno))
        throw Napaka(narecje::besedilo(q.lastError()));
    q.finish();
    m_db = db;
    m_kazalec = QStringLiteral("FETCH FORWARD %1 FROM ledgxfer_kazalec").arg(vSkupini);
    m_odprt = true;
    m_samoNaprej = true;
    // The groups come on the driver's own connection where every column is of a type
    // read here, so that no value becomes a QVariant unless asked for.
    if (PGconn* c = pgnativno::povezava(db)) {
        PGresult* opis = PQdescribePortal(c, "ledgxfer_kazalec");
        bool znani = PQresultStatus(opis) == PGRES_COMMAND_OK;
        for (int i = 0; znani && i < PQnfields(opis); ++i)
            znani = pgnativno::znanTip(PQftype(opis, i));
        if (znani) {
            for (int i = 0; i < PQnfields(opis); ++i) {
                m_imena << QString::fromUtf8(PQfname(opis, i));
                m_dolzine << pgnativno::dolzina(opis, i);
            }
        }
        PQclear(opis);
        if (znani) {
            m_nacin = Nacin::PostgreSQL;
            if (!skupinaPG() && !m_napaka.isEmpty()) {
                const QString napaka = narecje::besedilo(
                    QSqlError(QStringLiteral("QPSQL: Unable to create query"), m_napaka, QSqlError::StatementError));
                zapri();
                throw Napaka(napaka);
            }
            emit spremenjen();
            return;
        }
    }
    m_q = QSqlQuery(db);
    if (!naslednjaSkupina() && m_q.lastError().isValid()) {
        const QString napaka = narecje::besedilo(m_q.lastError());
        zapri();
        throw Napaka(napaka);
    }
    emit spremenjen();
}

bool Rezultat::naslednjaSkupina()
{
    // The whole group is fetched into memory (not streamed row by row), so that other
    // statements may run on the connection while it is read.
    m_q.setForwardOnly(false);
    if (!m_q.exec(m_kazalec))
        return false;
    return m_q.first();
}

int Rezultat::steviloStolpcev() const
{
    if (nativno())
        return int(m_imena.size());
    return m_odprt ? m_q.record().count() : 0;
}

QString Rezultat::imeStolpca(int stolpec) const
{
    if (nativno())
        return m_imena.value(stolpec);
    return m_odprt ? m_q.record().fieldName(stolpec) : QString();
}

int Rezultat::indeksStolpca(const QString& ime) const
{
    if (nativno()) {
        for (qsizetype i = 0; i < m_imena.size(); ++i)
            if (m_imena.at(i).compare(ime, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    }
    return m_odprt ? m_q.record().indexOf(ime) : -1;
}

int Rezultat::dolzinaStolpca(int stolpec) const
{
    if (!m_odprt)
        return -1;
    const int n = nativno() ? m_dolzine.value(stolpec, -1) : m_q.record().field(stolpec).length();
    return n > 0 ? n : -1;
}

bool Rezultat::prvi() { return m_odprt && !nativno() && m_q.first(); }
bool Rezultat::naslednji()
{
    if (!m_odprt)
        return false;
    if (m_nacin == Nacin::Sqlite)
        return korakSqlite();
    if (m_nacin == Nacin::PostgreSQL) {
        if (m_konec)
            return false;
        if (++m_pgVrstica < PQntuples(m_pg)) {
            ++m_vrstica;
            return true;
        }
        return skupinaPG();
    }
    const int pred = m_q.at();
    if (m_q.next())
        return true;
    if (m_kazalec.isEmpty())
        return false;
    // The rows of the group just read come before those of the next.
    if (pred >= 0)
        m_pred += pred + 1;
    return naslednjaSkupina();
}
bool Rezultat::zadnji() { return m_odprt && !m_samoNaprej && m_q.last(); }
bool Rezultat::prejsnji()
{
    if (!m_odprt || m_samoNaprej)
        return false;
    const int pred = m_q.at();
    if (pred <= 0)
        return false;
    return m_q.previous();
}
bool Rezultat::eof() const
{
    if (nativno())
        return m_konec;
    return !m_odprt || !m_q.isValid();
}
QString Rezultat::napaka() const
{
    if (nativno())
        return m_napaka;
    if (!m_odprt || !m_q.lastError().isValid())
        return {};
    const QSqlError e = m_q.lastError();
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

int Rezultat::trenutnaVrstica() const
{
    if (nativno())
        return m_konec ? int(QSql::AfterLastRow) : m_vrstica;
    return m_odprt ? polozajGonilnika() : -1;
}

int Rezultat::polozajGonilnika() const
{
    const int i = m_q.at();
    return i >= 0 ? m_pred + i : i;
}

QVariant Rezultat::polje(const QString& ime) const
{
    const int i = indeksStolpca(ime);
    if (i < 0)
        throw Napaka(QStringLiteral("Polje '%1' ne obstaja").arg(ime));
    return vrednostStolpca(i);
}

QVariant Rezultat::vrednostStolpca(int stolpec) const
{
    if (!nativno())
        return m_q.value(stolpec);
    if (m_konec || stolpec < 0 || stolpec >= m_imena.size())
        return {};
    if (m_nacin == Nacin::PostgreSQL)
        return pgnativno::vrednost(m_pg, m_pgVrstica, stolpec);
    // The types the driver gives for each of the engine's storage classes.
    switch (sqlite3_column_type(m_sqlite, stolpec)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_sqlite, stolpec)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_sqlite, stolpec));
    case SQLITE_BLOB: {
        const char* b = static_cast<const char*>(sqlite3_column_blob(m_sqlite, stolpec));
        return QVariant(QByteArray(b, sqlite3_column_bytes(m_sqlite, stolpec)));
    }
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    default: {
        const auto* t = static_cast<const QChar*>(sqlite3_column_text16(m_sqlite, stolpec));
        return QVariant(QString(t, sqlite3_column_bytes16(m_sqlite, stolpec) / int(sizeof(QChar))));
    }
    }
}

QString Rezultat::niz(int stolpec) const
{
    if (m_nacin == Nacin::PostgreSQL && !m_konec)
        return pgnativno::niz(m_pg, m_pgVrstica, stolpec);
    if (m_sqlite && !m_konec) {
        switch (sqlite3_column_type(m_sqlite, stolpec)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_TEXT: {
            const auto* t = static_cast<const QChar*>(sqlite3_column_text16(m_sqlite, stolpec));
            return QString(t, sqlite3_column_bytes16(m_sqlite, stolpec) / int(sizeof(QChar)));
        }
        default:
            break;
        }
    }
    return vrednostNiz(vrednostStolpca(stolpec));
}

qint64 Rezultat::celo(int stolpec) const
{
    if (m_nacin == Nacin::PostgreSQL && !m_konec)
        return pgnativno::celo(m_pg, m_pgVrstica, stolpec);
    if (m_sqlite && !m_konec) {
        switch (sqlite3_column_type(m_sqlite, stolpec)) {
        case SQLITE_NULL:
            return 0;
        case SQLITE_INTEGER:
            return sqlite3_column_int64(m_sqlite, stolpec);
        default:
            break;
        }
    }
    return vrednostCelo(vrednostStolpca(stolpec));
}

double Rezultat::realno(int stolpec) const
{
    if (m_nacin == Nacin::PostgreSQL && !m_konec)
        return pgnativno::realno(m_pg, m_pgVrstica, stolpec);
    if (m_sqlite && !m_konec) {
        switch (sqlite3_column_type(m_sqlite, stolpec)) {
        case SQLITE_NULL:
            return 0.0;
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_sqlite, stolpec);
        default:
            break;
        }
    }
    // A value the engine gives as text is a number only when all of it is one: "1,50",
    // "abc" or "12.345.6" is not a number (NaN), never 0, so that the run refuses it.
    return vrednostZnesek(vrednostStolpca(stolpec));
}

bool Rezultat::jeNull(int stolpec) const
{
    return vrednostStolpca(stolpec).isNull();
}

QDate Rezultat::datum(int stolpec) const
{
    if (m_nacin == Nacin::PostgreSQL && !m_konec)
        return pgnativno::datum(m_pg, m_pgVrstica, stolpec);
    if (m_sqlite && !m_konec) {
        switch (sqlite3_column_type(m_sqlite, stolpec)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_TEXT: {
            // "yyyy-mm-dd" at the start, as the ISO reading of the first ten characters
            // takes it; any other text goes the general way.
            const auto* t = sqlite3_column_text(m_sqlite, stolpec);
            const int n = sqlite3_column_bytes(m_sqlite, stolpec);
            QDate d;
            if (n >= 10 && preberiIsoDatum(reinterpret_cast<const char*>(t), &d))
                return d;
            return {}; // a text that does not begin with the date is no date
        }
        default:
            break;
        }
    }
    return vrednostDatumKnjizbe(vrednostStolpca(stolpec));
}

int Rezultat::steviloVrstic()
{
    if (!m_odprt)
        return 0;
    if (m_stVrstic >= 0)
        return m_stVrstic;
    if (m_samoNaprej)
        return 0; // unknown: the caller counts and gives it
    const int velikost = m_q.size();
    if (velikost >= 0) {
        m_stVrstic = velikost;
        return m_stVrstic;
    }
    const int pozicija = m_q.at();
    if (m_q.last())
        m_stVrstic = m_q.at() + 1;
    else
        m_stVrstic = 0;
    if (pozicija >= 0)
        m_q.seek(pozicija);
    else
        m_q.first();
    return m_stVrstic;
}

QVariant Rezultat::vrednost(int vrstica, int stolpec)
{
    if (!m_odprt)
        return {};
    if (nativno())
        return vrstica == trenutnaVrstica() ? vrednostStolpca(stolpec) : QVariant();
    if (polozajGonilnika() == vrstica)
        return m_q.value(stolpec);
    if (m_samoNaprej)
        return {};
    const int pozicija = m_q.at();
    QVariant v;
    if (m_q.seek(vrstica))
        v = m_q.value(stolpec);
    if (pozicija >= 0)
        m_q.seek(pozicija);
    return v;
}

void Rezultat::nastaviPrikaz(const QString& polje, const PrikazPolja& prikaz)
{
    m_prikaz.insert(polje.toUpper(), prikaz);
}

PrikazPolja Rezultat::prikaz(int stolpec) const
{
    return m_prikaz.value(imeStolpca(stolpec).toUpper());
}

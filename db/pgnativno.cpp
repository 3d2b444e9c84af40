#include "pgnativno.h"

#include "belezenje.h"
#include "isodatum.h"
#include "napaka.h"
#include "narecje.h"
#include "poizvedba.h"

#include <QByteArray>
#include <QSqlDriver>
#include <QSqlError>
#include <QStringList>

#include <QDate>

#include <QScopeGuard>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <libpq-fe.h>

#include <poll.h>

namespace pgnativno {

namespace {

// The live Odzivnost objects, by connection (one thread uses a connection).
thread_local QList<Odzivnost*> t_odzivnosti;

Odzivnost* odzivnostPovezave(PGconn* c)
{
    for (Odzivnost* o : std::as_const(t_odzivnosti))
        if (o->povezava() == c)
            return o;
    return nullptr;
}

// PQexec, but where the connection has a call of its own (Odzivnost) the answer is
// waited for a few dozen milliseconds at a time, calling it between: the result is
// the one PQexec would give (the last one; null when the statement could not be sent).
PGresult* izvedi(PGconn* c, const char* sql)
{
    Odzivnost* o = odzivnostPovezave(c);
    if (!o)
        return PQexec(c, sql);
    if (!PQsendQuery(c, sql))
        return nullptr;
    while (PQisBusy(c)) {
        pollfd p{PQsocket(c), POLLIN, 0};
        if (p.fd < 0)
            break;
        const int n = ::poll(&p, 1, 40);
        if (n > 0 && !PQconsumeInput(c))
            break; // the connection failed: PQgetResult gives the reason
        if (n < 0 && errno != EINTR)
            break;
        o->osvezi();
    }
    PGresult* zadnji = nullptr;
    while (PGresult* r = PQgetResult(c)) {
        PQclear(zadnji);
        zadnji = r;
    }
    return zadnji;
}

// A statement of ours that failed, as the driver reports a statement it could not run.
Napaka napakaStavka(const QString& razlog)
{
    return Napaka(narecje::besedilo(
        QSqlError(QStringLiteral("QPSQL: Unable to create query"), razlog, QSqlError::StatementError)));
}

// Type OIDs of the server's catalogue (fixed since long before version 8).
enum : unsigned int {
    kChar = 18,
    kName = 19,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kBpchar = 1042,
    kVarchar = 1043,
    kDate = 1082,
    kNumeric = 1700,
};

bool jeCelo(unsigned int t) { return t == kInt2 || t == kInt4 || t == kInt8; }
bool jeRealno(unsigned int t) { return t == kFloat4 || t == kFloat8 || t == kNumeric; }
bool jeBesedilo(unsigned int t) { return t == kChar || t == kName || t == kText || t == kBpchar || t == kVarchar; }

QMetaType tipVrednosti(unsigned int t)
{
    if (t == kInt8)
        return QMetaType::fromType<qlonglong>();
    if (t == kInt2 || t == kInt4)
        return QMetaType::fromType<int>();
    if (jeRealno(t))
        return QMetaType::fromType<double>();
    if (t == kDate)
        return QMetaType::fromType<QDate>();
    return QMetaType::fromType<QString>();
}

} // namespace

nativno::Dokaz dokazKnjiznice(const QSqlDriver* gonilnik)
{
    return nativno::knjiznicaGonilnika(
        gonilnik, {{"PQexec", nativno::naslov(&PQexec)}, {"PQclientEncoding", nativno::naslov(&PQclientEncoding)}});
}

nativno::Dokaz prosta(PGconn* c)
{
    if (!c)
        return {false, QStringLiteral("ni povezave")};
    if (PQstatus(c) != CONNECTION_OK)
        return {true, QString()};
    switch (PQtransactionStatus(c)) {
    case PQTRANS_IDLE:
    case PQTRANS_INTRANS:
    case PQTRANS_INERROR: // our statement fails with the server's reason; nothing is lost
        break;
    case PQTRANS_ACTIVE:
        return {false, QStringLiteral("na povezavi teče stavek gonilnika, njegove vrstice še niso prebrane")};
    default: return {false, QStringLiteral("stanje povezave ni znano")};
    }
    if (PQisBusy(c))
        return {false, QStringLiteral("povezava čaka na rezultat")};
    const char* kodiranje = pg_encoding_to_char(PQclientEncoding(c));
    if (qstrcmp(kodiranje, "UTF8") != 0)
        return {false, QStringLiteral("kodiranje odjemalca je %1, ne UTF8").arg(QString::fromLatin1(kodiranje))};
    return {true, QString()};
}

namespace {

// The driver's handle, not yet proven to be usable.
PGconn* rocajGonilnika(const QSqlDatabase& baza)
{
    const QSqlDriver* d = baza.driver();
    if (!d || d->dbmsType() != QSqlDriver::PostgreSQL)
        return nullptr;
    const QVariant h = d->handle();
    // The driver names the type by its typedef or by the struct behind it.
    if (!h.isValid() || (qstrcmp(h.typeName(), "PGconn*") != 0 && qstrcmp(h.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(h.constData());
}

} // namespace

bool imaRocaj(const QSqlDatabase& baza) { return rocajGonilnika(baza) != nullptr; }

PGconn* povezava(const QSqlDatabase& baza)
{
    PGconn* c = rocajGonilnika(baza);
    if (!c || !nativno::dovoljeno() || !dokazKnjiznice(baza.driver()))
        return nullptr;
    if (const nativno::Dokaz p = prosta(c); !p) {
        qCInfo(lcDb).noquote() << "Povezava gre skozi gonilnik:" << p.razlog;
        return nullptr;
    }
    return c;
}

bool znanTip(unsigned int oid) { return jeCelo(oid) || jeRealno(oid) || jeBesedilo(oid) || oid == kDate; }

int dolzina(const PGresult* r, int stolpec)
{
    int n = PQfsize(r, stolpec);
    const int mod = PQfmod(r, stolpec);
    if (PQftype(r, stolpec) == kNumeric)
        return mod != -1 ? (mod >> 16) : n;
    // A variable-length type carries its declared length, plus a 4-byte header, in the modifier.
    if (n == -1 && mod >= 4)
        n = mod - 4;
    return n;
}

namespace {

// One value of a result in the server's text form, as libpq or COPY's text format
// hands it over: the column's type, the text (ended by a NUL) and its length.
struct Celica {
    unsigned int tip;
    const char* v;
    int n;
    bool nic;
};

Celica celica(const PGresult* r, int vrstica, int stolpec)
{
    return {PQftype(r, stolpec), PQgetvalue(r, vrstica, stolpec), PQgetlength(r, vrstica, stolpec),
            PQgetisnull(r, vrstica, stolpec) != 0};
}

QVariant vrednostCelice(const Celica& c)
{
    if (c.nic)
        return QVariant(tipVrednosti(c.tip));
    const char* v = c.v;
    switch (c.tip) {
    case kInt2:
    case kInt4: return QVariant(std::atoi(v));
    case kInt8: {
        const QByteArray b = QByteArray::fromRawData(v, qstrlen(v));
        return v[0] == '-' ? QVariant(b.toLongLong()) : QVariant(b.toULongLong());
    }
    case kFloat4:
    case kFloat8:
    case kNumeric: {
        bool ok = false;
        const double d = QByteArray::fromRawData(v, qstrlen(v)).toDouble(&ok);
        if (ok)
            return QVariant(d);
        if (qstricmp(v, "NaN") == 0)
            return QVariant(std::numeric_limits<double>::quiet_NaN());
        if (qstricmp(v, "Infinity") == 0)
            return QVariant(std::numeric_limits<double>::infinity());
        if (qstricmp(v, "-Infinity") == 0)
            return QVariant(-std::numeric_limits<double>::infinity());
        return QVariant();
    }
    case kDate: return QVariant(QDate::fromString(QString::fromLatin1(v), Qt::ISODate));
    default: return QVariant(QString::fromUtf8(v, c.n));
    }
}

QString nizCelice(const Celica& c)
{
    if (c.nic)
        return {};
    if (jeBesedilo(c.tip))
        return QString::fromUtf8(c.v, c.n);
    return vrednostNiz(vrednostCelice(c));
}

qint64 celoCelice(const Celica& c)
{
    if (c.nic)
        return 0;
    if (jeCelo(c.tip)) {
        qint64 n = 0;
        const auto [p, napaka] = std::from_chars(c.v, c.v + c.n, n);
        if (napaka == std::errc() && p == c.v + c.n)
            return n;
    }
    return vrednostCelo(vrednostCelice(c));
}

double realnoCelice(const Celica& c)
{
    if (c.nic)
        return 0.0;
    if (jeRealno(c.tip)) {
        // A plain decimal number; the server's "NaN" and "Infinity" go the general way.
        double d = 0;
        const auto [p, napaka] = std::from_chars(c.v, c.v + c.n, d);
        if (napaka == std::errc() && p == c.v + c.n && std::isfinite(d))
            return d;
    }
    return vrednostZnesek(vrednostCelice(c));
}

QDate datumCelice(const Celica& c)
{
    if (c.nic)
        return {};
    // "yyyy-mm-dd", exactly ten characters, as the server writes a date under
    // DateStyle ISO; BC and infinite dates go the general way.
    QDate d;
    if (c.tip == kDate && c.n == 10 && preberiIsoDatum(c.v, &d))
        return d;
    return vrednostDatumKnjizbe(vrednostCelice(c));
}

} // namespace

QVariant vrednost(const PGresult* r, int vrstica, int stolpec) { return vrednostCelice(celica(r, vrstica, stolpec)); }

QString niz(const PGresult* r, int vrstica, int stolpec) { return nizCelice(celica(r, vrstica, stolpec)); }

qint64 celo(const PGresult* r, int vrstica, int stolpec) { return celoCelice(celica(r, vrstica, stolpec)); }

double realno(const PGresult* r, int vrstica, int stolpec) { return realnoCelice(celica(r, vrstica, stolpec)); }

QDate datum(const PGresult* r, int vrstica, int stolpec) { return datumCelice(celica(r, vrstica, stolpec)); }

namespace {

// The columns of a reader as the server describes them: names and declared lengths.
class BralnikStolpcev : public Bralnik {
public:
    BralnikStolpcev(QStringList imena, QList<int> dolzine) : m_imena(std::move(imena)), m_dolzine(std::move(dolzine)) {}
    int steviloStolpcev() const override { return int(m_imena.size()); }
    QString imeStolpca(int stolpec) const override { return m_imena.value(stolpec); }
    int dolzinaStolpca(int stolpec) const override { return m_dolzine.value(stolpec, -1); }

protected:
    QStringList m_imena;
    QList<int> m_dolzine;
};

class BralnikKazalca final : public BralnikStolpcev {
public:
    BralnikKazalca(const QSqlDatabase& baza, const QString& fetch, QStringList imena, QList<int> dolzine)
        : BralnikStolpcev(std::move(imena), std::move(dolzine)), m_baza(baza), m_fetch(fetch.toUtf8())
    {
    }
    ~BralnikKazalca() override
    {
        if (m_pg)
            PQclear(m_pg);
    }

    bool naslednji() override
    {
        if (m_konec)
            return false;
        if (m_pg && ++m_pgVrstica < PQntuples(m_pg)) {
            ++m_vrstica;
            return true;
        }
        return skupina();
    }
    bool konec() const override { return m_konec; }
    int vrstica() const override { return m_konec ? int(QSql::AfterLastRow) : m_vrstica; }
    QString napaka() const override { return m_napaka; }
    std::optional<int> predajGonilniku() const override
    {
        return m_predaja ? std::optional<int>(m_pred) : std::nullopt;
    }

    QVariant vrednost(int stolpec) const override
    {
        if (m_konec || stolpec < 0 || stolpec >= m_imena.size())
            return {};
        return pgnativno::vrednost(m_pg, m_pgVrstica, stolpec);
    }
    QString niz(int stolpec) const override
    {
        return m_konec ? vrednostNiz(QVariant()) : pgnativno::niz(m_pg, m_pgVrstica, stolpec);
    }
    qint64 celo(int stolpec) const override
    {
        return m_konec ? vrednostCelo(QVariant()) : pgnativno::celo(m_pg, m_pgVrstica, stolpec);
    }
    double realno(int stolpec) const override
    {
        return m_konec ? vrednostZnesek(QVariant()) : pgnativno::realno(m_pg, m_pgVrstica, stolpec);
    }
    QDate datum(int stolpec) const override
    {
        return m_konec ? vrednostDatumKnjizbe(QVariant()) : pgnativno::datum(m_pg, m_pgVrstica, stolpec);
    }

    // The next group; false at the end, on a failure, or when it is the driver's to read.
    bool skupina()
    {
        if (m_pg) {
            m_pred += PQntuples(m_pg);
            PQclear(m_pg);
            m_pg = nullptr;
        }
        m_pgVrstica = 0;
        PGconn* c = povezava(m_baza);
        if (!c && imaRocaj(m_baza)) {
            // The connection is there but not free for a statement of ours now (the
            // driver is reading a result on it): the driver fetches the rest.
            qCInfo(lcDb).noquote() << "Kazalec se po" << m_pred << "vrsticah bere naprej skozi gonilnik";
            m_konec = true;
            m_predaja = true;
            return false;
        }
        if (!c) {
            m_konec = true;
            m_napaka = QStringLiteral("Povezava z bazo ni več odprta");
            return false;
        }
        m_pg = izvedi(c, m_fetch.constData());
        if (PQresultStatus(m_pg) != PGRES_TUPLES_OK) {
            m_konec = true;
            m_napaka = besediloNapake(c, m_pg);
            return false;
        }
        if (PQntuples(m_pg) == 0) {
            m_konec = true;
            return false;
        }
        m_vrstica = m_pred;
        return true;
    }

private:
    QSqlDatabase m_baza;
    QByteArray m_fetch;
    PGresult* m_pg = nullptr;
    int m_pgVrstica = 0; // the row in the group in hand
    int m_pred = 0;      // the rows of the groups before it
    int m_vrstica = -1;
    bool m_konec = false;
    bool m_predaja = false;
    QString m_napaka;
};

} // namespace

Odzivnost::Odzivnost(PGconn* povezava, std::function<void()> osvezi)
    : Pogon::Odzivnost(std::move(osvezi)), m_povezava(povezava)
{
    t_odzivnosti.append(this);
}

Odzivnost::~Odzivnost() { t_odzivnosti.removeOne(this); }

std::unique_ptr<Bralnik> bralnikKazalca(const QSqlDatabase& baza, const QString& ime, int vSkupini)
{
    PGconn* c = povezava(baza);
    if (!c)
        return nullptr;
    // The groups come on the driver's own connection where every column is of a type
    // read here, so that no value becomes a QVariant unless asked for.
    PGresult* opis = PQdescribePortal(c, ime.toUtf8().constData());
    bool znani = PQresultStatus(opis) == PGRES_COMMAND_OK;
    for (int i = 0; znani && i < PQnfields(opis); ++i)
        znani = znanTip(PQftype(opis, i));
    QStringList imena;
    QList<int> dolzine;
    if (znani) {
        for (int i = 0; i < PQnfields(opis); ++i) {
            imena << QString::fromUtf8(PQfname(opis, i));
            const int n = dolzina(opis, i);
            dolzine << (n > 0 ? n : -1);
        }
    }
    PQclear(opis);
    if (!znani)
        return nullptr;
    auto b = std::make_unique<BralnikKazalca>(baza, QStringLiteral("FETCH FORWARD %1 FROM %2").arg(vSkupini).arg(ime),
                                              std::move(imena), std::move(dolzine));
    if (!b->skupina() && !b->napaka().isEmpty())
        throw napakaStavka(b->napaka());
    return b;
}

namespace {

// Waits up to 40 ms for input on the second connection `c` and reads it; where none
// came, calls the window of the run's connection `glavna` (the server sorts before the
// first row for seconds on a large book). False when the connection failed.
bool pocakajVhod(PGconn* c, PGconn* glavna)
{
    pollfd p{PQsocket(c), POLLIN, 0};
    if (p.fd < 0)
        return false;
    const int n = ::poll(&p, 1, 40);
    if (n < 0)
        return errno == EINTR;
    if (n == 0) {
        if (Odzivnost* o = odzivnostPovezave(glavna))
            o->osvezi();
        return true;
    }
    return PQconsumeInput(c) == 1;
}

// PQexec on a connection of the reader's own, keeping only the status and the reason.
struct Izid {
    bool ok;
    QString razlog;
};

Izid izvediNaSvoji(PGconn* c, const char* sql, ExecStatusType pricakovan = PGRES_COMMAND_OK)
{
    PGresult* r = PQexec(c, sql);
    const bool ok = PQresultStatus(r) == pricakovan;
    const QString razlog = ok ? QString() : QString::fromUtf8(PQerrorMessage(c)).trimmed();
    PQclear(r);
    return {ok, razlog};
}

// The rows of one statement, sent by the server with COPY ... TO STDOUT on a connection
// of the reader's own, one row at a time in COPY's text format.
class BralnikKopije final : public BralnikStolpcev {
public:
    BralnikKopije(PGconn* lastna, PGconn* glavna, QStringList imena, QList<int> dolzine, QList<unsigned int> tipi)
        : BralnikStolpcev(std::move(imena), std::move(dolzine)),
          m_c(lastna),
          m_glavna(glavna),
          m_tipi(std::move(tipi)),
          m_celice(m_imena.size())
    {
    }
    ~BralnikKopije() override
    {
        if (m_vrsticaCopy)
            PQfreemem(m_vrsticaCopy);
        // A reader closed before the end leaves its read-only transaction to the server,
        // which ends it with the connection.
        if (m_c)
            PQfinish(m_c);
    }

    bool naslednji() override
    {
        if (m_konec)
            return false;
        if (!vrstica_()) {
            m_konec = true;
            return false;
        }
        ++m_vrstica;
        return true;
    }
    bool konec() const override { return m_konec; }
    int vrstica() const override { return m_konec ? int(QSql::AfterLastRow) : m_vrstica; }
    QString napaka() const override { return m_napaka; }

    QVariant vrednost(int stolpec) const override
    {
        if (m_konec || stolpec < 0 || stolpec >= m_celice.size())
            return {};
        return vrednostCelice(m_celice.at(stolpec));
    }
    QString niz(int stolpec) const override
    {
        return m_konec || !imaStolpec(stolpec) ? vrednostNiz(QVariant()) : nizCelice(m_celice.at(stolpec));
    }
    qint64 celo(int stolpec) const override
    {
        return m_konec || !imaStolpec(stolpec) ? vrednostCelo(QVariant()) : celoCelice(m_celice.at(stolpec));
    }
    double realno(int stolpec) const override
    {
        return m_konec || !imaStolpec(stolpec) ? vrednostZnesek(QVariant()) : realnoCelice(m_celice.at(stolpec));
    }
    QDate datum(int stolpec) const override
    {
        return m_konec || !imaStolpec(stolpec) ? vrednostDatumKnjizbe(QVariant()) : datumCelice(m_celice.at(stolpec));
    }

private:
    bool imaStolpec(int stolpec) const { return stolpec >= 0 && stolpec < m_celice.size(); }

    // The next row into m_celice; false at the end of the data or on a failure.
    bool vrstica_()
    {
        if (m_vrsticaCopy) {
            PQfreemem(m_vrsticaCopy);
            m_vrsticaCopy = nullptr;
        }
        for (;;) {
            char* b = nullptr;
            const int n = PQgetCopyData(m_c, &b, 1);
            if (n > 0) {
                m_vrsticaCopy = b;
                return razcleni(b, n);
            }
            if (n == 0) {
                if (!pocakajVhod(m_c, m_glavna))
                    return koncajZNapako(nullptr);
                continue;
            }
            if (n == -2)
                return koncajZNapako(nullptr);
            // The end of the data: the COPY's own result says whether it was whole.
            PGresult* r = PQgetResult(m_c);
            const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
            if (!ok)
                return koncajZNapako(r);
            PQclear(r);
            while ((r = PQgetResult(m_c)))
                PQclear(r);
            PQfinish(m_c);
            m_c = nullptr;
            return false;
        }
    }

    bool koncajZNapako(PGresult* r)
    {
        if (!r)
            r = PQgetResult(m_c);
        m_napaka = besediloNapake(m_c, r);
        PQclear(r);
        qCWarning(lcDb).noquote() << "Branje vrstic na lastni povezavi ni uspelo po" << m_vrstica + 1
                                  << "vrsticah:" << m_napaka;
        PQfinish(m_c);
        m_c = nullptr;
        return false;
    }

    // Splits a row of COPY's text format into its fields, in place: each field's escapes
    // are undone and its end is marked with a NUL, where the tab or the newline was.
    bool razcleni(char* b, int n)
    {
        char* p = b;
        char* const konec = b + n;
        for (qsizetype i = 0; i < m_celice.size(); ++i) {
            char* zacetek = p;
            char* pisi = p;
            while (p < konec && *p != '\t' && *p != '\n') {
                if (*p != '\\') {
                    *pisi++ = *p++;
                    continue;
                }
                if (++p == konec)
                    break;
                const char z = *p++;
                switch (z) {
                case 'b': *pisi++ = '\b'; break;
                case 'f': *pisi++ = '\f'; break;
                case 'n': *pisi++ = '\n'; break;
                case 'r': *pisi++ = '\r'; break;
                case 't': *pisi++ = '\t'; break;
                case 'v': *pisi++ = '\v'; break;
                case 'N':
                    if (pisi == zacetek && (p == konec || *p == '\t' || *p == '\n')) {
                        m_celice[i] = {m_tipi.at(i), "", 0, true};
                        pisi = nullptr;
                    } else {
                        *pisi++ = 'N';
                    }
                    break;
                case 'x': {
                    int v = 0, k = 0;
                    for (; k < 2 && p < konec && std::isxdigit(static_cast<unsigned char>(*p)); ++k, ++p)
                        v = v * 16 + (std::isdigit(static_cast<unsigned char>(*p)) ? *p - '0' : (*p | 0x20) - 'a' + 10);
                    *pisi++ = k ? char(v) : 'x';
                    break;
                }
                default:
                    if (z >= '0' && z <= '7') {
                        int v = z - '0';
                        for (int k = 1; k < 3 && p < konec && *p >= '0' && *p <= '7'; ++k, ++p)
                            v = v * 8 + (*p - '0');
                        *pisi++ = char(v & 0xff);
                    } else {
                        *pisi++ = z;
                    }
                }
                if (!pisi)
                    break;
            }
            // The field's end: the tab or newline after it, which its NUL may overwrite.
            const char locilo = p < konec ? *p : '\0';
            if (pisi) {
                *pisi = '\0';
                m_celice[i] = {m_tipi.at(i), zacetek, int(pisi - zacetek), false};
            }
            const bool zadnji = i + 1 == m_celice.size();
            if (p == konec || (locilo == '\n') != zadnji) {
                m_napaka = QStringLiteral("Vrstica %1 ima %2 polj namesto %3")
                               .arg(m_vrstica + 2)
                               .arg(i + 1)
                               .arg(m_celice.size());
                qCWarning(lcDb).noquote() << m_napaka;
                return false;
            }
            ++p;
        }
        return true;
    }

    PGconn* m_c;
    PGconn* m_glavna; // the run's connection, only to find its Odzivnost
    QList<unsigned int> m_tipi;
    QList<Celica> m_celice;
    char* m_vrsticaCopy = nullptr;
    int m_vrstica = -1;
    bool m_konec = false;
    QString m_napaka;
};

} // namespace

std::unique_ptr<Bralnik> bralnikPosnetka(const QSqlDatabase& baza, const QString& sql)
{
    PGconn* c = povezava(baza);
    if (!c || PQtransactionStatus(c) != PQTRANS_INTRANS)
        return nullptr;
    const auto neVzporedno = [](const QString& razlog) {
        qCInfo(lcDb).noquote() << "Vrstice se berejo s kazalcem:" << razlog;
        return nullptr;
    };
    if (PQserverVersion(c) < 100000)
        return neVzporedno(QStringLiteral("strežnik je starejši od različice 10"));

    // The settings that decide how the server writes a value, taken over exactly: the
    // values read on the second connection are those the run's own would give.
    static const char* const kNastavitve[] = {"DateStyle", "IntervalStyle", "extra_float_digits", "search_path",
                                              "TimeZone"};
    PGresult* r = izvedi(c, "SELECT current_setting('transaction_isolation'), current_setting('DateStyle'), "
                            "current_setting('IntervalStyle'), current_setting('extra_float_digits'), "
                            "current_setting('search_path'), current_setting('TimeZone'), "
                            "txid_current_if_assigned() IS NULL");
    if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1) {
        const QString razlog = besediloNapake(c, r);
        PQclear(r);
        throw napakaStavka(razlog);
    }
    const QByteArray izolacija = PQgetvalue(r, 0, 0);
    QList<QByteArray> vrednosti;
    for (int i = 1; i <= int(std::size(kNastavitve)); ++i)
        vrednosti << QByteArray(PQgetvalue(r, 0, i));
    const bool nicSpremenjeno = qstrcmp(PQgetvalue(r, 0, PQnfields(r) - 1), "t") == 0;
    PQclear(r);
    // Only a transaction that keeps one snapshot can hand it to another connection, and
    // the other connection would not see what the transaction itself has written.
    if (izolacija != "repeatable read" && izolacija != "serializable")
        return neVzporedno(QStringLiteral("izolacija transakcije je %1").arg(QString::fromLatin1(izolacija)));
    if (!nicSpremenjeno)
        return neVzporedno(QStringLiteral("transakcija je že pisala v bazo"));

    // The connection's own parameters (the password among them), with UTF-8 text.
    std::vector<QByteArray> kljuci, vrednostiPovezave;
    PQconninfoOption* moznosti = PQconninfo(c);
    for (PQconninfoOption* m = moznosti; m && m->keyword; ++m) {
        if (!m->val || !*m->val || qstrcmp(m->keyword, "client_encoding") == 0)
            continue;
        kljuci.emplace_back(m->keyword);
        vrednostiPovezave.emplace_back(m->val);
    }
    PQconninfoFree(moznosti);
    kljuci.emplace_back("client_encoding");
    vrednostiPovezave.emplace_back("UTF8");
    std::vector<const char*> k, v;
    for (size_t i = 0; i < kljuci.size(); ++i) {
        k.push_back(kljuci[i].constData());
        v.push_back(vrednostiPovezave[i].constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);

    r = izvedi(c, "SELECT pg_export_snapshot()");
    if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1) {
        // The run's transaction has failed with it: the run ends with the server's reason.
        const QString razlog = besediloNapake(c, r);
        PQclear(r);
        throw napakaStavka(razlog);
    }
    const QByteArray posnetek = PQgetvalue(r, 0, 0);
    PQclear(r);

    PGconn* d = PQconnectdbParams(k.data(), v.data(), 0);
    auto zavrzi = qScopeGuard([d] { PQfinish(d); });
    const auto razlogDruge = [d] { return QString::fromUtf8(PQerrorMessage(d)).trimmed(); };
    if (PQstatus(d) != CONNECTION_OK)
        return neVzporedno(QStringLiteral("druge povezave ni mogoče odpreti: ") + razlogDruge());

    const QByteArray zacetek = "BEGIN ISOLATION LEVEL " + izolacija.toUpper() + " READ ONLY";
    char* navedek = PQescapeLiteral(d, posnetek.constData(), size_t(posnetek.size()));
    const QByteArray uvoz = QByteArray("SET TRANSACTION SNAPSHOT ") + (navedek ? navedek : "''");
    PQfreemem(navedek);
    for (const QByteArray& stavek : {zacetek, uvoz}) {
        if (const Izid i = izvediNaSvoji(d, stavek.constData()); !i.ok)
            return neVzporedno(QStringLiteral("posnetka transakcije ni mogoče prevzeti: ") + i.razlog);
    }
    // A table lock the second connection would wait for can only be one that waits for
    // the run itself (a request for an exclusive lock queued behind the run's locks):
    // the wait is given up at once and the cursor of the run's own transaction used.
    // The one statement here lasts as long as the whole reading, the writing of the file
    // included: a server's limit on one statement, meant for the groups of a cursor, does
    // not apply to it.
    QByteArray nastavi = "SELECT set_config('lock_timeout', '200', true)";
    nastavi += ", set_config('statement_timeout', '0', true)";
    std::vector<const char*> parametri;
    for (size_t i = 0; i < std::size(kNastavitve); ++i) {
        nastavi +=
            ", set_config('" + QByteArray(kNastavitve[i]) + "', $" + QByteArray::number(qulonglong(i + 1)) + ", true)";
        parametri.push_back(vrednosti.at(qsizetype(i)).constData());
    }
    r = PQexecParams(d, nastavi.constData(), int(parametri.size()), nullptr, parametri.data(), nullptr, nullptr, 0);
    const bool nastavljeno = PQresultStatus(r) == PGRES_TUPLES_OK;
    PQclear(r);
    if (!nastavljeno)
        return neVzporedno(QStringLiteral("nastavitev ni mogoče prevzeti: ") + razlogDruge());

    // The columns, as the cursor's reader takes them: every type must be one read here.
    const QByteArray stavek = sql.toUtf8();
    r = PQprepare(d, "", stavek.constData(), 0, nullptr);
    const bool pripravljeno = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    if (!pripravljeno)
        return neVzporedno(QStringLiteral("stavka ni mogoče pripraviti: ") + razlogDruge());
    PGresult* opis = PQdescribePrepared(d, "");
    bool znani = PQresultStatus(opis) == PGRES_COMMAND_OK && PQnfields(opis) > 0;
    QStringList imena;
    QList<int> dolzine;
    QList<unsigned int> tipi;
    for (int i = 0; znani && i < PQnfields(opis); ++i) {
        znani = znanTip(PQftype(opis, i));
        imena << QString::fromUtf8(PQfname(opis, i));
        const int n = dolzina(opis, i);
        dolzine << (n > 0 ? n : -1);
        tipi << PQftype(opis, i);
    }
    PQclear(opis);
    if (!znani)
        return neVzporedno(QStringLiteral("stolpec vrste, ki se ne bere mimo gonilnika"));

    // The server announces the copy only with its first rows, after the sort: the
    // answer is waited for as the rows are, calling the run's window meanwhile.
    const QByteArray kopija = "COPY (" + stavek + ") TO STDOUT";
    bool kopiranje = PQsendQuery(d, kopija.constData()) == 1;
    while (kopiranje && PQisBusy(d))
        kopiranje = pocakajVhod(d, c);
    if (kopiranje) {
        r = PQgetResult(d);
        kopiranje = PQresultStatus(r) == PGRES_COPY_OUT;
        PQclear(r);
    }
    if (!kopiranje)
        return neVzporedno(QStringLiteral("kopiranja ni mogoče začeti: ") + razlogDruge());

    zavrzi.dismiss();
    auto b = std::make_unique<BralnikKopije>(d, c, std::move(imena), std::move(dolzine), std::move(tipi));
    // On the first row, as the cursor's reader: a failure of the statement is the run's.
    if (!b->naslednji() && !b->napaka().isEmpty())
        throw napakaStavka(b->napaka());
    qCInfo(lcDb).noquote() << "Vrstice se berejo na drugi povezavi s posnetkom" << posnetek;
    return b;
}

namespace {

QSqlError napakaPostgreSQL(PGconn* c, const PGresult* r, const QString& kaj)
{
    const char* stanje = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const char* sporocilo = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString besedilo = QString::fromUtf8(sporocilo ? sporocilo : PQerrorMessage(c)).trimmed();
    return QSqlError(kaj, besedilo, QSqlError::StatementError, QString::fromLatin1(stanje ? stanje : ""));
}

// One value in COPY's text format: \N for NULL, backslash escapes for the characters
// that end a field or a row. Numbers and dates are written without intermediate strings.
void dodajPolje(QByteArray& b, const QVariant& v)
{
    char stevke[32];
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const auto [konec, napaka] = std::to_chars(stevke, stevke + sizeof stevke, v.toLongLong());
        b.append(stevke, konec - stevke);
        return;
    }
    case QMetaType::Double: {
        // The shortest text that reads back as the same double.
        const double d = v.toDouble();
        if (std::isfinite(d)) {
            const auto [konec, napaka] = std::to_chars(stevke, stevke + sizeof stevke, d);
            b.append(stevke, konec - stevke);
        } else {
            b += QByteArray::number(d, 'g', 17);
        }
        return;
    }
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        char iso[10];
        if (!d.isValid())
            b += "\\N";
        else if (zapisiIsoDatum(d, iso))
            b.append(iso, sizeof iso);
        else
            b += d.toString(Qt::ISODate).toLatin1();
        return;
    }
    default: break;
    }
    if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isNull())) {
        b += "\\N";
        return;
    }
    const QByteArray besedilo = v.toString().toUtf8();
    const char* p = besedilo.constData();
    const char* const konec = p + besedilo.size();
    while (p < konec) {
        const char* q = p;
        while (q < konec && *q != '\\' && *q != '\t' && *q != '\n' && *q != '\r')
            ++q;
        b.append(p, q - p);
        if (q == konec)
            break;
        switch (*q) {
        case '\\': b += "\\\\"; break;
        case '\t': b += "\\t"; break;
        case '\n': b += "\\n"; break;
        default: b += "\\r"; break;
        }
        p = q + 1;
    }
}

} // namespace

Pogon::Kopiranje kopiraj(const QSqlDatabase& baza, const QString& tabela, const QString& stolpci,
                         const QList<QVariantList>& vrstice, QByteArray& medpomnilnik, QSqlError* napaka)
{
    PGconn* c = povezava(baza);
    if (!c && imaRocaj(baza))
        return Pogon::Kopiranje::Zasedeno;
    if (!c) {
        *napaka =
            QSqlError(QStringLiteral("COPY"), QStringLiteral("povezava ni več odprta"), QSqlError::ConnectionError);
        return Pogon::Kopiranje::Zavrnjeno;
    }
    medpomnilnik.clear();
    for (const QVariantList& v : vrstice) {
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (i)
                medpomnilnik += '\t';
            dodajPolje(medpomnilnik, v.at(i));
        }
        medpomnilnik += '\n';
    }
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(tabela, stolpci).toUtf8();
    PGresult* r = PQexec(c, sql.constData());
    if (PQresultStatus(r) != PGRES_COPY_IN) {
        *napaka = napakaPostgreSQL(c, r, QStringLiteral("COPY"));
        PQclear(r);
        return Pogon::Kopiranje::Zavrnjeno;
    }
    PQclear(r);
    const bool poslano = PQputCopyData(c, medpomnilnik.constData(), int(medpomnilnik.size())) == 1;
    if (PQputCopyEnd(c, poslano ? nullptr : "prekinjeno") != 1) {
        *napaka = napakaPostgreSQL(c, nullptr, QStringLiteral("COPY"));
        return Pogon::Kopiranje::Zavrnjeno;
    }
    bool ok = poslano;
    QSqlError prva;
    while ((r = PQgetResult(c))) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && ok) {
            ok = false;
            prva = napakaPostgreSQL(c, r, QStringLiteral("COPY"));
        }
        PQclear(r);
    }
    if (!ok)
        *napaka = prva.isValid() ? prva : napakaPostgreSQL(c, nullptr, QStringLiteral("COPY"));
    return ok ? Pogon::Kopiranje::Poslano : Pogon::Kopiranje::Zavrnjeno;
}

QString besediloNapake(PGconn* c, const PGresult* r)
{
    QString besedilo = QString::fromUtf8(PQerrorMessage(c));
    if (r) {
        const char* stanje = PQresultErrorField(r, PG_DIAG_SQLSTATE);
        besedilo += u'(' + QString::fromLatin1(stanje ? stanje : "") + u')';
    }
    return besedilo;
}

} // namespace pgnativno

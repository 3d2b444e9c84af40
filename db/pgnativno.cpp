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

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

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

QVariant vrednost(const PGresult* r, int vrstica, int stolpec)
{
    const unsigned int tip = PQftype(r, stolpec);
    if (PQgetisnull(r, vrstica, stolpec))
        return QVariant(tipVrednosti(tip));
    const char* v = PQgetvalue(r, vrstica, stolpec);
    switch (tip) {
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
    default: return QVariant(QString::fromUtf8(v, PQgetlength(r, vrstica, stolpec)));
    }
}

QString niz(const PGresult* r, int vrstica, int stolpec)
{
    if (PQgetisnull(r, vrstica, stolpec))
        return {};
    if (jeBesedilo(PQftype(r, stolpec)))
        return QString::fromUtf8(PQgetvalue(r, vrstica, stolpec), PQgetlength(r, vrstica, stolpec));
    return vrednostNiz(vrednost(r, vrstica, stolpec));
}

qint64 celo(const PGresult* r, int vrstica, int stolpec)
{
    if (PQgetisnull(r, vrstica, stolpec))
        return 0;
    if (jeCelo(PQftype(r, stolpec))) {
        const char* v = PQgetvalue(r, vrstica, stolpec);
        const char* konec = v + PQgetlength(r, vrstica, stolpec);
        qint64 n = 0;
        const auto [p, napaka] = std::from_chars(v, konec, n);
        if (napaka == std::errc() && p == konec)
            return n;
    }
    return vrednostCelo(vrednost(r, vrstica, stolpec));
}

double realno(const PGresult* r, int vrstica, int stolpec)
{
    if (PQgetisnull(r, vrstica, stolpec))
        return 0.0;
    if (jeRealno(PQftype(r, stolpec))) {
        // A plain decimal number; the server's "NaN" and "Infinity" go the general way.
        const char* v = PQgetvalue(r, vrstica, stolpec);
        const char* konec = v + PQgetlength(r, vrstica, stolpec);
        double d = 0;
        const auto [p, napaka] = std::from_chars(v, konec, d);
        if (napaka == std::errc() && p == konec && std::isfinite(d))
            return d;
    }
    return vrednostZnesek(vrednost(r, vrstica, stolpec));
}

QDate datum(const PGresult* r, int vrstica, int stolpec)
{
    if (PQgetisnull(r, vrstica, stolpec))
        return {};
    // "yyyy-mm-dd", exactly ten characters, as the server writes a date under
    // DateStyle ISO; BC and infinite dates go the general way.
    QDate d;
    if (PQftype(r, stolpec) == kDate && PQgetlength(r, vrstica, stolpec) == 10
        && preberiIsoDatum(PQgetvalue(r, vrstica, stolpec), &d))
        return d;
    return vrednostDatumKnjizbe(vrednost(r, vrstica, stolpec));
}

namespace {

class BralnikKazalca final : public Bralnik {
public:
    BralnikKazalca(const QSqlDatabase& baza, const QString& fetch, QStringList imena, QList<int> dolzine)
        : m_baza(baza), m_fetch(fetch.toUtf8()), m_imena(std::move(imena)), m_dolzine(std::move(dolzine))
    {
    }
    ~BralnikKazalca() override
    {
        if (m_pg)
            PQclear(m_pg);
    }

    int steviloStolpcev() const override { return int(m_imena.size()); }
    QString imeStolpca(int stolpec) const override { return m_imena.value(stolpec); }
    int dolzinaStolpca(int stolpec) const override { return m_dolzine.value(stolpec, -1); }

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
    QStringList m_imena;
    QList<int> m_dolzine;
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
        throw Napaka(narecje::besedilo(
            QSqlError(QStringLiteral("QPSQL: Unable to create query"), b->napaka(), QSqlError::StatementError)));
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

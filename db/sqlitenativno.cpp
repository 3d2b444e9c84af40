#include "sqlitenativno.h"

#include "belezenje.h"
#include "isodatum.h"
#include "napaka.h"
#include "narecje.h"
#include "poizvedba.h"

#include <QDate>
#include <QSqlDriver>
#include <QStringList>
#include <QVarLengthArray>

#include <sqlite3.h>

namespace sqlitenativno {

nativno::Dokaz dokaz(const QSqlDriver* gonilnik)
{
    nativno::Dokaz d = nativno::knjiznicaGonilnika(
        gonilnik, {{"sqlite3_open_v2", nativno::naslov(&sqlite3_open_v2)},
                   {"sqlite3_libversion_number", nativno::naslov(&sqlite3_libversion_number)}});
    if (!d) {
        // The versions, for the reader of the log: equal versions prove nothing, two
        // copies of one version are the usual case.
        QString razlog;
        if (const void* f = nativno::funkcijaGonilnika(gonilnik, "sqlite3_libversion_number", &razlog)) {
            const int gonilnikova = reinterpret_cast<int (*)()>(const_cast<void*>(f))();
            d.razlog +=
                QStringLiteral(" (SQLite gonilnika %1, programa %2)").arg(gonilnikova).arg(sqlite3_libversion_number());
        }
    }
    return d;
}

sqlite3* povezava(const QSqlDatabase& baza)
{
    const QSqlDriver* d = baza.driver();
    if (!d || d->dbmsType() != QSqlDriver::SQLite || !baza.isOpen())
        return nullptr;
    if (!nativno::dovoljeno() || !dokaz(d))
        return nullptr;
    const QVariant h = d->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

namespace {

// Text that is all ASCII is the same bytes in UTF-8 as the engine's own conversion from
// UTF-16 gives: such text is bound as UTF-8 and the engine has nothing to convert.
bool jeAscii(const char16_t* z, qsizetype n)
{
    char16_t vse = 0;
    for (qsizetype i = 0; i < n; ++i)
        vse |= z[i];
    return vse < 0x80;
}

bool jeAscii(const char* z, qsizetype n)
{
    unsigned char vse = 0;
    for (qsizetype i = 0; i < n; ++i)
        vse |= static_cast<unsigned char>(z[i]);
    return vse < 0x80;
}

int veziBesedilo(sqlite3_stmt* s, int mesto, const QString& besedilo)
{
    if (besedilo.isNull())
        return sqlite3_bind_null(s, mesto);
    const auto* z = reinterpret_cast<const char16_t*>(besedilo.utf16());
    if (jeAscii(z, besedilo.size())) {
        QVarLengthArray<char, 128> bajti(besedilo.size());
        for (qsizetype i = 0; i < besedilo.size(); ++i)
            bajti[i] = char(z[i]);
        return sqlite3_bind_text(s, mesto, bajti.constData(), int(bajti.size()), SQLITE_TRANSIENT);
    }
    return sqlite3_bind_text16(s, mesto, besedilo.utf16(), int(besedilo.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
}

} // namespace

int vezi(sqlite3_stmt* s, int mesto, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool: return sqlite3_bind_int64(s, mesto, v.toLongLong());
    case QMetaType::ULongLong: return sqlite3_bind_int64(s, mesto, sqlite3_int64(v.toULongLong()));
    case QMetaType::Double: return sqlite3_bind_double(s, mesto, v.toDouble());
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        if (!d.isValid())
            return sqlite3_bind_null(s, mesto);
        char iso[10];
        if (!zapisiIsoDatum(d, iso))
            return veziBesedilo(s, mesto, d.toString(Qt::ISODate));
        return sqlite3_bind_text(s, mesto, iso, sizeof iso, SQLITE_TRANSIENT);
    }
    case QMetaType::QString: return veziBesedilo(s, mesto, v.toString());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        if (b.isNull())
            return sqlite3_bind_null(s, mesto);
        return sqlite3_bind_blob(s, mesto, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    default: break;
    }
    if (v.isNull())
        return sqlite3_bind_null(s, mesto);
    return veziBesedilo(s, mesto, v.toString());
}

namespace {

class BralnikSqlite final : public Bralnik {
public:
    explicit BralnikSqlite(sqlite3_stmt* stavek) : m_stavek(stavek)
    {
        for (int i = 0; i < sqlite3_column_count(stavek); ++i) {
            const auto* ime = static_cast<const char16_t*>(sqlite3_column_name16(stavek, i));
            m_imena << QString::fromUtf16(ime).remove(u'"');
        }
    }
    ~BralnikSqlite() override { sqlite3_finalize(m_stavek); }

    int steviloStolpcev() const override { return int(m_imena.size()); }
    QString imeStolpca(int stolpec) const override { return m_imena.value(stolpec); }
    int dolzinaStolpca(int) const override { return -1; }

    bool naslednji() override
    {
        if (m_konec)
            return false;
        const int izid = sqlite3_step(m_stavek);
        if (izid == SQLITE_ROW) {
            ++m_vrstica;
            return true;
        }
        m_konec = true;
        if (izid != SQLITE_DONE)
            m_napaka = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stavek)));
        return false;
    }
    bool konec() const override { return m_konec; }
    int vrstica() const override { return m_konec ? int(QSql::AfterLastRow) : m_vrstica; }
    QString napaka() const override { return m_napaka; }

    QVariant vrednost(int stolpec) const override
    {
        if (m_konec || stolpec < 0 || stolpec >= m_imena.size())
            return {};
        // The types the driver gives for each of the engine's storage classes.
        switch (sqlite3_column_type(m_stavek, stolpec)) {
        case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(m_stavek, stolpec)));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stavek, stolpec));
        case SQLITE_BLOB: {
            const char* b = static_cast<const char*>(sqlite3_column_blob(m_stavek, stolpec));
            return QVariant(QByteArray(b, sqlite3_column_bytes(m_stavek, stolpec)));
        }
        case SQLITE_NULL: return QVariant(QMetaType::fromType<QString>());
        default: return QVariant(besedilo(stolpec));
        }
    }

    QString niz(int stolpec) const override
    {
        if (!m_konec) {
            switch (sqlite3_column_type(m_stavek, stolpec)) {
            case SQLITE_NULL: return {};
            case SQLITE_TEXT: return besedilo(stolpec);
            default: break;
            }
        }
        return vrednostNiz(vrednost(stolpec));
    }

    qint64 celo(int stolpec) const override
    {
        if (!m_konec) {
            switch (sqlite3_column_type(m_stavek, stolpec)) {
            case SQLITE_NULL: return 0;
            case SQLITE_INTEGER: return sqlite3_column_int64(m_stavek, stolpec);
            default: break;
            }
        }
        return vrednostCelo(vrednost(stolpec));
    }

    double realno(int stolpec) const override
    {
        if (!m_konec) {
            switch (sqlite3_column_type(m_stavek, stolpec)) {
            case SQLITE_NULL: return 0.0;
            case SQLITE_FLOAT: return sqlite3_column_double(m_stavek, stolpec);
            default: break;
            }
        }
        // A value the engine gives as text is a number only when all of it is one: "1,50",
        // "abc" or "12.345.6" is not a number (NaN), never 0, so that the run refuses it.
        return vrednostZnesek(vrednost(stolpec));
    }

    QDate datum(int stolpec) const override
    {
        if (!m_konec) {
            switch (sqlite3_column_type(m_stavek, stolpec)) {
            case SQLITE_NULL: return {};
            case SQLITE_TEXT: {
                // "yyyy-mm-dd" at the start, as the ISO reading of the first ten characters
                // takes it; any other text goes the general way.
                const auto* t = sqlite3_column_text(m_stavek, stolpec);
                const int n = sqlite3_column_bytes(m_stavek, stolpec);
                QDate d;
                if (n >= 10 && preberiIsoDatum(reinterpret_cast<const char*>(t), &d))
                    return d;
                return {}; // a text that does not begin with the date is no date
            }
            default: break;
            }
        }
        return vrednostDatumKnjizbe(vrednost(stolpec));
    }

private:
    QString besedilo(int stolpec) const
    {
        // ASCII text in the engine's UTF-8 is taken as it is; any other goes through the
        // engine's conversion to UTF-16, as the driver reads it.
        if (const auto* z = reinterpret_cast<const char*>(sqlite3_column_text(m_stavek, stolpec))) {
            const int n = sqlite3_column_bytes(m_stavek, stolpec);
            if (jeAscii(z, n))
                return QString::fromLatin1(z, n);
        }
        const auto* t = static_cast<const QChar*>(sqlite3_column_text16(m_stavek, stolpec));
        return QString(t, sqlite3_column_bytes16(m_stavek, stolpec) / int(sizeof(QChar)));
    }

    sqlite3_stmt* m_stavek;
    QStringList m_imena;
    int m_vrstica = -1;
    bool m_konec = false;
    QString m_napaka;
};

} // namespace

std::unique_ptr<Bralnik> bralnik(sqlite3* baza, const QString& sql, const QVariantMap& parametri)
{
    sqlite3_stmt* stavek = nullptr;
    if (sqlite3_prepare16_v2(baza, sql.utf16(), int(sql.size() * sizeof(char16_t)), &stavek, nullptr) != SQLITE_OK
        || !stavek) {
        const QString napaka = QString::fromUtf8(sqlite3_errmsg(baza));
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
                vezi(stavek, i, it.value());
                break;
            }
        }
    }
    auto b = std::make_unique<BralnikSqlite>(stavek);
    // The first row is read at once, as the driver does: a statement that fails there
    // fails to open.
    if (!b->naslednji() && !b->napaka().isEmpty())
        throw Napaka(b->napaka());
    return b;
}

VnosVrstice::VnosVrstice(sqlite3* baza, const QString& sql) : m_baza(baza)
{
    if (sqlite3_prepare_v2(m_baza, sql.toUtf8().constData(), -1, &m_stavek, nullptr) != SQLITE_OK) {
        const QSqlError e = napaka(m_baza, QStringLiteral("INSERT"));
        sqlite3_finalize(m_stavek);
        throw Napaka(narecje::besedilo(e));
    }
}

VnosVrstice::~VnosVrstice() { sqlite3_finalize(m_stavek); }

QSqlError VnosVrstice::vstavi(const QVariantList& v)
{
    int izid = SQLITE_OK;
    for (qsizetype i = 0; i < v.size() && izid == SQLITE_OK; ++i)
        izid = vezi(m_stavek, int(i) + 1, v.at(i));
    if (izid == SQLITE_OK)
        izid = sqlite3_step(m_stavek);
    // On an error the step's reset gives back the statement's result code; SQLite
    // undoes a failed statement by itself and the transaction goes on.
    const QSqlError e = izid == SQLITE_DONE ? QSqlError() : napaka(m_baza, QStringLiteral("INSERT"));
    sqlite3_reset(m_stavek);
    sqlite3_clear_bindings(m_stavek);
    return e;
}

Odzivnost::Odzivnost(const QSqlDatabase& baza, std::function<void()> osvezi)
    : Pogon::Odzivnost(std::move(osvezi)), m_baza(baza), m_povezava(povezava(baza))
{
    if (m_povezava)
        sqlite3_progress_handler(m_povezava, 1000, &Odzivnost::klic, this);
}

Odzivnost::~Odzivnost()
{
    // A connection closed meanwhile took its handler with it; its handle is gone.
    if (m_povezava && povezava(m_baza) == m_povezava)
        sqlite3_progress_handler(m_povezava, 0, nullptr, nullptr);
}

int Odzivnost::klic(void* jaz)
{
    static_cast<Odzivnost*>(jaz)->osvezi();
    return 0; // never interrupts the statement
}

int zadnjaKoda(sqlite3* baza) { return sqlite3_extended_errcode(baza); }

int kodaBesedila(const QString& besedilo)
{
    for (int koda : {SQLITE_BUSY, SQLITE_LOCKED, SQLITE_READONLY, SQLITE_IOERR, SQLITE_FULL})
        if (besedilo == QLatin1StringView(sqlite3_errstr(koda)))
            return koda;
    return -1;
}

bool vTransakciji(sqlite3* baza) { return sqlite3_get_autocommit(baza) == 0; }

QSqlError napaka(sqlite3* baza, const QString& kaj)
{
    const int koda = sqlite3_extended_errcode(baza);
    return QSqlError(kaj, QString::fromUtf8(sqlite3_errmsg(baza)), QSqlError::StatementError, QString::number(koda));
}

} // namespace sqlitenativno

#include "sqlitenativno.h"

#include "isodatum.h"

#include <QDate>
#include <QSqlDriver>

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
            d.razlog += QStringLiteral(" (SQLite gonilnika %1, programa %2)").arg(gonilnikova).arg(sqlite3_libversion_number());
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

int veziBesedilo(sqlite3_stmt* s, int mesto, const QString& besedilo)
{
    if (besedilo.isNull())
        return sqlite3_bind_null(s, mesto);
    return sqlite3_bind_text16(s, mesto, besedilo.utf16(), int(besedilo.size() * sizeof(char16_t)),
                               SQLITE_TRANSIENT);
}

} // namespace

int vezi(sqlite3_stmt* s, int mesto, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return sqlite3_bind_int64(s, mesto, v.toLongLong());
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(s, mesto, sqlite3_int64(v.toULongLong()));
    case QMetaType::Double:
        return sqlite3_bind_double(s, mesto, v.toDouble());
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        if (!d.isValid())
            return sqlite3_bind_null(s, mesto);
        char iso[10];
        if (!zapisiIsoDatum(d, iso))
            return veziBesedilo(s, mesto, d.toString(Qt::ISODate));
        return sqlite3_bind_text(s, mesto, iso, sizeof iso, SQLITE_TRANSIENT);
    }
    case QMetaType::QString:
        return veziBesedilo(s, mesto, v.toString());
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        if (b.isNull())
            return sqlite3_bind_null(s, mesto);
        return sqlite3_bind_blob(s, mesto, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    default:
        break;
    }
    if (v.isNull())
        return sqlite3_bind_null(s, mesto);
    return veziBesedilo(s, mesto, v.toString());
}

QSqlError napaka(sqlite3* baza, const QString& kaj)
{
    const int koda = sqlite3_extended_errcode(baza);
    return QSqlError(kaj, QString::fromUtf8(sqlite3_errmsg(baza)), QSqlError::StatementError,
                     QString::number(koda));
}

} // namespace sqlitenativno

#pragma once

#include "bralnik.h"
#include "nativno.h"
#include "pogon.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The SQLite driver's own connection, for the statements that go past the driver where
// it would convert every value of every row (the postings of a run, the adjustment
// rows). It is handed out only where the driver's plugin is proven to call the very
// SQLite library the program links (see nativno.h).
namespace sqlitenativno {

// The connection behind an open QSQLITE database, or null: for any other driver, where
// LEDGXFER_NATIVNO=0 forbids it, and where the driver's SQLite is not proven to be the
// program's (a second copy of the library, even of the same version, inside the plugin).
sqlite3* povezava(const QSqlDatabase& baza);

// The extended result code of the last call on the connection `baza` that failed.
int zadnjaKoda(sqlite3* baza);

// The engine's result code of a failure that the engine's own text `besedilo` names
// (busy, locked, read-only, I/O error, full), or -1.
int kodaBesedila(const QString& besedilo);

// Whether the connection `baza` is inside a transaction (not in autocommit mode).
bool vTransakciji(sqlite3* baza);

// Whether the driver's plugin calls the SQLite library the program links: the same
// sqlite3_open_v2 and sqlite3_libversion_number, resolved through the plugin and
// through the program. The reason names both libraries and versions where they differ.
nativno::Dokaz dokaz(const QSqlDriver* gonilnik);

// Binds a value the way the driver binds it: integers and doubles as numbers, a null
// or invalid value (null text, invalid date) as NULL, a date as "yyyy-MM-dd", anything
// else as its text. Returns SQLite's result code.
int vezi(sqlite3_stmt* stavek, int mesto, const QVariant& vrednost);

// A reader of a statement (fitted to SQLite already) stepped on the proven connection
// `baza`, its parameters bound by name without regard to case, as by the driver.
// Throws Napaka with the engine's text when it cannot be prepared, returns no rows, or
// fails on its first row.
std::unique_ptr<Bralnik> bralnik(sqlite3* baza, const QString& sql, const QVariantMap& parametri);

// The insert of one row at a time, prepared on the proven connection `baza`: binds
// the values as vezi does and steps; a refused row gives the engine's error (SQLite
// undoes the failed statement by itself). Throws Napaka when it cannot be prepared.
class VnosVrstice final : public Pogon::VnosVrstice {
public:
    VnosVrstice(sqlite3* baza, const QString& sql);
    ~VnosVrstice() override;
    VnosVrstice(const VnosVrstice&) = delete;
    VnosVrstice& operator=(const VnosVrstice&) = delete;
    QSqlError vstavi(const QVariantList& vrstica) override;

private:
    sqlite3* m_baza;
    sqlite3_stmt* m_stavek = nullptr;
};

// SQLite's progress handler on the proven connection of `baza` while the object lives:
// every thousand steps of the engine's program `osvezi` is called (never from inside
// itself). Removed again only from the same connection, still open.
class Odzivnost final : public Pogon::Odzivnost {
public:
    Odzivnost(const QSqlDatabase& baza, std::function<void()> osvezi);
    ~Odzivnost() override;

private:
    static int klic(void* jaz);
    QSqlDatabase m_baza;
    sqlite3* m_povezava;
};

// The connection's last error as the driver reports one: the engine's message and its
// result code as the native code.
QSqlError napaka(sqlite3* baza, const QString& kaj);

} // namespace sqlitenativno

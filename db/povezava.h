#pragma once

#include "aliasi.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

// Connections by database name. The one connection of the program (`Database1`) is
// registered under the alias the operator chose (`Baza`). A statement that names
// another database, such as the fixed name "LB", gets its own connection to that
// alias with the credentials of the aliases file.
namespace povezava {

// Why a connection was not opened.
enum class Neuspeh {
    NeznanAlias, // the aliases file has no such alias (or cannot be read)
    Gonilnik,    // the alias names a driver that is unknown or not installed
    NiBaze,      // the database (the SQLite file) is not there or is no database
    Zavrnjena,   // the server refused the user or the password
    Nedosegljiv, // the server cannot be reached
    Zaklenjena,  // the database is locked by another user
    Drugo,       // any other reason the database gives
};

// The outcome of opening a connection: open, or the kind of failure and its reason
// in the words of the aliases file, the driver or the database.
struct Izid {
    std::optional<Neuspeh> neuspeh;
    QString razlog;
    bool odprta() const { return !neuspeh; }
};

// As odpri, with the kind of a failure.
Izid odpriZIzidom(const QString& imePovezave, const QString& alias, const QString& uporabnik, const QString& geslo,
                  const Aliasi& aliasi = Aliasi::preberi());

// Opens a connection to alias `alias`, registered under `imePovezave`. Returns an
// empty text on success, else the reason (alias unknown, driver missing, login
// refused), which is also written to the log.
QString odpri(const QString& imePovezave, const QString& alias, const QString& uporabnik, const QString& geslo,
              const Aliasi& aliasi = Aliasi::preberi());

// Closes and removes the connection registered under `imePovezave`, if any.
void zapri(const QString& imePovezave);

// Closes every connection that this module opened.
void zapriVse();

// The connection for database name `ime`: the one registered under that name when it
// is open, else a new one to the alias `ime` with the aliases file's credentials (or
// the login's, see zapomniPrijavo). Throws Napaka with the reason when that cannot be
// opened.
QSqlDatabase zaIme(const QString& ime);

// The credentials of the login on alias `alias`. A second connection whose alias in
// the aliases file names no user of its own uses them only when that alias leads to
// the same server and database as `alias` (istiStreznik); to any other server the
// login's user and password are never sent.
void zapomniPrijavo(const QString& alias, const QString& uporabnik, const QString& geslo,
                    const Aliasi& aliasi = Aliasi::preberi());

// Whether `ime` names an open connection.
bool jeOdprta(const QString& ime);

} // namespace povezava

namespace povezava {
// Disconnects the connection registered under `ime` (it stays registered, so queries
// that still hold it fail cleanly instead of dangling).
void prekini(const QString& ime);
} // namespace povezava

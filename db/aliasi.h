#pragma once

#include <QMap>
#include <QString>
#include <optional>

// One alias of the aliases file: which driver, which database, and optional
// credentials for connections that get no login (a second connection to "LB").
struct Alias {
    QString ime;
    QString driver;   // sqlite | postgresql | odbc
    QString database; // sqlite: file (absolute, resolved against the file's folder)
    QString host;
    int port = 0;
    QString user;
    QString password;
    QMap<QString, QString> ostalo; // any further keys, lower-case names
};

// Whether two aliases lead to the same database server and database: the same driver,
// host (without regard to case), port (a PostgreSQL alias without one uses 5432) and
// database (an SQLite file by its canonical path). Credentials for one may be used for
// the other only then.
bool istiStreznik(const Alias& a, const Alias& b);

// The aliases file: $LEDGXFER_ALIASES, else "aliases.ini" in the application directory;
// an installed program looks in the user's configuration folder and then at
// /etc/ledgxfer/aliases.ini (see mesta.h).
QString potDoAliasov();

// Reads the aliases file at pot, an INI file as QSettings reads it: one section per
// alias, key names without regard to case, blanks around '=' ignored, a ';' outside
// quotes begins a comment. A value that holds ';', ',', '"' or '\' is written in double
// quotes, with '\\' and '\"' for a backslash and a quote inside. A missing or unreadable
// file yields no aliases; a value whose quote is never closed takes its alias out.
// Alias names are matched without regard to case, as the database engine does.
class Aliasi {
public:
    static Aliasi preberi(const QString& pot);
    static Aliasi preberi() { return preberi(potDoAliasov()); }
    std::optional<Alias> najdi(const QString& ime) const;

    // Where the aliases were read from, and why the file could not be read (empty when
    // it could), for the reason of a failed connection.
    const QString& pot() const { return m_pot; }
    const QString& napakaBranja() const { return m_napakaBranja; }

private:
    QMap<QString, Alias> m_aliasi; // key: upper-case name
    QString m_pot;
    QString m_napakaBranja;
};

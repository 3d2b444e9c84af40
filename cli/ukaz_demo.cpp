#include "jedro.h"
#include "napaka.h"
#include "povezava.h"
#include "ukazi.h"

#include <QCommandLineParser>
#include <QDate>

// ledgxfer-batch demo --database FILE --aliases FILE [--postings N]
// Makes the SQLite demo database and an aliases file with the alias LB leading to it,
// each only when missing.
// ledgxfer-batch demo --alias A [--user U --password P] [--postings N]
// Creates the core tables and the demo book in the empty database behind alias A
// (a PostgreSQL or ODBC database, for benchmarks and trials on a server).
int ukazDemo(const QStringList& argumenti, TerminalOkolje& okolje)
{
    QCommandLineParser p;
    p.addOption({QStringLiteral("database"), QStringLiteral("SQLite file of the demo database."),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("aliases"), QStringLiteral("Aliases file to write."),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("postings"), QStringLiteral("Number of postings (default 5000)."),
                 QStringLiteral("N"), QStringLiteral("5000")});
    p.addOption({QStringLiteral("alias"), QStringLiteral("Fill the empty database behind this alias."),
                 QStringLiteral("A")});
    p.addOption({QStringLiteral("user"), QStringLiteral("Database user."), QStringLiteral("U")});
    p.addOption({QStringLiteral("password"), QStringLiteral("Database password."), QStringLiteral("P")});
    if (!p.parse(QStringList{QStringLiteral("demo")} + argumenti)) {
        okolje.napaka(p.errorText());
        return 2;
    }
    if (!p.isSet(QStringLiteral("alias")) && (!p.isSet(QStringLiteral("database")) || !p.isSet(QStringLiteral("aliases")))) {
        okolje.napaka(QStringLiteral("Uporaba: ledgxfer-batch demo --database DATOTEKA --aliases DATOTEKA"));
        return 2;
    }
    bool ok = false;
    const int knjizb = p.value(QStringLiteral("postings")).toInt(&ok);
    if (!ok || knjizb < 0) {
        okolje.napaka(QStringLiteral("--postings ni nenegativno celo število: %1").arg(p.value(QStringLiteral("postings"))));
        return 2;
    }
    if (p.isSet(QStringLiteral("alias"))) {
        const QString alias = p.value(QStringLiteral("alias"));
        const QString napaka = povezava::odpri(alias, alias, p.value(QStringLiteral("user")),
                                               p.value(QStringLiteral("password")));
        if (!napaka.isEmpty()) {
            okolje.napaka(napaka);
            return 1;
        }
        try {
            QSqlDatabase db = QSqlDatabase::database(alias, false);
            ustvariJedrneTabele(db);
            napolniDemo(db, QDate::currentDate(), knjizb);
        } catch (const Napaka& e) {
            okolje.napaka(e.besedilo());
            povezava::zapriVse();
            return 1;
        }
        povezava::zapriVse();
        return 0;
    }
    const QString napaka = ustvariDemoBazo(p.value(QStringLiteral("database")),
                                           p.value(QStringLiteral("aliases")), QDate::currentDate(), knjizb);
    if (!napaka.isEmpty()) {
        okolje.napaka(napaka);
        return 1;
    }
    return 0;
}

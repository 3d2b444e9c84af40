#include "jedro.h"
#include "ukazi.h"

#include <QCommandLineParser>
#include <QDate>

// ledgxfer-batch demo --database FILE --aliases FILE [--postings N]
// Makes the SQLite demo database and an aliases file with the alias LB leading to it,
// each only when missing.
int ukazDemo(const QStringList& argumenti, TerminalOkolje& okolje)
{
    QCommandLineParser p;
    p.addOption({QStringLiteral("database"), QStringLiteral("SQLite file of the demo database."),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("aliases"), QStringLiteral("Aliases file to write."),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("postings"), QStringLiteral("Number of postings (default 5000)."),
                 QStringLiteral("N"), QStringLiteral("5000")});
    if (!p.parse(QStringList{QStringLiteral("demo")} + argumenti)) {
        okolje.napaka(p.errorText());
        return 2;
    }
    if (!p.isSet(QStringLiteral("database")) || !p.isSet(QStringLiteral("aliases"))) {
        okolje.napaka(QStringLiteral("Uporaba: ledgxfer-batch demo --database DATOTEKA --aliases DATOTEKA"));
        return 2;
    }
    bool ok = false;
    const int knjizb = p.value(QStringLiteral("postings")).toInt(&ok);
    if (!ok || knjizb < 0) {
        okolje.napaka(QStringLiteral("--postings ni nenegativno celo število: %1").arg(p.value(QStringLiteral("postings"))));
        return 2;
    }
    const QString napaka = ustvariDemoBazo(p.value(QStringLiteral("database")),
                                           p.value(QStringLiteral("aliases")), QDate::currentDate(), knjizb);
    if (!napaka.isEmpty()) {
        okolje.napaka(napaka);
        return 1;
    }
    return 0;
}

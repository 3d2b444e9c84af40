#include "napaka.h"
#include "povezava.h"
#include "prenososb.h"
#include "prijava.h"
#include "ukazi.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch parties --alias A --output PATH [--first N] [--last N] [--user U --password P]
// The party register export under alias A into PATH: all contracts, or the IdPog range
// from --first to --last when either is given (a missing --first counts as 0).
int ukazParties(const QStringList& argumenti, TerminalOkolje& okolje)
{
    QCommandLineParser p;
    p.addOption({QStringLiteral("alias"), QStringLiteral("Database alias."), QStringLiteral("A")});
    p.addOption({QStringLiteral("output"), QStringLiteral("The export file to write."), QStringLiteral("PATH")});
    p.addOption({QStringLiteral("first"), QStringLiteral("First IdPog of the range."), QStringLiteral("N")});
    p.addOption({QStringLiteral("last"), QStringLiteral("Last IdPog of the range."), QStringLiteral("N")});
    p.addOption({QStringLiteral("user"), QStringLiteral("Database user."), QStringLiteral("U")});
    p.addOption({QStringLiteral("password"), QStringLiteral("Database password."), QStringLiteral("P")});
    if (!p.parse(QStringList{QStringLiteral("parties")} + argumenti)) {
        okolje.napaka(p.errorText());
        return 2;
    }
    if (!p.isSet(QStringLiteral("alias")) || !p.isSet(QStringLiteral("output"))
        || !p.positionalArguments().isEmpty()) {
        okolje.napaka(QStringLiteral("Uporaba: ledgxfer-batch parties --alias A --output DATOTEKA"
                                     " [--first N] [--last N] [--user U --password P]"));
        return 2;
    }

    if (const auto zakaj = prazenIzhod(QStringLiteral("output"), p.value(QStringLiteral("output")))) {
        okolje.napaka(*zakaj);
        return 2;
    }

    const QString alias = p.value(QStringLiteral("alias"));
    PrenosOsb prenos;
    prenos.baza = alias;
    prenos.izhodnaPot = QDir::toNativeSeparators(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath());
    if ((p.isSet(QStringLiteral("user")) || p.isSet(QStringLiteral("password"))) && !prijaviSe(p, okolje)) {
        okolje.napaka(staraDatoteka(prenos.izhodnaPot));
        return 1;
    }
    prenos.obseg.izbrani = p.isSet(QStringLiteral("first")) || p.isSet(QStringLiteral("last"));
    prenos.obseg.prva = p.value(QStringLiteral("first"));
    prenos.obseg.zadnja = p.value(QStringLiteral("last"));
    int izid = 1;
    try {
        izid = prenesiOsb(okolje, prenos) ? 0 : 1;
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    }
    // The reason of a failure is in the log on standard error; the file is replaced
    // only by a complete export.
    if (izid != 0)
        okolje.napaka(staraDatoteka(prenos.izhodnaPot));
    povezava::zapriVse();
    return izid;
}

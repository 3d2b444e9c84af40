#include "napaka.h"
#include "povezava.h"
#include "prenososb.h"
#include "prijava.h"
#include "ukazi.h"

#include <QDir>
#include <QFileInfo>

// ledgxfer-batch parties --alias A --output PATH [--first N] [--last N] [--user U] [password options]
// The party register export under alias A into PATH: all contracts, or the IdPog range
// from --first to --last when either is given (a missing --first counts as 0).
int ukazParties(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica p(QStringLiteral("parties"),
                    QStringLiteral("Izvoz registra oseb pogodb pod aliasom --alias v datoteko --output, kot skriti "
                                   "ukaz \"Prenos OSB\":\nvse pogodbe ali obseg IdPog od --first do --last "
                                   "(manjkajoči --first šteje kot 0)."),
                    {QStringLiteral("ledgxfer-batch parties --alias LB --output OSB.TXT --first 1000 --last 1400")});
    p.dodajPrijavo();
    p.dodaj({{QStringLiteral("output")}, QStringLiteral("Datoteka izvoza."), QStringLiteral("POT")});
    p.dodaj({{QStringLiteral("first")}, QStringLiteral("Prvi IdPog obsega."), QStringLiteral("N")});
    p.dodaj({{QStringLiteral("last")}, QStringLiteral("Zadnji IdPog obsega."), QStringLiteral("N")});
    if (const auto koda = p.razcleni(argumenti, okolje, {QStringLiteral("alias"), QStringLiteral("output")}))
        return *koda;

    if (const auto zakaj = prazenIzhod(QStringLiteral("output"), p.value(QStringLiteral("output")))) {
        okolje.napaka(*zakaj);
        return 2;
    }

    const QString alias = p.value(QStringLiteral("alias"));
    PrenosOsb prenos;
    prenos.baza = alias;
    prenos.izhodnaPot = QDir::toNativeSeparators(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath());
    if ((p.isSet(QStringLiteral("user")) || p.imaGeslo()) && !prijaviSe(p, okolje)) {
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

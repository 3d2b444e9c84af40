#include "napaka.h"
#include "povezava.h"
#include "prenososb.h"
#include "prijava.h"
#include "ukazi.h"
#include "poti.h"
#include "moznosti.h"
#include "stevila.h"

#include <QDir>
#include <QFileInfo>

// ledgxfer-batch parties --alias A --output PATH [--first N] [--last N] [--user U] [password options]
// The party register export under alias A into PATH: all contracts, or the IdPog range
// from --first to --last when either is given (a missing --first counts as 0). Exit 3
// when no line was written (an empty or reversed range); 130 after SIGINT or SIGTERM,
// with the previous file left as it was.
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
        return kZavrnjeno;
    }

    // The range is read before anything else: a text that is no whole number is refused
    // with the message of the window and its true reason, on standard output.
    for (const char* meja : {"first", "last"}) {
        const QString ime = QString::fromLatin1(meja);
        if (p.isSet(ime) && !JePrazno(p.value(ime)) && !celoStevilo(p.value(ime))) {
            okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:pog"));
            okolje.sporocilo(QStringLiteral("--%1 ni celo število: %2").arg(ime, p.value(ime)));
            okolje.napaka(staraDatoteka(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath()));
            return kZavrnjeno;
        }
    }

    const QString alias = p.value(QStringLiteral("alias"));
    PrenosOsb prenos;
    prenos.baza = alias;
    prenos.izhodnaPot = QDir::toNativeSeparators(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath());
    if ((p.isSet(QStringLiteral("user")) || p.imaGeslo()) && !prijaviSe(p, okolje)) {
        okolje.napaka(staraDatoteka(prenos.izhodnaPot));
        return kNeuspesno;
    }
    prenos.obseg.izbrani = p.isSet(QStringLiteral("first")) || p.isSet(QStringLiteral("last"));
    prenos.obseg.prva = p.value(QStringLiteral("first"));
    prenos.obseg.zadnja = p.value(QStringLiteral("last"));
    int izid = kNeuspesno;
    try {
        if (const std::optional<int> vrstic = prenesiOsb(okolje, prenos)) {
            // An empty or reversed range writes no line: nothing to write.
            izid = *vrstic > 0 ? kOpravljeno : kZOpozorili;
        } else if (prenos.izid.ustavljen || TerminalOkolje::signalPrejet()) {
            izid = kUstavljenoSSignalom;
        }
        // The window's message said what failed; the reason follows it.
        if (izid == kNeuspesno || izid == kUstavljenoSSignalom) {
            if (!prenos.izid.razlog.isEmpty())
                okolje.sporocilo(prenos.izid.razlog);
        }
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    }
    // The file is replaced only by a complete export.
    if (izid == kNeuspesno || izid == kUstavljenoSSignalom)
        okolje.napaka(staraDatoteka(prenos.izhodnaPot));
    povezava::zapriVse();
    return izid;
}

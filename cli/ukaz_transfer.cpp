#include "batchokno.h"
#include "moznosti.h"
#include "napaka.h"
#include "povezava.h"
#include "prenos.h"
#include "rezultat.h"
#include "prijava.h"
#include "stevila.h"
#include "ukazi.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch transfer --alias A [--user U] [--password P | --password-stdin]
//                         --from YYYY-MM-DD --to YYYY-MM-DD --output PATH [--repeat N]
// The transfer run of the window, without a window: the same engine, the same
// messages (one per line); the exit code follows how the engine says the run ended.
int ukazTransfer(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica u(QStringLiteral("transfer"),
                    QStringLiteral("Prenese knjižbe z datumom knjiženja od --from do --to v datoteko glavne knjige "
                                   "--output,\nkot \"&Prenos podatkov\" v oknu: prejšnja datoteka postane varnostna "
                                   "kopija .OLD,\nnov prenos dobi naslednjo številko, označi knjižbe in se vpiše v "
                                   "register;\n--repeat N znova zapiše že registriran prenos N. SIGINT ali SIGTERM "
                                   "ustavi prenos\nkot \"&Konec\" (izhodna koda 130)."),
                    {QStringLiteral("ledgxfer-batch transfer --alias LB --user knjigovodja --password-stdin "
                                    "--from 2018-01-01 --to 2018-01-31 --output /srv/gk/GKDODAT2.TXT"),
                     QStringLiteral("LEDGXFER_PASSWORD=... ledgxfer-batch transfer --alias LB --from 2018-01-01 "
                                    "--to 2018-01-31 --output GKDODAT2.TXT --repeat 7")});
    u.dodajPrijavo();
    u.dodaj({{QStringLiteral("from")}, QStringLiteral("Prvi datum knjiženja."), QStringLiteral("LLLL-MM-DD")});
    u.dodaj({{QStringLiteral("to")}, QStringLiteral("Zadnji datum knjiženja."), QStringLiteral("LLLL-MM-DD")});
    u.dodaj({{QStringLiteral("output")}, QStringLiteral("Datoteka glavne knjige."), QStringLiteral("POT")});
    u.dodaj({{QStringLiteral("repeat")},
             QStringLiteral("Znova zapiše registrirani prenos N (0 ali prazno: nov prenos)."), QStringLiteral("N")});
    if (const auto koda = u.razcleni(argumenti, okolje,
                                     {QStringLiteral("alias"), QStringLiteral("from"), QStringLiteral("to"),
                                      QStringLiteral("output")}))
        return *koda;
    QDate datumi[2];
    const QString imena[2] = {QStringLiteral("from"), QStringLiteral("to")};
    for (int i = 0; i < 2; ++i) {
        datumi[i] = QDate::fromString(u.value(imena[i]), QStringLiteral("yyyy-MM-dd"));
        if (!datumi[i].isValid())
            return u.zavrni(okolje, QStringLiteral("--%1 ni veljaven datum (LLLL-MM-DD): %2")
                                        .arg(imena[i], u.value(imena[i])));
    }
    const QString pot = u.value(QStringLiteral("output"));
    if (pot.isEmpty() || QFileInfo(pot).isDir())
        return u.zavrni(okolje, QStringLiteral("--output ne imenuje datoteke: %1").arg(pot));
    // A typo in the number must never start a new transfer; which numbers a repeat
    // accepts is the run's own rule.
    QString stevilka = QStringLiteral("0");
    if (u.isSet(QStringLiteral("repeat"))) {
        const QString repeat = u.value(QStringLiteral("repeat"));
        if (!repeat.trimmed().isEmpty() && !celoStevilo(repeat))
            return u.zavrni(okolje, QStringLiteral("--repeat ni celo število: %1").arg(repeat));
        stevilka = repeat;
    }

    const QString alias = u.value(QStringLiteral("alias"));
    if (!prijaviSe(u, okolje))
        return kNeuspesno;

    BatchOkno okno;
    okno.stevilka = stevilka;
    Rezultat Q1;
    IzidPrenosa izid = IzidPrenosa::Neuspel;
    try {
        izid = Zapis({QDir::toNativeSeparators(pot), stevilka, datumi[0], datumi[1], alias}, Q1, okno, okolje);
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    } catch (const std::exception& e) {
        okolje.sporocilo(QString::fromUtf8(e.what()));
    }
    Q1.zapri();
    povezava::zapriVse();
    switch (izid) {
    case IzidPrenosa::Opravljen:
        return kOpravljeno;
    case IzidPrenosa::OpravljenZOpozorili:
    case IzidPrenosa::NiPodatkov:
        return kZOpozorili;
    case IzidPrenosa::Zavrnjen:
        return kZavrnjeno;
    case IzidPrenosa::Ustavljen:
    case IzidPrenosa::Neuspel:
        // A run that did not complete after SIGINT or SIGTERM was stopped by it.
        if (TerminalOkolje::signalPrejet())
            return kUstavljenoSSignalom;
        break;
    }
    return kNeuspesno;
}

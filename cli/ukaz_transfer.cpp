#include "batchokno.h"
#include "moznosti.h"
#include "napaka.h"
#include "povezava.h"
#include "prenos.h"
#include "register.h"
#include "rezultat.h"
#include "prijava.h"
#include "stevila.h"
#include "ukazi.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch transfer --alias A [--user U] [--password P | --password-stdin]
//                         [--from YYYY-MM-DD --to YYYY-MM-DD] --output PATH [--repeat N]
//                         [--allow-overlap]
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
             QStringLiteral("Znova zapiše registrirani prenos N (0 ali prazno: nov prenos) čez njegovo registrirano "
                            "obdobje;\nbrez --from in --to velja obdobje iz registra, drugačno obdobje je zavrnjeno."),
             QStringLiteral("N")});
    u.dodaj({{QStringLiteral("allow-overlap")},
             QStringLiteral("Nov prenos se izvede tudi, če se njegovo obdobje prekriva z registriranimi prenosi\nali "
                            "če knjižbe obdobja že nosijo številko prenosa (brez te možnosti je tak prenos "
                            "zavrnjen, koda 2)."),
             QString()});
    u.izhodneKode(
        QStringLiteral("Izhodne kode:\n"
                       "  0    opravljeno\n"
                       "  1    neuspešno (razlog je izpisan; baza in datoteka sta ostali nespremenjeni, razen kjer\n"
                       "       sporočilo pravi, da je prenos zapisan v bazi)\n"
                       "  2    zavrnjena raba (napačne ali manjkajoče možnosti, obdobje, ponovitev čez tuje obdobje,\n"
                       "       nov prenos čez registrirane prenose brez --allow-overlap)\n"
                       "  3    opravljeno z opozorili ali ni bilo česa zapisati\n"
                       "  4    izid ni znan: povezava z bazo je bila prekinjena med potrjevanjem in je ni bilo mogoče\n"
                       "       znova vzpostaviti; sporočilo pove, kateri prenos preverite, datoteka čaka ob izhodni\n"
                       "  130  ustavljeno s signalom (SIGINT, SIGTERM)\n"));
    if (const auto koda = u.razcleni(argumenti, okolje, {QStringLiteral("alias"), QStringLiteral("output")}))
        return *koda;
    std::optional<QDate> datumi[2];
    const QString imena[2] = {QStringLiteral("from"), QStringLiteral("to")};
    for (int i = 0; i < 2; ++i) {
        if (!u.isSet(imena[i]))
            continue;
        const QString vpisano = u.value(imena[i]);
        const QDate d = QDate::fromString(vpisano, QStringLiteral("yyyy-MM-dd"));
        // The whole text is the date: nothing before or after it.
        if (!d.isValid() || d.toString(QStringLiteral("yyyy-MM-dd")) != vpisano)
            return u.zavrni(okolje, QStringLiteral("--%1 ni veljaven datum (LLLL-MM-DD): %2").arg(imena[i], vpisano));
        datumi[i] = d;
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
    const bool ponovitev = celoStevilo(stevilka).value_or(0) != 0;
    if (!ponovitev && (!datumi[0] || !datumi[1]))
        return u.zavrni(okolje, QStringLiteral("Nov prenos potrebuje obdobje: --from in --to."));

    const QString alias = u.value(QStringLiteral("alias"));
    if (!prijaviSe(u, okolje))
        return kNeuspesno;

    // A repeat without a range takes the one registered for its transfer; a range that
    // is given must be that one, which the run checks.
    if (ponovitev && (!datumi[0] || !datumi[1])) {
        std::optional<VrsticaRegistra> vrstica;
        try {
            vrstica = najdiPrenos(alias, *celoStevilo(stevilka));
        } catch (const Napaka& e) {
            okolje.sporocilo(QStringLiteral("Registra prenosov ni mogoče brati: ") + e.besedilo());
            povezava::zapriVse();
            return kNeuspesno;
        }
        if (!vrstica) {
            okolje.sporocilo(QStringLiteral("Prenosa številka %1 ni v registru prenosov, zato ga ne morem ponoviti.")
                                 .arg(*celoStevilo(stevilka)));
            povezava::zapriVse();
            return kZavrnjeno;
        }
        if (!datumi[0])
            datumi[0] = vrstica->datum1;
        if (!datumi[1])
            datumi[1] = vrstica->datum2;
    }
    okolje.odgovorNaVprasanje = QStringLiteral("Prenos ni izveden: brez --allow-overlap nov prenos čez "
                                               "registrirane prenose ne začne.");

    BatchOkno okno;
    okno.stevilka = stevilka;
    Rezultat Q1;
    IzidPrenosa izid = IzidPrenosa::Neuspel;
    try {
        izid = Zapis({QDir::toNativeSeparators(pot), stevilka, *datumi[0], *datumi[1], alias,
                      u.isSet(QStringLiteral("allow-overlap"))},
                     Q1, okno, okolje);
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    } catch (const std::exception& e) {
        okolje.sporocilo(QString::fromUtf8(e.what()));
    }
    Q1.zapri();
    povezava::zapriVse();
    switch (izid) {
    case IzidPrenosa::Opravljen: return kOpravljeno;
    case IzidPrenosa::OpravljenZOpozorili:
    case IzidPrenosa::NiPodatkov: return kZOpozorili;
    case IzidPrenosa::Zavrnjen: return kZavrnjeno;
    case IzidPrenosa::Neznan: return kIzidNeznan;
    case IzidPrenosa::Ustavljen:
    case IzidPrenosa::Neuspel:
        // A run that did not complete after SIGINT or SIGTERM was stopped by it.
        if (TerminalOkolje::signalPrejet())
            return kUstavljenoSSignalom;
        break;
    }
    return kNeuspesno;
}

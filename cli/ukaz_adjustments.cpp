#include "izbiraizravnav.h"
#include "izris.h"
#include "belezenje.h"
#include "izhodnadatoteka.h"
#include "napaka.h"
#include "porociloizravnav.h"
#include "povezava.h"
#include "rezultatvir.h"
#include "prijava.h"
#include "ukazi.h"
#include "varovanjeizhoda.h"

#include "moznosti.h"
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch adjustments --alias A [--user U] [password options] --pdf FILE
//     [--from YYYY-MM-DD --to YYYY-MM-DD] [--transfer N] [--partner P] [--account K]
//     [--activity S] [--security V]
// The printed list of rounding adjustments as "Pregled" shows it, written to a PDF
// file. Without a filter option every adjustment is listed ("Vse"); any filter option
// lists only the adjustments that have a day and match the filters given ("Samo
// označeno"), the day range only when --from and --to are given. The rows are read
// forward, never held in memory as a whole.
int ukazAdjustments(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica p(QStringLiteral("adjustments"),
                    QStringLiteral("Seznam izravnav zaokrožitev, kot ga izpiše \"Pregled\", v datoteko PDF --pdf.\n"
                                   "Brez filtra so izpisane vse izravnave; s katerimkoli filtrom le tiste z dnevom,\n"
                                   "ki ustrezajo filtrom (obdobje le z obema, --from in --to)."),
                    {QStringLiteral("ledgxfer-batch adjustments --alias LB --pdf izravnave.pdf --transfer 7"),
                     QStringLiteral("ledgxfer-batch adjustments --alias LB --pdf izravnave.pdf --from 2018-01-01 "
                                    "--to 2018-01-31 --account 11")});
    p.dodajPrijavo();
    p.dodaj({{QStringLiteral("pdf")}, QStringLiteral("Datoteka PDF."), QStringLiteral("DATOTEKA")});
    p.dodaj({{QStringLiteral("from")}, QStringLiteral("Prvi dan."), QStringLiteral("LLLL-MM-DD")});
    p.dodaj({{QStringLiteral("to")}, QStringLiteral("Zadnji dan."), QStringLiteral("LLLL-MM-DD")});
    p.dodaj({{QStringLiteral("transfer")}, QStringLiteral("Številka prenosa."), QStringLiteral("N")});
    p.dodaj({{QStringLiteral("partner")}, QStringLiteral("Začetek šifre partnerja."), QStringLiteral("P")});
    p.dodaj({{QStringLiteral("account")}, QStringLiteral("Začetek konta."), QStringLiteral("K")});
    p.dodaj({{QStringLiteral("activity")}, QStringLiteral("Začetek šifre dejavnosti."), QStringLiteral("S")});
    p.dodaj({{QStringLiteral("security")}, QStringLiteral("Šifra vrednostnega papirja."), QStringLiteral("V")});
    if (const auto koda = p.razcleni(argumenti, okolje, {QStringLiteral("alias"), QStringLiteral("pdf")}))
        return *koda;
    // The file is looked at before anything is read: a blank name, a folder, a device,
    // a FIFO, a link or a missing folder is refused and left alone.
    const QString pot = p.value(QStringLiteral("pdf"));
    if (const auto zakaj = prazenIzhod(QStringLiteral("pdf"), pot)) {
        okolje.napaka(*zakaj);
        return kZavrnjeno;
    }
    if (const auto zakaj = zavrnitevIzhoda(pot)) {
        okolje.napaka(QStringLiteral("--pdf ne imenuje datoteke, ki jo lahko zapišem: %1 (%2)").arg(pot, *zakaj));
        return kZavrnjeno;
    }

    IzbiraIzravnav izbira;
    for (const char* filter : {"from", "to", "transfer", "partner", "account", "activity", "security"})
        izbira.samoOznaceno = izbira.samoOznaceno || p.isSet(QString::fromLatin1(filter));
    const bool od = p.isSet(QStringLiteral("from"));
    const bool do_ = p.isSet(QStringLiteral("to"));
    if (od != do_) {
        return p.zavrni(okolje, QStringLiteral("--from in --to se podata skupaj."));
    }
    izbira.poDnevih = od;
    if (od) {
        // Read whole: "2026-10-01junk" is no date.
        izbira.datum1 = preberiDatumIso(p.value(QStringLiteral("from"))).value_or(QDate());
        izbira.datum2 = preberiDatumIso(p.value(QStringLiteral("to"))).value_or(QDate());
        for (const auto& [ime, datum] : {std::pair{"from", izbira.datum1}, std::pair{"to", izbira.datum2}}) {
            if (!datum.isValid()) {
                okolje.napaka(QStringLiteral("--%1 ni datum v obliki LLLL-MM-DD: %2")
                                  .arg(QString::fromLatin1(ime), p.value(QString::fromLatin1(ime))));
                return kZavrnjeno;
            }
        }
    }
    izbira.prenos = p.value(QStringLiteral("transfer"));
    izbira.partner = p.value(QStringLiteral("partner"));
    izbira.konto = p.value(QStringLiteral("account"));
    izbira.dejavnost = p.value(QStringLiteral("activity"));
    izbira.papir = p.value(QStringLiteral("security"));
    StavekIzravnav stavek;
    try {
        stavek = stavekIzravnav(izbira);
    } catch (const Napaka& e) {
        okolje.napaka(e.besedilo());
        return kZavrnjeno;
    }

    const QString alias = p.value(QStringLiteral("alias"));
    if (!prijaviSe(p, okolje)) {
        okolje.napaka(staraDatoteka(pot));
        return kNeuspesno;
    }
    // With the database open, its own files are known to the guard as well.
    if (const auto zakaj = zavrnitevIzhoda(pot)) {
        okolje.napaka(QStringLiteral("--pdf ne imenuje datoteke, ki jo lahko zapišem: %1 (%2)").arg(pot, *zakaj));
        povezava::zapriVse();
        return kZavrnjeno;
    }

    int izhod = kNeuspesno;
    try {
        StavekVir vir(povezava::zaIme(alias), stavek.sql, stavek.parametri);
        const bool imaVrstic = vir.prvi();
        if (!vir.zadnjaNapaka().isEmpty())
            throw Napaka(vir.zadnjaNapaka());
        if (!imaVrstic) {
            // A list without rows has no pages; no file is written for it, and an older
            // file of that name is not the list of this selection.
            okolje.sporocilo(QStringLiteral("Ni izravnav za prikaz: izbor je prazen. Datoteka ")
                             + QDir::toNativeSeparators(pot) + QStringLiteral(" ni zapisana. ") + staraDatoteka(pot));
            izhod = kZOpozorili;
        } else {
            const IzidPdf izid = zapisiPdf(opisIzravnav(), vir, pot, okolje.zdaj());
            if (!vir.zadnjaNapaka().isEmpty())
                throw Napaka(vir.zadnjaNapaka());
            if (!izid.uspeh && TerminalOkolje::signalPrejet()) {
                okolje.sporocilo(QStringLiteral("Ustavljeno na zahtevo; datoteka ") + QDir::toNativeSeparators(pot)
                                 + QStringLiteral(" ni zapisana."));
                izhod = kUstavljenoSSignalom;
            } else if (!izid.uspeh) {
                okolje.sporocilo(QStringLiteral("Ne morem pisati v datoteko ") + QDir::toNativeSeparators(pot)
                                 + QStringLiteral(" (") + izid.napaka + u')');
            } else {
                okolje.sporocilo(QStringLiteral("Izravnave zapisane v %1 (strani: %2)")
                                     .arg(QDir::toNativeSeparators(pot))
                                     .arg(izid.strani));
                izhod = kOpravljeno;
            }
        }
    } catch (const Napaka& e) {
        qCWarning(lcCli).noquote() << e.besedilo();
        okolje.sporocilo(e.besedilo());
    } catch (const std::exception& e) {
        qCWarning(lcCli).noquote() << e.what();
        okolje.sporocilo(QString::fromUtf8(e.what()));
    }
    // The reason of a failure is in the log on standard error; the file is replaced
    // only by a complete list.
    if (izhod == kNeuspesno)
        okolje.napaka(staraDatoteka(pot));
    povezava::zapriVse();
    return izhod;
}

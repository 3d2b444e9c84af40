#include "dnevnik.h"
#include "izris.h"
#include "belezenje.h"
#include "izhodnadatoteka.h"
#include "napaka.h"
#include "povezava.h"
#include "pregled.h"
#include "register.h"
#include "rezultatvir.h"
#include "prijava.h"
#include "ukazi.h"
#include "varovanjeizhoda.h"

#include "moznosti.h"
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch journal --alias A [--user U] [password options] --transfer N --pdf FILE
//                        [--initiator TEXT] [--journal-number TEXT]
// The journal of transfer N as "&Izpis" prints it once the transfer has been opened
// in the review panel: the postings booked within the transfer's registered date
// range that carry its number, in the panel's order, written to a PDF file. The
// postings are read forward once, never held in memory as a whole.
int ukazJournal(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica p(QStringLiteral("journal"),
                    QStringLiteral("Izpis prenosa --transfer N, kot ga natisne \"&Izpis\" po odprtju prenosa v "
                                   "pregledu:\nknjižbe registriranega obdobja prenosa z njegovo številko, v "
                                   "datoteko PDF --pdf."),
                    {QStringLiteral("ledgxfer-batch journal --alias LB --transfer 7 --pdf prenos7.pdf "
                                    "--initiator \"Ana Novak\"")});
    p.dodajPrijavo();
    p.dodaj({{QStringLiteral("transfer")}, QStringLiteral("Številka prenosa."), QStringLiteral("N")});
    p.dodaj({{QStringLiteral("pdf")}, QStringLiteral("Datoteka PDF."), QStringLiteral("DATOTEKA")});
    p.dodaj({{QStringLiteral("initiator")}, QStringLiteral("Iniciator v glavi izpisa."), QStringLiteral("BESEDILO")});
    p.dodaj({{QStringLiteral("journal-number")},
             QStringLiteral("Številka temeljnice v glavi izpisa."),
             QStringLiteral("BESEDILO")});
    if (const auto koda =
            p.razcleni(argumenti, okolje, {QStringLiteral("alias"), QStringLiteral("transfer"), QStringLiteral("pdf")}))
        return *koda;
    const std::optional<qint64> stevilka = celoStevilo(p.value(QStringLiteral("transfer")));
    if (!stevilka) {
        okolje.napaka(QStringLiteral("--transfer ni celo število: %1").arg(p.value(QStringLiteral("transfer"))));
        return kZavrnjeno;
    }
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
        std::optional<VrsticaRegistra> prenos;
        try {
            prenos = najdiPrenos(alias, *stevilka);
        } catch (const Napaka& e) {
            throw Napaka(QStringLiteral("Registra prenosov ni mogoče brati: ") + e.besedilo());
        }
        if (!prenos) {
            okolje.sporocilo(QStringLiteral("Prenosa številka %1 ni v registru prenosov.").arg(*stevilka));
        } else {
            GlavaDnevnika glava;
            glava.stevilkaTemeljnice = p.isSet(QStringLiteral("journal-number"))
                                           ? p.value(QStringLiteral("journal-number"))
                                           : QStringLiteral("1");
            glava.iniciator = p.value(QStringLiteral("initiator"));
            StavekVir vir(povezava::zaIme(alias), stavekKnjizbPrenosa(*stevilka),
                          {{QStringLiteral("DATUM1"), prenos->datum1}, {QStringLiteral("DATUM2"), prenos->datum2}});
            // The header's dates come from the first posting, as after opening the
            // transfer; a transfer without postings has none to show.
            if (vir.prvi())
                preberiDatumeGlave(vir, glava);
            else
                glava.datumKnjizenja = glava.datumValutacije = QString();
            if (!vir.zadnjaNapaka().isEmpty())
                throw Napaka(vir.zadnjaNapaka());
            const IzidPdf izid = zapisiPdf(opisDnevnika(glava), vir, pot, okolje.zdaj());
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
                okolje.sporocilo(QStringLiteral("Izpis prenosa %1 zapisan v %2 (strani: %3)")
                                     .arg(*stevilka)
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

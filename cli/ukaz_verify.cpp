#include "moznosti.h"
#include "napaka.h"
#include "povezava.h"
#include "preverjanje.h"
#include "prijava.h"
#include "stevila.h"
#include "ukazi.h"

#include "vhodnadatoteka.h"

#include <QDir>
#include <QFile>

namespace {

// The largest ledger file verified (it is read line by line): a detail line has some
// 155 bytes, so this is room for some 27 million postings, far above a month of the
// bank's and above the ten million the transfer is measured with.
constexpr qint64 kNajvecDatotekeGk = qint64(1) << 32;

} // namespace

// ledgxfer-batch verify --file PATH [--alias A [--user U] [password options] --transfer N]
// Checks a general-ledger file before the ledger imports it: one line per finding
// (line, field, expected, found) and exit 0 only when everything holds. With --alias
// and --transfer the detail lines must be those a repeat of transfer N would write
// now; the database is only read.
int ukazVerify(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica u(
        QStringLiteral("verify"),
        QStringLiteral(
            "Preveri datoteko glavne knjige, preden jo glavna knjiga uvozi: vsaka vrstica konča s CR LF in ima\n"
            "le znake Windows-1250; prva je uvodna (33 znakov), zadnja zaključna (71 znakov, pri negativni\n"
            "vsoti več), vmesne podrobne (152 znakov; od 10.000. vrstice 153, od 100.000. 154), vsako polje\nv svoji obliki; število vrstic in vsoti\n"
            "zaključne vrstice sta enaki preračunanim iz podrobnih vrstic z enakim zaokroževanjem kot pri\n"
            "prenosu. Z --alias in --transfer morajo biti podrobne vrstice natanko tiste, ki bi jih zdaj\n"
            "zapisala ponovitev prenosa N (isti bajti, isti vrstni red); baza se le bere.\n"
            "Za vsako ugotovitev izpiše vrstico: številko vrstice, polje, pričakovano in najdeno."),
        {QStringLiteral("ledgxfer-batch verify --file /srv/gk/GKDODAT2.TXT"),
         QStringLiteral("ledgxfer-batch verify --file build/demo/PRENOS1.TXT --aliases build/demo/aliases.ini "
                        "--alias LB --transfer 1")});
    u.dodaj({{QStringLiteral("file")}, QStringLiteral("Datoteka glavne knjige."), QStringLiteral("POT")});
    u.dodajPrijavo();
    u.izhodneKode(QStringLiteral(
        "Izhodne kode:\n  0    opravljeno\n  1    datoteka ni pravilna (ugotovitve so izpisane), je ni mogoče brati ali prijava ni uspela\n  2    zavrnjena raba (napačne ali manjkajoče možnosti, odvečni argumenti)\n"));
    u.dodaj({{QStringLiteral("transfer")},
             QStringLiteral("Številka registriranega prenosa, s katerim se primerjajo podrobne vrstice."),
             QStringLiteral("N")});
    if (const auto koda = u.razcleni(argumenti, okolje, {QStringLiteral("file")}))
        return *koda;
    if (u.isSet(QStringLiteral("alias")) != u.isSet(QStringLiteral("transfer")))
        return u.zavrni(okolje, QStringLiteral("--alias in --transfer se podata skupaj."));
    std::optional<qint64> stevilka;
    if (u.isSet(QStringLiteral("transfer"))) {
        stevilka = celoStevilo(u.value(QStringLiteral("transfer")));
        if (!stevilka || *stevilka < 1)
            return u.zavrni(
                okolje,
                QStringLiteral("--transfer ni pozitivno celo število: %1").arg(u.value(QStringLiteral("transfer"))));
    }
    // Only a regular file within the bound of a ledger file is read: a FIFO, a device
    // or a huge file is refused at once, without waiting and without reading it.
    const QString pot = u.value(QStringLiteral("file"));
    QFile datoteka;
    if (const std::optional<QString> zakaj = odpriVhodnoDatoteko(datoteka, pot, kNajvecDatotekeGk)) {
        okolje.sporocilo(QStringLiteral("Ne morem brati datoteke %1: %2").arg(QDir::toNativeSeparators(pot), *zakaj));
        return kNeuspesno;
    }

    IzidPreverjanja izid;
    try {
        if (stevilka) {
            if (!prijaviSe(u, okolje))
                return kNeuspesno;
            PonovitevPrenosa ponovitev(u.value(QStringLiteral("alias")), *stevilka);
            izid = preveriDatotekoGk(datoteka, &ponovitev, &TerminalOkolje::signalPrejet);
        } else {
            izid = preveriDatotekoGk(datoteka, nullptr, &TerminalOkolje::signalPrejet);
        }
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
        povezava::zapriVse();
        return kNeuspesno;
    }
    povezava::zapriVse();
    if (TerminalOkolje::signalPrejet()) {
        okolje.sporocilo(QStringLiteral("Preverjanje je ustavljeno na zahtevo."));
        return kUstavljenoSSignalom;
    }
    for (const Ugotovitev& n : izid.ugotovitve)
        okolje.sporocilo(QStringLiteral("vrstica %1, %2: pričakovano %3, najdeno %4")
                             .arg(n.vrstica)
                             .arg(n.polje, n.pricakovano, n.najdeno));
    if (izid.vseh > izid.ugotovitve.size())
        okolje.sporocilo(QStringLiteral("... in še %1 ugotovitev.").arg(izid.vseh - izid.ugotovitve.size()));
    if (!izid.pravilna()) {
        okolje.sporocilo(QStringLiteral("Datoteka %1 NI pravilna: %2 ugotovitev.")
                             .arg(QDir::toNativeSeparators(pot))
                             .arg(izid.vseh));
        return kNeuspesno;
    }
    okolje.sporocilo(QStringLiteral("Datoteka %1 je pravilna: %2 podrobnih vrstic%3.")
                         .arg(QDir::toNativeSeparators(pot))
                         .arg(izid.podrobnihVrstic)
                         .arg(stevilka ? QStringLiteral(", enakih ponovitvi prenosa %1").arg(*stevilka) : QString()));
    return kOpravljeno;
}

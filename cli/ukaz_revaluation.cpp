#include "napaka.h"
#include "prijava.h"
#include "ukazi.h"
#include "zokdll.h"

#include "moznosti.h"
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch revaluation --output PATH
// The revaluation summary of "ZOKDLL.DB" in the application directory into PATH, as
// the menu item "&Prepis" writes it, without opening the text editor. Exit 3 when the
// table has no rows; 130 after SIGINT or SIGTERM, with the previous file left as it was.
int ukazRevaluation(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica p(QStringLiteral("revaluation"),
                    QStringLiteral("Povzetek prevrednotenja lokalne tabele ZOKDLL.DB v mapi aplikacije "
                                   "($LEDGXFER_HOME)\nv datoteko --output, kot ga zapiše \"&Prepis\", "
                                   "brez urejevalnika besedil."),
                    {QStringLiteral("ledgxfer-batch revaluation --output /srv/gk/PREVREDNOTENJE.TXT")});
    p.dodaj({{QStringLiteral("output")}, QStringLiteral("Datoteka povzetka."), QStringLiteral("POT")});
    p.brezAliasov();
    if (const auto koda = p.razcleni(argumenti, okolje, {QStringLiteral("output")}))
        return *koda;
    if (const auto zakaj = prazenIzhod(QStringLiteral("output"), p.value(QStringLiteral("output")))) {
        okolje.napaka(*zakaj);
        return kZavrnjeno;
    }
    const QString izhod = QDir::toNativeSeparators(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath());
    int izid = kNeuspesno;
    IzidIzvoza izidIzvoza;
    try {
        if (const std::optional<int> vrstic = prepisZokdll(okolje, izhod, &izidIzvoza)) {
            // An empty table gives an empty summary: nothing to write.
            izid = *vrstic > 0 ? kOpravljeno : kZOpozorili;
        } else if (izidIzvoza.ustavljen || TerminalOkolje::signalPrejet()) {
            izid = kUstavljenoSSignalom;
        }
        // The window's message said what failed; the reason follows it, unless the
        // message was the reason itself.
        if ((izid == kNeuspesno || izid == kUstavljenoSSignalom) && !izidIzvoza.razlog.isEmpty()
            && !izidIzvoza.razlog.startsWith(QStringLiteral("Datoteka ")))
            okolje.sporocilo(izidIzvoza.razlog);
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    }
    // The file is replaced only by a complete summary.
    if (izid == kNeuspesno || izid == kUstavljenoSSignalom)
        okolje.napaka(staraDatoteka(izhod));
    return izid;
}

#include "napaka.h"
#include "prijava.h"
#include "ukazi.h"
#include "zokdll.h"

#include "moznosti.h"
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch revaluation --output PATH
// The revaluation summary of "ZOKDLL.DB" in the application directory into PATH, as
// the menu item "&Prepis" writes it, without opening the text editor.
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
        return 2;
    }
    const QString izhod = QDir::toNativeSeparators(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath());
    int izid = 1;
    try {
        izid = prepisZokdll(okolje, izhod) ? 0 : 1;
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    }
    // The reason of a failure is in the log on standard error; the file is replaced
    // only by a complete summary.
    if (izid != 0)
        okolje.napaka(staraDatoteka(izhod));
    return izid;
}

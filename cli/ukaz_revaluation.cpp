#include "napaka.h"
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
    if (const auto koda = p.razcleni(argumenti, okolje, {QStringLiteral("output")}))
        return *koda;
    QString izhod = p.value(QStringLiteral("output"));
    if (!izhod.isEmpty())
        izhod = QDir::toNativeSeparators(QFileInfo(izhod).absoluteFilePath());
    try {
        return prepisZokdll(okolje, izhod) ? 0 : 1;
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
        return 1;
    }
}

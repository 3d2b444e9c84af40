#include "prijava.h"

#include "povezava.h"

bool prijaviSe(UkaznaVrstica& u, TerminalOkolje& okolje)
{
    const QString alias = u.value(QStringLiteral("alias"));
    const QString uporabnik = u.value(QStringLiteral("user"));
    const QString geslo = u.geslo();
    const QString razlog = povezava::odpri(alias, alias, uporabnik, geslo);
    if (!razlog.isEmpty()) {
        okolje.sporocilo(QStringLiteral("Prijava v ") + alias + QStringLiteral(" kot uporabnik ") + uporabnik
                         + QStringLiteral(" ni uspela!"));
        okolje.napaka(razlog);
        return false;
    }
    povezava::zapomniPrijavo(uporabnik, geslo);
    return true;
}

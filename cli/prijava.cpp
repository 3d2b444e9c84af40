#include "prijava.h"

#include "povezava.h"

bool prijaviSe(const QCommandLineParser& p, TerminalOkolje& okolje)
{
    const QString alias = p.value(QStringLiteral("alias"));
    const QString uporabnik = p.value(QStringLiteral("user"));
    const QString geslo = p.value(QStringLiteral("password"));
    if (!povezava::odpri(alias, alias, uporabnik, geslo).isEmpty()) {
        okolje.sporocilo(QStringLiteral("Prijava v ") + alias + QStringLiteral(" kot uporabnik ") + uporabnik
                         + QStringLiteral(" ni uspela!"));
        return false;
    }
    povezava::zapomniPrijavo(uporabnik, geslo);
    return true;
}

#include "prijavabaze.h"

QString IzidPrijave::sporocilo() const
{
    QString besedilo = QStringLiteral("Prijava v ") + alias + QStringLiteral(" kot uporabnik ") + uporabnik
                       + QStringLiteral(" ni uspela!");
    if (!povezava.razlog.isEmpty())
        besedilo += u'\n' + povezava.razlog;
    return besedilo;
}

IzidPrijave prijaviVBazo(const QString& alias, const QString& uporabnik, const QString& geslo, const Aliasi& aliasi)
{
    IzidPrijave izid{alias, uporabnik, povezava::odpriZIzidom(alias, alias, uporabnik, geslo, aliasi)};
    if (izid.uspela())
        povezava::zapomniPrijavo(alias, uporabnik, geslo, aliasi);
    return izid;
}

#include "prijava.h"

#include "povezava.h"

#include <QDir>
#include <QFileInfo>

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
    povezava::zapomniPrijavo(alias, uporabnik, geslo);
    return true;
}

QString staraDatoteka(const QString& pot)
{
    const QFileInfo info(pot);
    const QString ime = QDir::toNativeSeparators(pot);
    if (info.exists() || info.isSymLink())
        return QStringLiteral("Starejša datoteka ") + ime + QStringLiteral(" ostaja nespremenjena.");
    return QStringLiteral("Datoteke ") + ime + QStringLiteral(" ni.");
}

std::optional<QString> prazenIzhod(const QString& moznost, const QString& pot)
{
    if (!pot.trimmed().isEmpty() && !QFileInfo(pot).fileName().trimmed().isEmpty())
        return std::nullopt;
    return QStringLiteral("--%1 ne imenuje datoteke: '%2'").arg(moznost, pot);
}

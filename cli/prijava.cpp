#include "prijava.h"

#include "prijavabaze.h"

#include <QDir>
#include <QFileInfo>

bool prijaviSe(UkaznaVrstica& u, TerminalOkolje& okolje)
{
    const IzidPrijave izid = prijaviVBazo(u.value(QStringLiteral("alias")), u.value(QStringLiteral("user")), u.geslo());
    if (!izid.uspela())
        okolje.sporocilo(izid.sporocilo());
    return izid.uspela();
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

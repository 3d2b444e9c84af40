#include "varovanjeizhoda.h"

#include "izhodnadatoteka.h"
#include "narecje.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// The database's own files, which an output must never replace.
bool jeDatotekaBaze(const QString& pot, const QSqlDatabase& db)
{
    const QStringList datoteke = narecje::datotekeBaze(db);
    if (datoteke.isEmpty())
        return false;
    const QFileInfo izhod(pot);
    const QString cilj = izhod.exists() ? izhod.canonicalFilePath()
                                        : QFileInfo(izhod.absolutePath()).canonicalFilePath() + u'/'
                                              + izhod.fileName();
    return datoteke.contains(cilj);
}

} // namespace

std::optional<QString> zavrnitevIzhoda(const QString& pot, const QSqlDatabase& db)
{
    if (pot.trimmed().isEmpty())
        return IzhodnaDatoteka::zavrni(QString());
    if (std::optional<QString> razlog = IzhodnaDatoteka::zavrni(pot))
        return razlog;
    if (jeDatotekaBaze(pot, db))
        return QStringLiteral("pot je datoteka baze podatkov");
    return std::nullopt;
}

#include "obdobje.h"

QString besediloDatuma(const QDate& datum) { return datum.toString(QStringLiteral("d.M.yyyy")); }

QString besediloObdobja(const QDate& od, const QDate& doo)
{
    return QStringLiteral("od %1 do %2").arg(besediloDatuma(od), besediloDatuma(doo));
}

std::optional<QString> zavrnitevObdobja(const QDate& od, const QDate& doo)
{
    if (!od.isValid() || !doo.isValid() || od <= doo)
        return std::nullopt;
    return QStringLiteral("Začetni datum %1 je za končnim datumom %2. Popravite obdobje: začetni datum mora "
                          "biti enak končnemu ali pred njim.")
        .arg(besediloDatuma(od), besediloDatuma(doo));
}

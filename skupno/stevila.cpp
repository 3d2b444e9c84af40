#include "stevila.h"

std::optional<qint64> celoStevilo(const QString& besedilo)
{
    const QString t = besedilo.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (!(c >= u'0' && c <= u'9') && !(i == 0 && (c == u'-' || c == u'+')))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 n = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return n;
}

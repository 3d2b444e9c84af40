#include "narecje.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

bool jeCrkaImena(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Copies a single-quoted literal starting at i (at the opening quote) unchanged.
qsizetype kopirajLiteral(const QString& sql, qsizetype i, QString& izhod)
{
    izhod += sql.at(i++);
    while (i < sql.size()) {
        const QChar c = sql.at(i++);
        izhod += c;
        if (c == u'\'') {
            if (i < sql.size() && sql.at(i) == u'\'') {
                izhod += sql.at(i++);
                continue;
            }
            break;
        }
    }
    return i;
}

QString prevediBesedo(const QString& beseda, const QString& sql, qsizetype konec,
                      QSqlDriver::DbmsType dbms)
{
    if (dbms == QSqlDriver::PostgreSQL && beseda.compare(u"DOUBLE", Qt::CaseInsensitive) == 0) {
        static const QRegularExpression precision(QStringLiteral("^\\s+PRECISION\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
        if (!precision.match(sql.mid(konec)).hasMatch())
            return QStringLiteral("DOUBLE PRECISION");
    }
    return beseda;
}

} // namespace

QString prevediStavek(const QString& vhod, QSqlDriver::DbmsType dbms)
{
    // Alias-qualified tables first: the whole quoted form becomes the table name.
    static const QRegularExpression aliasTabela(
        QStringLiteral("'\\s*:[A-Za-z0-9_]+:([A-Za-z0-9_]+)\\s*'"));
    QString sql = vhod;
    sql.replace(aliasTabela, QStringLiteral("\\1"));

    QString izhod;
    izhod.reserve(sql.size() + 16);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            i = kopirajLiteral(sql, i, izhod);
        } else if (c == u'"') {
            // Text literal in double quotes: rewrite as a single-quoted one.
            qsizetype j = i + 1;
            QString vsebina;
            while (j < sql.size() && sql.at(j) != u'"')
                vsebina += sql.at(j++);
            if (j >= sql.size()) { // unterminated: leave as it is
                izhod += sql.mid(i);
                break;
            }
            if (vsebina.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)
                && vsebina.size() > 3
                && std::all_of(vsebina.begin(), vsebina.end() - 3, jeCrkaImena)) {
                izhod += vsebina.left(vsebina.size() - 3); // quoted table file name
            } else {
                vsebina.replace(u'\'', QStringLiteral("''"));
                izhod += u'\'' + vsebina + u'\'';
            }
            i = j + 1;
        } else if (jeCrkaImena(c)) {
            qsizetype j = i;
            while (j < sql.size() && jeCrkaImena(sql.at(j)))
                ++j;
            QString beseda = sql.mid(i, j - i);
            // A table named by its file name: NAME.db
            if (sql.mid(j, 3).compare(u".db", Qt::CaseInsensitive) == 0
                && (j + 3 >= sql.size() || !jeCrkaImena(sql.at(j + 3)))) {
                izhod += beseda;
                i = j + 3;
                continue;
            }
            izhod += prevediBesedo(beseda, sql, j, dbms);
            i = j;
        } else {
            izhod += c;
            ++i;
        }
    }
    return izhod;
}

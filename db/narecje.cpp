#include "narecje.h"

#include <QRegularExpression>
#include <QSqlError>

#include <algorithm>

namespace {

bool jeCrkaImena(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

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

QString prevediBesedo(const QString& beseda, const QString& sql, qsizetype konec, PravilaPrevoda pravila)
{
    if (pravila.dvojnaNatancnost && beseda.compare(u"DOUBLE", Qt::CaseInsensitive) == 0) {
        static const QRegularExpression precision(QStringLiteral("^\\s+PRECISION\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
        if (!precision.match(sql.mid(konec)).hasMatch())
            return QStringLiteral("DOUBLE PRECISION");
    }
    return beseda;
}

// On SQLite NULLs sort before every value; PostgreSQL and DB2 sort them after every
// value in ascending order (before in descending). The keys of every ORDER BY get the
// explicit NULLS clause of that order, so that all engines list rows alike.
QString nullsKotStreznik(const QString& sql)
{
    // Positions outside literals and at parenthesis depth of each character.
    QString izhod;
    izhod.reserve(sql.size() + 64);
    qsizetype i = 0;
    int globina = 0;
    int globinaUrejanja = -1;   // depth of the ORDER BY being rewritten, -1 none
    qsizetype konecKljuca = -1; // end of the current key's last non-blank character in izhod
    QString trenutniKljuc;

    auto zakljuciKljuc = [&]() {
        if (globinaUrejanja < 0 || konecKljuca < 0)
            return;
        const QString k = trenutniKljuc.trimmed().toUpper();
        if (!k.isEmpty() && !k.contains(QStringLiteral("NULLS"))) {
            const bool padajoce = k.endsWith(QStringLiteral(" DESC")) || k == u"DESC";
            izhod.insert(konecKljuca, padajoce ? QStringLiteral(" NULLS FIRST") : QStringLiteral(" NULLS LAST"));
        }
        trenutniKljuc.clear();
        konecKljuca = -1;
    };
    static const QRegularExpression orderBy(QStringLiteral("^ORDER\\s+BY\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression konecSeznama(QStringLiteral("^(LIMIT|OFFSET|FETCH|FOR|UNION|EXCEPT|INTERSECT)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            const qsizetype zacetek = izhod.size();
            i = kopirajLiteral(sql, i, izhod);
            if (globinaUrejanja >= 0) {
                trenutniKljuc += izhod.mid(zacetek);
                konecKljuca = izhod.size();
            }
            continue;
        }
        if (globinaUrejanja < 0 && (i == 0 || !jeCrkaImena(sql.at(i - 1)))) {
            const QRegularExpressionMatch m = orderBy.match(QStringView(sql).mid(i));
            if (m.hasMatch()) {
                izhod += m.captured(0);
                i += m.capturedLength(0);
                globinaUrejanja = globina;
                continue;
            }
        }
        if (globinaUrejanja >= 0) {
            if ((c == u')' && globina == globinaUrejanja) || c == u';'
                || ((i == 0 || !jeCrkaImena(sql.at(i - 1))) && konecSeznama.match(QStringView(sql).mid(i)).hasMatch()
                    && globina == globinaUrejanja)) {
                zakljuciKljuc();
                globinaUrejanja = -1;
            } else if (c == u',' && globina == globinaUrejanja) {
                zakljuciKljuc();
                izhod += c;
                ++i;
                continue;
            }
        }
        if (c == u'(')
            ++globina;
        else if (c == u')')
            --globina;
        izhod += c;
        if (globinaUrejanja >= 0) {
            trenutniKljuc += c;
            if (!c.isSpace())
                konecKljuca = izhod.size();
        }
        ++i;
    }
    zakljuciKljuc();
    return izhod;
}

} // namespace

QString prevediStavek(const QString& vhod, PravilaPrevoda pravila)
{
    // Alias-qualified tables first: the whole quoted form becomes the table name.
    static const QRegularExpression aliasTabela(QStringLiteral("'\\s*:[A-Za-z0-9_]+:([A-Za-z0-9_]+)\\s*'"));
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
            if (vsebina.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive) && vsebina.size() > 3
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
            izhod += prevediBesedo(beseda, sql, j, pravila);
            i = j;
        } else {
            izhod += c;
            ++i;
        }
    }
    if (pravila.nullsKotStreznik)
        return nullsKotStreznik(izhod);
    return izhod;
}

QString prevediStavek(const QString& sql, QSqlDriver::DbmsType dbms)
{
    PravilaPrevoda pravila;
    pravila.dvojnaNatancnost = dbms == QSqlDriver::PostgreSQL;
    pravila.nullsKotStreznik = dbms == QSqlDriver::SQLite;
    return prevediStavek(sql, pravila);
}

namespace narecje {

QString stavekNazajNaTocko(const QString& ime) { return QStringLiteral("ROLLBACK TO SAVEPOINT ") + ime; }

QString stavekSprostiTocko(const QString& ime) { return QStringLiteral("RELEASE SAVEPOINT ") + ime; }

QString besedilo(const QSqlError& napaka)
{
    QString t = napaka.databaseText().trimmed();
    const QString d = napaka.driverText().trimmed();
    if (t.isEmpty())
        return d;
    if (!d.isEmpty() && !t.contains(d))
        t = d + QStringLiteral(": ") + t;
    return t;
}

} // namespace narecje

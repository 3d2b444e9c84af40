#include "aliasi.h"
#include "izvajanje.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString potDoAliasov()
{
    const QString env = qEnvironmentVariable("LEDGXFER_ALIASES");
    if (!env.isEmpty())
        return env;
    return aplikacijskiDirektorij() + QStringLiteral("aliases.ini");
}

namespace {

// A ';' or '#' that starts a line, or follows a blank, begins a comment.
QString brezKomentarja(const QString& vrstica)
{
    for (qsizetype i = 0; i < vrstica.size(); ++i) {
        const QChar c = vrstica.at(i);
        if ((c == u';' || c == u'#') && (i == 0 || vrstica.at(i - 1).isSpace()))
            return vrstica.left(i);
    }
    return vrstica;
}

} // namespace

Aliasi Aliasi::preberi(const QString& pot)
{
    Aliasi rezultat;
    rezultat.m_pot = pot;
    QFile f(pot);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        rezultat.m_napakaBranja = f.errorString();
        return rezultat;
    }
    const QDir mapa = QFileInfo(pot).absoluteDir();

    Alias* trenutni = nullptr;
    const QStringList vrstice = QString::fromUtf8(f.readAll()).split(u'\n');
    for (const QString& surova : vrstice) {
        const QString vrstica = brezKomentarja(surova).trimmed();
        if (vrstica.isEmpty())
            continue;
        if (vrstica.startsWith(u'[') && vrstica.endsWith(u']')) {
            const QString ime = vrstica.mid(1, vrstica.size() - 2).trimmed();
            Alias& a = rezultat.m_aliasi[ime.toUpper()];
            a = Alias{};
            a.ime = ime;
            trenutni = &a;
            continue;
        }
        if (!trenutni)
            continue;
        const qsizetype enacaj = vrstica.indexOf(u'=');
        if (enacaj < 0)
            continue;
        const QString kljuc = vrstica.left(enacaj).trimmed().toLower();
        const QString vrednost = vrstica.mid(enacaj + 1).trimmed();
        if (kljuc == u"driver")
            trenutni->driver = vrednost.toLower();
        else if (kljuc == u"database")
            trenutni->database = vrednost;
        else if (kljuc == u"host")
            trenutni->host = vrednost;
        else if (kljuc == u"port")
            trenutni->port = vrednost.toInt();
        else if (kljuc == u"user")
            trenutni->user = vrednost;
        else if (kljuc == u"password")
            trenutni->password = vrednost;
        else
            trenutni->ostalo.insert(kljuc, vrednost);
    }
    // An SQLite file named relative to the aliases file lives beside it.
    for (Alias& a : rezultat.m_aliasi) {
        if (a.driver == u"sqlite" && !a.database.isEmpty() && QFileInfo(a.database).isRelative())
            a.database = QDir::cleanPath(mapa.absoluteFilePath(a.database));
    }
    return rezultat;
}

bool istiStreznik(const Alias& a, const Alias& b)
{
    if (a.driver != b.driver || a.driver.isEmpty())
        return false;
    if (a.driver == u"sqlite") {
        const QString pa = QFileInfo(a.database).canonicalFilePath();
        return !pa.isEmpty() && pa == QFileInfo(b.database).canonicalFilePath();
    }
    auto vrata = [](const Alias& x) { return x.port > 0 ? x.port : (x.driver == u"postgresql" ? 5432 : 0); };
    return a.host.compare(b.host, Qt::CaseInsensitive) == 0 && vrata(a) == vrata(b) && a.database == b.database;
}

std::optional<Alias> Aliasi::najdi(const QString& ime) const
{
    const auto it = m_aliasi.constFind(ime.toUpper());
    if (it == m_aliasi.constEnd())
        return std::nullopt;
    return *it;
}

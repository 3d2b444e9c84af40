#include "aliasi.h"
#include "belezenje.h"
#include "poti.h"
#include "mesta.h"
#include "stevila.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include "vhodnadatoteka.h"

QString potDoAliasov() { return kjeJe(Datoteka::Aliasi); }

namespace {

// An aliases file holds a few sections of a few lines.
constexpr qint64 kNajvecAliasov = 1 << 20;

// QSettings reads the file (sections, key case, quotes, escapes, commas); these lines
// only mend what it gets wrong in files written for the earlier reader of this file,
// which hold an unquoted ';' in a value, above all ODBC connection strings, and
// comments after " #". QSettings alone reads
//   database=DRIVER={IBM DB2 ODBC DRIVER};DATABASE=GLAVNA  as  DRIVER={IBM DB2 ODBC DRIVER}
//   password=a;b                                           as  a
//   host=db2 # the server                                  as  db2 # the server
// (it ends a value at its first ';' and knows no '#' comment after a value; the test
// Aliasi.UnquotedValuesWithSemicolonsAreReadWholeAsBefore holds these lines). For every
// unquoted value with ';' or '#' this gives the value as the earlier reader took it, up
// to a ';' or '#' that follows a blank, keyed "SECTION/key".
QHash<QString, QString> vrednostiStaregaBralnika(const QByteArray& vsebina)
{
    QHash<QString, QString> vrednosti;
    QString razdelek = QStringLiteral("GENERAL");
    for (const QString& surova : QString::fromUtf8(vsebina).split(u'\n')) {
        const QString vrstica = surova.trimmed();
        if (vrstica.startsWith(u'[') && vrstica.endsWith(u']')) {
            razdelek = vrstica.mid(1, vrstica.size() - 2).trimmed().toUpper();
            continue;
        }
        const qsizetype enacaj = vrstica.indexOf(u'=');
        if (enacaj <= 0 || vrstica.startsWith(u';') || vrstica.startsWith(u'#'))
            continue;
        const QString zapisana = vrstica.mid(enacaj + 1).trimmed();
        if (zapisana.startsWith(u'"') || (!zapisana.contains(u';') && !zapisana.contains(u'#')))
            continue; // QSettings reads it as that reader did
        QString vrednost = vrstica;
        for (qsizetype i = enacaj + 1; i < vrstica.size(); ++i) {
            if ((vrstica.at(i) == u';' || vrstica.at(i) == u'#') && vrstica.at(i - 1).isSpace()) {
                vrednost = vrstica.left(i);
                break;
            }
        }
        vrednost = vrednost.mid(enacaj + 1).trimmed();
        vrednosti.insert(razdelek + u'/' + vrstica.left(enacaj).trimmed().toLower(), vrednost);
    }
    return vrednosti;
}

} // namespace

Aliasi Aliasi::preberi(const QString& pot)
{
    Aliasi rezultat;
    rezultat.m_pot = pot;
    // QSettings takes a missing or unreadable file for an empty one: the reason comes
    // from opening it.
    // Only a regular file of a size an aliases file may have is read: a FIFO, a device
    // or a huge file in its place is refused without reading it.
    QString razlog;
    const std::optional<QByteArray> vsebina = preberiVhodnoDatoteko(pot, kNajvecAliasov, razlog);
    if (!vsebina) {
        rezultat.m_napakaBranja = razlog;
        return rezultat;
    }
    const QHash<QString, QString> zPodpicjem = vrednostiStaregaBralnika(*vsebina);
    const QSettings ini(pot, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        rezultat.m_napakaBranja = QStringLiteral("datoteka ni v obliki INI");
        qCWarning(lcDb).noquote() << "Datoteka z aliasi" << pot
                                  << "ni v obliki INI; prebrano je, kar je bilo mogoče prebrati";
    }

    QSet<QString> pokvarjeni; // upper-case names of aliases with a value that runs on
    for (const QString& polniKljuc : ini.allKeys()) {
        // "alias/key": a section named with '/' keeps it; the keys of a section
        // "[General]" (and any before the first section) come without a prefix.
        const qsizetype poseva = polniKljuc.lastIndexOf(u'/');
        const QString ime = poseva < 0 ? QStringLiteral("General") : polniKljuc.left(poseva);
        const QString kljuc = polniKljuc.mid(poseva + 1).trimmed().toLower();
        Alias& a = rezultat.m_aliasi[ime.toUpper()];
        if (a.ime.isEmpty()) {
            a.ime = ime;
        } else if (a.ime != ime) {
            qCWarning(lcDb).noquote() << "Razdelek" << ime << "v datoteki z aliasi" << pot << "ponavlja alias" << a.ime
                                      << "; upoštevan je prvi";
            continue;
        }
        // An unquoted value with commas comes back as a list: joined, it is the text as
        // written (blanks after the commas are lost; such values are written in quotes).
        const QVariant surova = ini.value(polniKljuc);
        QString vrednost =
            surova.typeId() == QMetaType::QStringList ? surova.toStringList().join(u',') : surova.toString();
        if (const auto it = zPodpicjem.constFind(ime.toUpper() + u'/' + kljuc); it != zPodpicjem.constEnd()) {
            vrednost = *it;
        }
        if (vrednost.contains(u'\n')) {
            // A quote without its pair takes the following lines into the value.
            pokvarjeni.insert(ime.toUpper());
            rezultat.m_napakaBranja = QStringLiteral("narekovaj v vrednosti %1 aliasa %2 ni zaprt").arg(kljuc, ime);
            qCWarning(lcDb).noquote() << "Datoteka z aliasi" << pot << "-" << rezultat.m_napakaBranja;
            continue;
        }
        if (kljuc == u"driver") {
            a.driver = vrednost.toLower();
        } else if (kljuc == u"database") {
            a.database = vrednost;
        } else if (kljuc == u"host") {
            a.host = vrednost;
        } else if (kljuc == u"port") {
            const std::optional<qint64> vrata = celoStevilo(vrednost);
            a.port = vrata && *vrata > 0 && *vrata <= 65535 ? int(*vrata) : 0;
            if (a.port == 0 && !vrednost.isEmpty())
                qCWarning(lcDb).noquote()
                    << "Alias" << ime << "v datoteki" << pot << "ima neveljavna vrata:" << vrednost;
        } else if (kljuc == u"user") {
            a.user = vrednost;
        } else if (kljuc == u"password") {
            a.password = vrednost;
        } else {
            a.ostalo.insert(kljuc, vrednost);
        }
    }
    for (const QString& ime : std::as_const(pokvarjeni))
        rezultat.m_aliasi.remove(ime);

    // An SQLite file named relative to the aliases file lives beside it.
    const QDir mapa = QFileInfo(pot).absoluteDir();
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

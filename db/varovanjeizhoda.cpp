#include "varovanjeizhoda.h"

#include "aliasi.h"
#include "belezenje.h"
#include "izhodnadatoteka.h"
#include "poti.h"
#include "pogon.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The path as the file system resolves it: the canonical path of an existing file,
// else the canonical folder and the name (a file not yet made, such as a -wal).
QString razresena(const QString& pot)
{
    const QFileInfo info(pot);
    if (info.exists())
        return info.canonicalFilePath();
    const QString mapa = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (mapa.isEmpty() ? info.absolutePath() : mapa) + u'/' + info.fileName();
}

// Whether two paths name one file: the same device and inode when both exist (a hard
// link is the same file), else the same resolved path.
bool istaDatoteka(const QString& a, const QString& b)
{
    std::error_code napaka;
    if (fs::exists(fsPot(a), napaka) && fs::exists(fsPot(b), napaka))
        return fs::equivalent(fsPot(a), fsPot(b), napaka) && !napaka;
    return razresena(a) == razresena(b);
}

// The files of every database the program holds open, and of `db`.
QStringList datotekeOdprtihBaz(const QSqlDatabase& db)
{
    QStringList datoteke = Pogon::za(db)->datotekeBaze();
    for (const QString& ime : QSqlDatabase::connectionNames()) {
        const QSqlDatabase baza = QSqlDatabase::database(ime, false);
        if (baza.isOpen())
            datoteke << Pogon::za(baza)->datotekeBaze();
    }
    return datoteke;
}

// The program's own files that no output may replace.
QStringList datotekePrograma()
{
    const QString dir = aplikacijskiDirektorij();
    QStringList datoteke{dir + QStringLiteral("ZOKDLL.DB"), dir + QStringLiteral("LEDGXFER.INI"),
                         belezenje::privzetaDatoteka(dir)};
    // The table copied from Windows may have its name in another case.
    for (const QString& ime : QDir(dir).entryList({QStringLiteral("ZOKDLL.DB")}, QDir::Files | QDir::Hidden))
        datoteke << dir + ime;
    const QString aliasi = potDoAliasov();
    if (!aliasi.isEmpty())
        datoteke << aliasi;
    return datoteke;
}

} // namespace

std::optional<QString> zavrnitevIzhoda(const QString& pot, const QSqlDatabase& db, const QStringList& vhodi,
                                       const QString& lastna)
{
    if (pot.trimmed().isEmpty())
        return IzhodnaDatoteka::zavrni(QString());
    if (std::optional<QString> razlog = IzhodnaDatoteka::zavrni(pot))
        return razlog;
    for (const QString& d : datotekeOdprtihBaz(db)) {
        if (istaDatoteka(pot, d))
            return QStringLiteral("pot je datoteka baze podatkov");
    }
    for (const QString& v : vhodi) {
        if (istaDatoteka(pot, v))
            return QStringLiteral("pot je datoteka, ki jo ukaz bere (%1)").arg(QDir::toNativeSeparators(v));
    }
    for (const QString& d : datotekePrograma()) {
        if ((lastna.isEmpty() || !istaDatoteka(lastna, d)) && istaDatoteka(pot, d))
            return QStringLiteral("pot je datoteka programa (%1)").arg(QFileInfo(d).fileName());
    }
    return std::nullopt;
}

#include "mesta.h"

#include "belezenje.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString imeDatoteke(Datoteka d)
{
    switch (d) {
    case Datoteka::Nastavitve: return QStringLiteral("LEDGXFER.INI");
    case Datoteka::Dnevnik: return QStringLiteral("ledgxfer.log");
    case Datoteka::Aliasi: return QStringLiteral("aliases.ini");
    case Datoteka::Prevrednotenje: return QStringLiteral("ZOKDLL.DB");
    }
    return QString();
}

QString vMapi(const QString& mapa, Datoteka d) { return QDir::toNativeSeparators(QDir(mapa).filePath(imeDatoteke(d))); }

// The user's state folder: $XDG_STATE_HOME or ~/.local/state on Unix (the place for
// logs), the application's local data folder elsewhere.
QString mapaStanja()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    QString osnova = qEnvironmentVariable("XDG_STATE_HOME");
    if (osnova.isEmpty() || !QDir::isAbsolutePath(osnova))
        osnova = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(osnova).filePath(QStringLiteral("ledgxfer"));
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("ledgxfer"));
#endif
}

} // namespace

bool vseVEniMapi(const Mesta& m) { return !m.dom.isEmpty() || !m.namesceno; }

Mesta trenutnaMesta()
{
    Mesta m;
    m.dom = qEnvironmentVariable("LEDGXFER_HOME");
    m.aliasi = qEnvironmentVariable("LEDGXFER_ALIASES");
    m.mapaPrograma = QCoreApplication::applicationDirPath();
    // Both programs share one folder, whatever their own names: the generic place
    // with the name of the window program.
    m.nastavitveUporabnika = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                 .filePath(QStringLiteral("ledgxfer"));
    m.stanjeUporabnika = mapaStanja();
    m.sistemskiAliasi = QStringLiteral(LEDGXFER_SISTEMSKI_ALIASI);
    // An installed program: a folder the user may not write in, or the folder this
    // build or its package installs the programs into (where even root must not leave
    // settings behind).
    const QString mapa = QDir::cleanPath(m.mapaPrograma);
    m.namesceno = !QFileInfo(mapa).isWritable() || mapa == QDir::cleanPath(QStringLiteral(LEDGXFER_NAMESCENA_MAPA))
                  || mapa == QDir::cleanPath(QStringLiteral(LEDGXFER_PAKETNA_MAPA));
    return m;
}

QString kjeJe(Datoteka d, const Mesta& m)
{
    if (d == Datoteka::Aliasi && !m.aliasi.isEmpty())
        return m.aliasi;
    if (!m.dom.isEmpty())
        return vMapi(m.dom, d);
    if (!m.namesceno)
        return vMapi(m.mapaPrograma, d);
    switch (d) {
    case Datoteka::Dnevnik: return vMapi(m.stanjeUporabnika, d);
    case Datoteka::Aliasi: {
        const QString lastni = vMapi(m.nastavitveUporabnika, d);
        if (!QFileInfo::exists(lastni) && QFileInfo::exists(m.sistemskiAliasi))
            return QDir::toNativeSeparators(m.sistemskiAliasi);
        return lastni;
    }
    case Datoteka::Nastavitve:
    case Datoteka::Prevrednotenje: break;
    }
    return vMapi(m.nastavitveUporabnika, d);
}

QString kjeJe(Datoteka d)
{
    const Mesta m = trenutnaMesta();
    const QString pot = kjeJe(d, m);
    if (vseVEniMapi(m) || pot == QDir::toNativeSeparators(m.sistemskiAliasi))
        return pot;
    // Only the user's own folders are made; $LEDGXFER_HOME and the program's folder
    // are the operator's to make.
    const QString mapa = QFileInfo(pot).absolutePath();
    if (!QFileInfo::exists(mapa)) {
        if (!QDir().mkpath(mapa))
            qCWarning(lcDb).noquote() << "Mape ni mogoče ustvariti:" << mapa;
        else
            QFile::setPermissions(mapa, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return pot;
}

#include "nastavitve.h"
#include "belezenje.h"
#include "besedilo1250.h"
#include "izhodnadatoteka.h"
#include "mesta.h"
#include "vhodnadatoteka.h"
#include "varovanjeizhoda.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>

QString potNastavitev() { return kjeJe(Datoteka::Nastavitve); }

bool preberiNastavitve(Izvajanje& vrednosti, QString& zokPolje)
{
    // No settings file is the usual first start; one that cannot be read (or is no
    // regular file of two short lines' size: a FIFO, a device) is logged and left alone.
    const QString pot = potNastavitev();
    if (!QFileInfo::exists(pot) && !QFileInfo(pot).isSymLink())
        return false;
    QString razlog;
    const std::optional<QByteArray> prebrano = preberiVhodnoDatoteko(pot, 64 * 1024, razlog);
    if (!prebrano) {
        qCWarning(lcApp).noquote() << "Nastavitev ni mogoče brati iz" << pot << ":" << razlog;
        return false;
    }
    const QByteArray& vsebina = *prebrano;

    // A line ends at CR LF or at a bare LF.
    QList<QByteArray> vrstice = vsebina.split('\n');
    if (!vsebina.isEmpty() && vsebina.endsWith('\n'))
        vrstice.removeLast();
    if (vsebina.isEmpty())
        vrstice.clear();
    for (QByteArray& v : vrstice) {
        if (v.endsWith('\r'))
            v.chop(1);
    }
    if (vrstice.size() >= 1)
        vrednosti.MesecniDirektorij = izWin1250(vrstice.at(0));
    if (vrstice.size() >= 2)
        vrednosti.ZokIzhodnaDatoteka = izWin1250(vrstice.at(1));
    zokPolje = vrednosti.ZokIzhodnaDatoteka;
    vrednosti.MesecniDirektorij = direktorijSSeparatorjem(vrednosti.MesecniDirektorij);
    return true;
}

QString zapisiNastavitve(const Izvajanje& vrednosti)
{
    // The new contents replace the file in one step, so an interrupted write never
    // leaves half a file. A failure is logged and returned, so that the window can say
    // it; it never stops the caller (the end command must still end).
    const QString pot = potNastavitev();
    QByteArray vsebina = vWin1250(vrednosti.MesecniDirektorij);
    vsebina += "\r\n";
    vsebina += vWin1250(vrednosti.ZokIzhodnaDatoteka);
    vsebina += "\r\n";
    // The same guard as every output: never a link, a FIFO or a device, never a file
    // of an open database (the settings file is the one file of the program it may be).
    if (const std::optional<QString> zakaj = zavrnitevIzhoda(pot, QSqlDatabase(), {}, pot)) {
        const QString sporocilo = QStringLiteral("Nastavitev ni mogoče zapisati v ") + QDir::toNativeSeparators(pot)
                                  + QStringLiteral(" : ") + *zakaj;
        qCWarning(lcApp).noquote() << sporocilo;
        return sporocilo;
    }
    IzhodnaDatoteka f(pot);
    if (f.odpri() && f.pisi(vsebina) && f.potrdi())
        return QString();
    const QString sporocilo = QStringLiteral("Nastavitev ni mogoče zapisati v ") + QDir::toNativeSeparators(pot)
                              + QStringLiteral(" : ") + f.razlog();
    qCWarning(lcApp).noquote() << sporocilo;
    return sporocilo;
}

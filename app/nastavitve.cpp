#include "nastavitve.h"
#include "belezenje.h"
#include "besedilo1250.h"
#include "izhodnadatoteka.h"
#include "mesta.h"
#include "varovanjeizhoda.h"

#include <QDir>
#include <QFile>

QString potNastavitev()
{
    return kjeJe(Datoteka::Nastavitve);
}

bool preberiNastavitve(Izvajanje& vrednosti, QString& zokPolje)
{
    QFile f(potNastavitev());
    if (!f.open(QIODevice::ReadOnly)) {
        // No settings file is the usual first start; one that cannot be read is logged.
        if (f.exists())
            qCWarning(lcApp).noquote() << "Nastavitev ni mogoče brati iz" << f.fileName() << ":" << f.errorString();
        return false;
    }
    const QByteArray vsebina = f.readAll();
    f.close();

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

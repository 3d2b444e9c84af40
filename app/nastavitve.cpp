#include "nastavitve.h"
#include "besedilo1250.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

QString potNastavitev()
{
    return aplikacijskiDirektorij() + QStringLiteral("LEDGXFER.INI");
}

bool preberiNastavitve(Izvajanje& vrednosti, QString& zokPolje)
{
    QFile f(potNastavitev());
    if (!f.open(QIODevice::ReadOnly))
        return false;
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

void zapisiNastavitve(const Izvajanje& vrednosti)
{
    const QString pot = potNastavitev();
    QFile::remove(pot);
    QFile f(pot);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QByteArray vsebina = vWin1250(vrednosti.MesecniDirektorij);
    vsebina += "\r\n";
    vsebina += vWin1250(vrednosti.ZokIzhodnaDatoteka);
    vsebina += "\r\n";
    f.write(vsebina);
    f.close();
}

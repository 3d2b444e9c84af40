#include "poti.h"
#include "mesta.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString aplikacijskiDirektorij()
{
    const Mesta m = trenutnaMesta();
    QString dir = m.dom;
    if (dir.isEmpty())
        dir = m.namesceno ? QFileInfo(kjeJe(Datoteka::Nastavitve)).path() : m.mapaPrograma;
    return direktorijSSeparatorjem(QDir::toNativeSeparators(dir));
}

QString imeDatotekeIzPoti(const QString& pot)
{
    qsizetype i = pot.size();
    while (i > 0) {
        const QChar c = pot.at(i - 1);
        if (c == u'/' || c == u'\\' || c == u':')
            break;
        --i;
    }
    return pot.mid(i);
}

QString direktorijSSeparatorjem(const QString& direktorij)
{
    if (direktorij.isEmpty() || direktorij.endsWith(QDir::separator()))
        return direktorij;
    return direktorij + QDir::separator();
}

QString obrezi(const QString& besedilo)
{
    qsizetype z = 0, k = besedilo.size();
    while (z < k && besedilo.at(z).unicode() <= 32)
        ++z;
    while (k > z && besedilo.at(k - 1).unicode() <= 32)
        --k;
    return besedilo.mid(z, k - z);
}

bool JePrazno(const QString& besedilo)
{
    for (QChar c : besedilo) {
        if (c != u' ')
            return false;
    }
    return true;
}

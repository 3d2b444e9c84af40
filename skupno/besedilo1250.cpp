#include "besedilo1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

QByteArray vWin1250(const QString& besedilo)
{
    // Plain ASCII is the same in the code page: the common case needs no converter.
    bool ascii = true;
    for (QChar c : besedilo) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return besedilo.toLatin1();

    QStringEncoder enc("windows-1250");
    QByteArray izhod = enc(besedilo);
    if (!enc.hasError())
        return izhod;
    // Some character has no byte: encode one code point at a time, '?' for the missing.
    izhod.clear();
    for (qsizetype i = 0; i < besedilo.size(); ++i) {
        qsizetype dolzina = 1;
        if (besedilo.at(i).isHighSurrogate() && i + 1 < besedilo.size() && besedilo.at(i + 1).isLowSurrogate())
            dolzina = 2;
        QStringEncoder en("windows-1250");
        const QByteArray b = en(QStringView(besedilo).mid(i, dolzina));
        izhod += (en.hasError() || b.size() != 1) ? QByteArray("?") : b;
        i += dolzina - 1;
    }
    return izhod;
}

QString izWin1250(const QByteArray& bajti)
{
    QStringDecoder dec("windows-1250");
    return dec(bajti);
}

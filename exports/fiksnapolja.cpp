#include "fiksnapolja.h"
#include "besedilo1250.h"

QByteArray levoPolje(const QString& besedilo, int sirina)
{
    QByteArray b = vWin1250(besedilo).left(sirina);
    if (b.size() < sirina)
        b.append(sirina - b.size(), ' ');
    return b;
}

QByteArray desnoPolje(const QByteArray& besedilo, int sirina)
{
    if (besedilo.size() >= sirina)
        return besedilo.left(sirina);
    return QByteArray(sirina - besedilo.size(), ' ') + besedilo;
}

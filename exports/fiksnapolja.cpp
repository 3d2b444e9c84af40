#include "fiksnapolja.h"
#include "besedilo1250.h"

namespace {

bool kontrolni(char16_t u) { return u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || u == 0x2028 || u == 0x2029; }

} // namespace

QByteArray levoPolje(const QString& besedilo, int sirina, qsizetype* nepredstavljivih)
{
    QString t = besedilo;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (kontrolni(c.unicode())) {
            t[i] = u' ';
        } else if (nepredstavljivih && c.unicode() >= 0x80) {
            // A character outside ASCII counts when the code page has no byte for it;
            // a surrogate pair is one character, written as one '?'.
            const qsizetype n = c.isHighSurrogate() && i + 1 < t.size() ? 2 : 1;
            if (vWin1250(t.mid(i, n)) == "?")
                ++*nepredstavljivih;
            i += n - 1;
        }
    }
    QByteArray b = vWin1250(t).left(sirina);
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

#include "iskanje.h"
#include "napaka.h"

IskanjeVBazi::IskanjeVBazi(const QSqlDatabase& baza) : m_q(baza) {}

QString IskanjeVBazi::organizacija(qint64 pogodba)
{
    m_q.odpri(QStringLiteral("SELECT O.KNTORG KNTORG FROM POG P, ORG O ")
              + QStringLiteral(" WHERE  P.SFORG=O.SFORG ")
              + QStringLiteral(" AND  P.IDPOG=") + QString::number(pogodba));
    const QString kntorg = m_q.naslednji() ? m_q.niz(QStringLiteral("KNTORG")) : QString();
    m_q.zapri();
    return kntorg;
}

QString IskanjeVBazi::vrstaPartnerja(qint64 partner)
{
    QString sfsos;
    if (m_q.poskusiOdpreti(QStringLiteral("SELECT SFSOS, KRTBNK FROM OSB ")
                           + QStringLiteral(" WHERE SFOSB=") + QString::number(partner))) {
        try {
            if (m_q.naslednji())
                sfsos = m_q.niz(QStringLiteral("SFSOS"));
        } catch (const Napaka&) {
            sfsos.clear(); // a result without the column counts as no row
        }
    }
    m_q.zapri();
    return sfsos;
}

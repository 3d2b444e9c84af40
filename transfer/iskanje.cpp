#include "iskanje.h"

#include "belezenje.h"
#include "napaka.h"
#include "narecje.h"

#include <QSqlError>

IskanjeVBazi::IskanjeVBazi(const QSqlDatabase& baza) : m_baza(baza), m_organizacija(baza), m_partner(baza) {}

QString IskanjeVBazi::organizacija(qint64 pogodba)
{
    if (!m_organizacijaPripravljena) {
        const QString sql = QStringLiteral("SELECT O.KNTORG KNTORG FROM POG P, ORG O ")
                            + QStringLiteral(" WHERE  P.SFORG=O.SFORG ") + QStringLiteral(" AND  P.IDPOG=?");
        if (!m_organizacija.prepare(prevediZa(m_baza, sql)))
            throw Napaka(narecje::besedilo(m_organizacija.lastError()));
        m_organizacijaPripravljena = true;
    }
    m_organizacija.bindValue(0, pogodba);
    if (!m_organizacija.exec())
        throw Napaka(narecje::besedilo(m_organizacija.lastError()));
    const QString kntorg = m_organizacija.next() ? vrednostNiz(m_organizacija.value(0)) : QString();
    m_organizacija.finish();
    return kntorg;
}

QString IskanjeVBazi::vrstaPartnerja(qint64 partner)
{
    // A look-up that fails, or a result without the column, counts as no row.
    if (m_partnerNeuspel)
        return QString();
    if (!m_partnerPripravljen) {
        const QString sql = QStringLiteral("SELECT SFSOS, KRTBNK FROM OSB ") + QStringLiteral(" WHERE SFOSB=?");
        if (!m_partner.prepare(prevediZa(m_baza, sql))) {
            qCInfo(lcTransfer).noquote() << "Iskanje vrste partnerja ni mogoče:"
                                         << narecje::besedilo(m_partner.lastError());
            m_partnerNeuspel = true;
            return QString();
        }
        m_partnerPripravljen = true;
    }
    m_partner.bindValue(0, partner);
    QString sfsos;
    if (m_partner.exec()) {
        if (m_partner.next())
            sfsos = vrednostNiz(m_partner.value(0));
    } else {
        qCInfo(lcTransfer).noquote() << "Iskanje vrste partnerja" << partner
                                     << "ni uspelo:" << narecje::besedilo(m_partner.lastError());
    }
    m_partner.finish();
    return sfsos;
}

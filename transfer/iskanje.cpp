#include "iskanje.h"

#include "belezenje.h"
#include "napaka.h"
#include "narecje.h"

#include <QSqlError>

#include <algorithm>
#include <limits>

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

namespace {

// The whole tables of the two look-ups: the key and the text the statement one by one gives.
const QString kVseOrganizacije = QStringLiteral("SELECT P.IDPOG IDPOG, O.KNTORG KNTORG FROM POG P, ORG O ")
                                 + QStringLiteral(" WHERE  P.SFORG=O.SFORG ");
const QString kVsiPartnerji = QStringLiteral("SELECT SFOSB, SFSOS FROM OSB ");

} // namespace

qint32 IskanjeSPomnilnikom::Odgovori::indeks(const QString& besedilo)
{
    const auto it = indeksi.constFind(besedilo);
    if (it != indeksi.constEnd())
        return *it;
    const auto i = qint32(besedila.size());
    besedila.append(besedilo);
    indeksi.insert(besedilo, i);
    return i;
}

const QString* IskanjeSPomnilnikom::Odgovori::najdi(qint64 kljuc) const
{
    const auto it = posamic.constFind(kljuc);
    if (it != posamic.constEnd())
        return &besedila.at(*it);
    if (!vse)
        return nullptr;
    const auto v = std::lower_bound(vsi.cbegin(), vsi.cend(), kljuc,
                                    [](const std::pair<qint64, qint32>& a, qint64 k) { return a.first < k; });
    static const QString brez;
    return v != vsi.cend() && v->first == kljuc ? &besedila.at(v->second) : &brez;
}

void IskanjeSPomnilnikom::Odgovori::urediVse()
{
    std::stable_sort(
        vsi.begin(), vsi.end(),
        [](const std::pair<qint64, qint32>& a, const std::pair<qint64, qint32>& b) { return a.first < b.first; });
    vsi.erase(std::unique(vsi.begin(), vsi.end(),
                          [](const std::pair<qint64, qint32>& a, const std::pair<qint64, qint32>& b) {
                              return a.first == b.first;
                          }),
              vsi.end());
    vsi.shrink_to_fit();
}

IskanjeSPomnilnikom::IskanjeSPomnilnikom(const QSqlDatabase& baza, int prag)
    : m_baza(baza), m_posamic(baza), m_prag(prag)
{
}

bool IskanjeSPomnilnikom::preberiVse(Odgovori& o, const QString& sql, QString* napaka)
{
    // Forward only: the driver does not keep the rows it has handed out.
    QSqlQuery q(m_baza);
    q.setForwardOnly(true);
    if (!q.exec(prevediZa(m_baza, sql))) {
        *napaka = narecje::besedilo(q.lastError());
        return false;
    }
    std::vector<std::pair<qint64, qint32>> vsi;
    while (q.next()) {
        const QVariant kljuc = q.value(0);
        bool ok = false;
        const qint64 k = kljuc.toLongLong(&ok);
        if (kljuc.isNull() || !ok)
            continue; // no key asked one by one matches it
        vsi.emplace_back(k, o.indeks(vrednostNiz(q.value(1))));
    }
    if (q.lastError().isValid()) {
        *napaka = narecje::besedilo(q.lastError());
        return false;
    }
    q.finish();
    o.vsi = std::move(vsi);
    o.urediVse();
    o.vse = true;
    return true;
}

QString IskanjeSPomnilnikom::organizacija(qint64 pogodba)
{
    if (const QString* v = m_organizacije.najdi(pogodba))
        return *v;
    if (++m_organizacije.vprasanih > m_prag) {
        QString napaka;
        if (!preberiVse(m_organizacije, kVseOrganizacije, &napaka))
            throw Napaka(napaka);
        qCDebug(lcTransfer) << "Organizacije pogodb so prebrane naenkrat:" << m_organizacije.vsi.size();
        return *m_organizacije.najdi(pogodba);
    }
    const QString v = m_posamic.organizacija(pogodba);
    m_organizacije.posamic.insert(pogodba, m_organizacije.indeks(v));
    return v;
}

QString IskanjeSPomnilnikom::vrstaPartnerja(qint64 partner)
{
    if (const QString* v = m_partnerji.najdi(partner))
        return *v;
    if (++m_partnerji.vprasanih > m_prag) {
        QString napaka;
        if (preberiVse(m_partnerji, kVsiPartnerji, &napaka)) {
            qCDebug(lcTransfer) << "Vrste partnerjev so prebrane naenkrat:" << m_partnerji.vsi.size();
            return *m_partnerji.najdi(partner);
        }
        // The partners are then asked one by one, as before.
        qCInfo(lcTransfer).noquote() << "Vrst partnerjev ni mogoče prebrati naenkrat:" << napaka;
        m_partnerji.vprasanih = std::numeric_limits<int>::min();
    }
    const QString v = m_posamic.vrstaPartnerja(partner);
    m_partnerji.posamic.insert(partner, m_partnerji.indeks(v));
    return v;
}

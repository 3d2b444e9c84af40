#include "rezultatvir.h"

#include "poizvedba.h"
#include "rezultat.h"

#include <QDate>
#include <QSqlError>
#include <QSqlRecord>

QVariant datumIzIso(const QVariant& v)
{
    if (v.typeId() != QMetaType::QString)
        return v;
    const QString s = v.toString();
    if (s.size() != 10 || s.at(4) != u'-' || s.at(7) != u'-')
        return v;
    const QDate d = QDate::fromString(s, Qt::ISODate);
    return d.isValid() ? QVariant(d) : v;
}

RezultatVir::RezultatVir(Rezultat& rezultat) : m_r(rezultat) {}

bool RezultatVir::prvi()
{
    m_stolpci.clear();
    // A one-directional result cannot go back to its first row: it gives no rows.
    m_vrstic = m_r.jeOdprt() && !m_r.samoNaprej() ? m_r.steviloVrstic() : 0;
    m_vrstica = 0;
    return m_vrstica < m_vrstic;
}

bool RezultatVir::naslednji()
{
    if (m_vrstica < m_vrstic)
        ++m_vrstica;
    return m_vrstica < m_vrstic;
}

int RezultatVir::stolpec(const QString& polje) const
{
    // Keyed by the name as asked for: a report asks for the same few names on every row.
    auto it = m_stolpci.constFind(polje);
    if (it != m_stolpci.constEnd())
        return *it;
    const int s = m_r.indeksStolpca(polje);
    m_stolpci.insert(polje, s);
    return s;
}

QVariant RezultatVir::vrednost(const QString& polje)
{
    if (m_vrstica >= m_vrstic)
        return {};
    const int s = stolpec(polje);
    if (s < 0)
        return {};
    return datumIzIso(m_r.vrednost(m_vrstica, s));
}

bool RezultatVir::imaPolje(const QString& polje) const { return m_r.jeOdprt() && stolpec(polje) >= 0; }

StavekVir::StavekVir(const QSqlDatabase& baza, const QString& sql, const QVariantMap& parametri)
    : m_baza(baza), m_sql(sql), m_parametri(parametri)
{
}

bool StavekVir::prvi()
{
    m_stolpci.clear();
    m_napaka.clear();
    m_q = QSqlQuery(m_baza);
    m_q.setForwardOnly(true);
    const QString sql = prevediZa(m_baza, m_sql);
    bool ok = m_q.prepare(sql);
    if (ok) {
        vezi(m_q, sql, m_parametri);
        ok = m_q.exec();
    }
    if (!ok) {
        const QSqlError e = m_q.lastError();
        m_napaka = e.databaseText().isEmpty() ? e.text() : e.databaseText();
        return false;
    }
    return m_q.next();
}

bool StavekVir::naslednji() { return m_q.isActive() && m_q.next(); }

int StavekVir::stolpec(const QString& polje) const
{
    // Keyed by the name as asked for: a report asks for the same few names on every row.
    auto it = m_stolpci.constFind(polje);
    if (it != m_stolpci.constEnd())
        return *it;
    const int s = m_q.record().indexOf(polje);
    m_stolpci.insert(polje, s);
    return s;
}

QVariant StavekVir::vrednost(const QString& polje)
{
    if (!m_q.isValid())
        return {};
    const int s = stolpec(polje);
    if (s < 0)
        return {};
    return datumIzIso(m_q.value(s));
}

bool StavekVir::imaPolje(const QString& polje) const { return m_q.isActive() && stolpec(polje) >= 0; }

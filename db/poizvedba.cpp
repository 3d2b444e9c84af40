#include "poizvedba.h"

#include "pogon.h"

#include "isodatum.h"
#include "napaka.h"
#include "narecje.h"
#include "povezava.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

#include <limits>

namespace {

QString besediloNapake(const QSqlError& e) { return narecje::besedilo(e); }

} // namespace

QString prevediZa(const QSqlDatabase& db, const QString& sql) { return Pogon::za(db)->prevedi(sql); }

void vezi(QSqlQuery& q, const QString& sql, const QVariantMap& parametri)
{
    for (auto it = parametri.constBegin(); it != parametri.constEnd(); ++it) {
        const QRegularExpression re(QStringLiteral(":(%1)\\b").arg(QRegularExpression::escape(it.key())),
                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = re.match(sql);
        q.bindValue(m.hasMatch() ? QStringLiteral(":") + m.captured(1) : u':' + it.key(), it.value());
    }
}

QString vrednostNiz(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("d.M.yyyy"));
    return v.toString();
}

qint64 vrednostCelo(const QVariant& v)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    const double d = v.toDouble(&ok);
    return ok ? static_cast<qint64>(d) : 0;
}

double vrednostRealno(const QVariant& v)
{
    if (v.isNull())
        return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0.0;
}

QDate vrednostDatum(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QString s = v.toString().trimmed();
    QDate d = QDate::fromString(s.left(10), Qt::ISODate);
    return d;
}

double vrednostZnesek(const QVariant& v)
{
    if (v.isNull())
        return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : std::numeric_limits<double>::quiet_NaN();
}

QDate vrednostDatumKnjizbe(const QVariant& v)
{
    if (v.typeId() != QMetaType::QString)
        return vrednostDatum(v);
    QDate d;
    const QByteArray iso = v.toString().left(10).toLatin1();
    if (iso.size() == 10 && preberiIsoDatum(iso.constData(), &d))
        return d;
    return {};
}

Poizvedba::Poizvedba(const QSqlDatabase& db) : m_db(db), m_q(db) {}

Poizvedba::Poizvedba(const QString& imeBaze) : Poizvedba(povezava::zaIme(imeBaze)) {}

bool Poizvedba::pripravi(const QString& sql, const QVariantMap& parametri)
{
    m_napaka.clear();
    const QString prevedeno = prevediZa(m_db, sql);
    if (parametri.isEmpty())
        return true;
    if (!m_q.prepare(prevedeno)) {
        m_napaka = besediloNapake(m_q.lastError());
        return false;
    }
    vezi(m_q, prevedeno, parametri);
    return true;
}

bool Poizvedba::poskusiIzvesti(const QString& sql, const QVariantMap& parametri) noexcept
{
    m_q.finish();
    m_q.setForwardOnly(true);
    if (!pripravi(sql, parametri))
        return false;
    const bool ok = parametri.isEmpty() ? m_q.exec(prevediZa(m_db, sql)) : m_q.exec();
    if (!ok)
        m_napaka = besediloNapake(m_q.lastError());
    return ok;
}

void Poizvedba::izvedi(const QString& sql, const QVariantMap& parametri)
{
    if (!poskusiIzvesti(sql, parametri))
        throw Napaka(m_napaka);
}

bool Poizvedba::poskusiOdpreti(const QString& sql, const QVariantMap& parametri, bool samoNaprej) noexcept
{
    m_q.finish();
    m_q.setForwardOnly(samoNaprej);
    if (!pripravi(sql, parametri))
        return false;
    const bool ok = parametri.isEmpty() ? m_q.exec(prevediZa(m_db, sql)) : m_q.exec();
    if (!ok) {
        m_napaka = besediloNapake(m_q.lastError());
        return false;
    }
    if (!m_q.isSelect()) {
        m_napaka = QStringLiteral("Stavek ne vrača rezultata");
        return false;
    }
    return true;
}

void Poizvedba::odpri(const QString& sql, const QVariantMap& parametri, bool samoNaprej)
{
    if (!poskusiOdpreti(sql, parametri, samoNaprej))
        throw Napaka(m_napaka);
}

bool Poizvedba::jePolje(const QString& ime) const { return m_q.record().indexOf(ime) >= 0; }

QVariant Poizvedba::polje(const QString& ime) const
{
    const int i = m_q.record().indexOf(ime);
    if (i < 0)
        throw Napaka(QStringLiteral("Polje '%1' ne obstaja").arg(ime));
    return m_q.value(i);
}

QString Poizvedba::niz(const QString& ime) const { return vrednostNiz(polje(ime)); }
qint64 Poizvedba::celo(const QString& ime) const { return vrednostCelo(polje(ime)); }
double Poizvedba::realno(const QString& ime) const { return vrednostRealno(polje(ime)); }
QDate Poizvedba::datum(const QString& ime) const { return vrednostDatum(polje(ime)); }

#include "izravnave.h"

#include "poizvedba.h"
#include "zneski.h"

#include <QSqlDriver>
#include <QVariant>


namespace {

const QString kVstavi = QStringLiteral(
    "INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK, ZAOKROZEN, RAZLIKA) "
    " VALUES (:PRENOS, :VP, :DAN, :KONTO, :SFDJV, :PARTNER, :ZNESEK, :ZAOKROZEN, :RAZLIKA) ");

void vezi(QSqlQuery& q, qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
          const QString& sfdjv, const QString& partner, double znesek, double zaokrozen)
{
    q.bindValue(QStringLiteral(":PRENOS"), prenos);
    q.bindValue(QStringLiteral(":VP"), vp);
    q.bindValue(QStringLiteral(":DAN"), dan);
    q.bindValue(QStringLiteral(":KONTO"), konto);
    q.bindValue(QStringLiteral(":SFDJV"), sfdjv);
    q.bindValue(QStringLiteral(":PARTNER"), partner);
    q.bindValue(QStringLiteral(":ZNESEK"), znesek);
    q.bindValue(QStringLiteral(":ZAOKROZEN"), zaokrozen);
    q.bindValue(QStringLiteral(":RAZLIKA"), razlikaIzravnave(znesek, zaokrozen));
}

} // namespace

QString stavekUstvariIzravnave()
{
    return QStringLiteral("CREATE TABLE  IZRAVNAVE (") + QStringLiteral(" PRENOS INTEGER")
           + QStringLiteral(",VP INTEGER") + QStringLiteral(",DAN DATE") + QStringLiteral(",KONTO CHAR(15)")
           + QStringLiteral(",SFDJV CHAR(3)") + QStringLiteral(",PARTNER CHAR(8)")
           + QStringLiteral(",ZNESEK DOUBLE") + QStringLiteral(",ZAOKROZEN DOUBLE")
           + QStringLiteral(",RAZLIKA DOUBLE") + QStringLiteral(")");
}

double razlikaIzravnave(double znesek, double zaokrozen)
{
    // rounded + (-amount) in the extended format, stored back as a double.
    double razlika = zaokrozen;
    PristejNezaokrozeno(razlika, -znesek);
    return razlika;
}

void ZaokroziInShrani(const QSqlDatabase& baza, qint64 prenos, qint64 vp, const QDate& dan,
                      const QString& konto, const QString& sfdjv, const QString& partner,
                      double znesek, double zaokrozen)
{
    Poizvedba q(baza);
    q.poskusiIzvesti(stavekUstvariIzravnave());
    QSqlQuery vstavi(baza);
    if (!vstavi.prepare(prevediZa(baza, kVstavi)))
        return;
    vezi(vstavi, prenos, vp, dan, konto, sfdjv, partner, znesek, zaokrozen);
    vstavi.exec();
}

void BrisiVIzravnavi(const QSqlDatabase& baza, qint64 prenos)
{
    if (prenos == 0)
        return;
    Poizvedba q(baza);
    q.poskusiIzvesti(QStringLiteral("DELETE FROM  IZRAVNAVE WHERE PRENOS=") + QString::number(prenos));
}

QString stavekOstevilci(qint64 novaStevilka)
{
    return QStringLiteral("UPDATE IZRAVNAVE SET PRENOS=") + QString::number(novaStevilka)
           + QStringLiteral(" WHERE (PRENOS IS NULL OR PRENOS<1) ");
}

QString OstevilciIzravnave(const QSqlDatabase& baza, qint64 novaStevilka)
{
    const QString sql = stavekOstevilci(novaStevilka);
    Poizvedba q(baza);
    return q.poskusiIzvesti(sql) ? QString() : sql;
}

ShrambaIzravnav::ShrambaIzravnav(const QSqlDatabase& baza, int vSkupini)
    : m_baza(baza), m_vstavi(baza), m_velikostSkupine(vSkupini)
{
    // A failed insert inside a transaction spoils the rest of it on PostgreSQL, so
    // only SQLite groups its rows.
    const QSqlDriver* d = baza.driver();
    m_skupine = d && d->dbmsType() == QSqlDriver::SQLite && vSkupini > 1;
}

ShrambaIzravnav::~ShrambaIzravnav()
{
    koncaj();
}

void ShrambaIzravnav::zacniSkupino()
{
    if (m_skupine && !m_vSkupini) {
        m_vSkupini = m_baza.transaction();
        m_vrsticVSkupini = 0;
    }
}

void ShrambaIzravnav::koncaj()
{
    if (m_vSkupini) {
        if (!m_baza.commit())
            m_baza.rollback();
        m_vSkupini = false;
    }
}

void ShrambaIzravnav::shrani(qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
                             const QString& sfdjv, const QString& partner, double znesek,
                             double zaokrozen)
{
    if (!m_pripravljeno) {
        // The table is created before the first row; an existing one stays as it is.
        Poizvedba(m_baza).poskusiIzvesti(stavekUstvariIzravnave());
        m_pripravljeno = m_vstavi.prepare(prevediZa(m_baza, kVstavi));
        if (!m_pripravljeno) {
            // Prepared statements refused: every row on its own, as a single call would.
            ZaokroziInShrani(m_baza, prenos, vp, dan, konto, sfdjv, partner, znesek, zaokrozen);
            return;
        }
    }
    zacniSkupino();
    vezi(m_vstavi, prenos, vp, dan, konto, sfdjv, partner, znesek, zaokrozen);
    m_vstavi.exec(); // a refused row is missing, nothing more
    if (m_vSkupini && ++m_vrsticVSkupini >= m_velikostSkupine)
        koncaj();
}

void ShrambaIzravnav::brisi(qint64 prenos)
{
    if (prenos == 0)
        return;
    zacniSkupino();
    Poizvedba(m_baza).poskusiIzvesti(QStringLiteral("DELETE FROM  IZRAVNAVE WHERE PRENOS=")
                                     + QString::number(prenos));
}

#include "izravnave.h"

#include "napaka.h"
#include "poizvedba.h"
#include "zneski.h"
#include "belezenje.h"
#include "narecje.h"
#include "transakcija.h"

#include <QSqlError>
#include <QVariant>

namespace {

const QString kVstavi =
    QStringLiteral("INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK, ZAOKROZEN, RAZLIKA) "
                   " VALUES (:PRENOS, :VP, :DAN, :KONTO, :SFDJV, :PARTNER, :ZNESEK, :ZAOKROZEN, :RAZLIKA) ");

void vezi(QSqlQuery& q, qint64 prenos, qint64 vp, const QDate& dan, const QString& konto, const QString& sfdjv,
          const QString& partner, double znesek, double zaokrozen)
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
           + QStringLiteral(",SFDJV CHAR(3)") + QStringLiteral(",PARTNER CHAR(8)") + QStringLiteral(",ZNESEK DOUBLE")
           + QStringLiteral(",ZAOKROZEN DOUBLE") + QStringLiteral(",RAZLIKA DOUBLE") + QStringLiteral(")");
}

double razlikaIzravnave(double znesek, double zaokrozen)
{
    // rounded + (-amount) in the extended format, stored back as a double.
    double razlika = zaokrozen;
    PristejNezaokrozeno(razlika, -znesek);
    return razlika;
}

void ZaokroziInShrani(const QSqlDatabase& baza, qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
                      const QString& sfdjv, const QString& partner, double znesek, double zaokrozen)
{
    Poizvedba q(baza);
    q.poskusiIzvesti(stavekUstvariIzravnave());
    QSqlQuery vstavi(baza);
    if (!vstavi.prepare(prevediZa(baza, kVstavi))) {
        qCWarning(lcTransfer).noquote() << "Vrstica izravnave ni shranjena:" << narecje::besedilo(vstavi.lastError());
        return;
    }
    vezi(vstavi, prenos, vp, dan, konto, sfdjv, partner, znesek, zaokrozen);
    if (!vstavi.exec())
        qCWarning(lcTransfer).noquote() << "Vrstica izravnave ni shranjena:" << narecje::besedilo(vstavi.lastError());
}

void BrisiVIzravnavi(const QSqlDatabase& baza, qint64 prenos)
{
    if (prenos == 0)
        return;
    Poizvedba q(baza);
    if (!q.poskusiIzvesti(QStringLiteral("DELETE FROM  IZRAVNAVE WHERE PRENOS=") + QString::number(prenos)))
        qCInfo(lcTransfer).noquote() << "DELETE FROM IZRAVNAVE:" << q.zadnjaNapaka();
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

ShrambaIzravnav::ShrambaIzravnav(Transakcija& transakcija)
    : m_tx(transakcija),
      m_vnos(transakcija, QStringLiteral("IZRAVNAVE"),
             {QStringLiteral("PRENOS"), QStringLiteral("VP"), QStringLiteral("DAN"), QStringLiteral("KONTO"),
              QStringLiteral("SFDJV"), QStringLiteral("PARTNER"), QStringLiteral("ZNESEK"), QStringLiteral("ZAOKROZEN"),
              QStringLiteral("RAZLIKA")},
             [this](const QVariantList& vrstica, const QSqlError& napaka) { zavrnjena(vrstica, napaka); })
{
}

void ShrambaIzravnav::pripravi()
{
    if (m_pripravljeno)
        return;
    m_pripravljeno = true;
    // The table is created before the first row; an existing one stays as it is.
    QString napaka;
    if (!m_tx.poskusi(stavekUstvariIzravnave(), {}, QStringLiteral("tabelo IZRAVNAVE"), &napaka))
        qCDebug(lcTransfer).noquote() << "CREATE TABLE IZRAVNAVE:" << napaka;
    // A statement the database cannot prepare (no table in a read-only database) ends
    // the run with the database's reason.
    m_vnos.pripravi();
}

void ShrambaIzravnav::zavrnjena(const QVariantList& vrstica, const QSqlError& napaka)
{
    const QString konto = vrstica.at(3).toString();
    ++m_zavrnjenih;
    if (!m_zavrnjeniKonti.contains(konto))
        m_zavrnjeniKonti.append(konto);
    qCWarning(lcTransfer).noquote() << "Baza ni sprejela vrstice izravnave za konto" << konto << ":"
                                    << narecje::besedilo(napaka);
}

void ShrambaIzravnav::koncaj()
{
    if (m_pripravljeno)
        m_vnos.koncaj();
}

void ShrambaIzravnav::shrani(qint64 prenos, qint64 vp, const QDate& dan, const QString& konto, const QString& sfdjv,
                             const QString& partner, double znesek, double zaokrozen)
{
    pripravi();
    m_vnos.dodaj({prenos, vp, dan, konto, sfdjv, partner, znesek, zaokrozen, razlikaIzravnave(znesek, zaokrozen)});
}

void ShrambaIzravnav::brisi(qint64 prenos)
{
    if (prenos == 0)
        return;
    if (m_pripravljeno)
        m_vnos.poslji();
    // No table yet means no rows to delete.
    QString napaka;
    if (!m_tx.poskusi(QStringLiteral("DELETE FROM  IZRAVNAVE WHERE PRENOS=") + QString::number(prenos), {},
                      QStringLiteral("tabelo IZRAVNAVE"), &napaka))
        qCInfo(lcTransfer).noquote() << "DELETE FROM IZRAVNAVE:" << napaka;
}

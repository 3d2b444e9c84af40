#include "izravnave.h"

#include "napaka.h"
#include "poizvedba.h"
#include "zneski.h"
#include "belezenje.h"
#include "narecje.h"
#include "transakcija.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>


namespace {

// The temporary table of a run's rows on SQLite, in the connection's own temporary database.
#define kZacasna "temp.LEDGXFER_IZRAVNAVE"

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
    : m_tx(transakcija), m_baza(transakcija.baza()), m_vstavi(m_baza), m_vstaviSkupino(m_baza)
{
    const QSqlDriver* d = m_baza.driver();
    m_dbms = d ? d->dbmsType() : QSqlDriver::UnknownDbms;
    if (m_dbms == QSqlDriver::SQLite) {
        m_velikostSkupine = 0; // one prepared insert per row is SQLite's fastest way
    } else if (m_baza.driverName() == QLatin1String("QPSQL")) {
        // PostgreSQL takes a whole group as nine arrays: one statement, nine values.
        m_polja = true;
        m_velikostSkupine = 5000;
    } else {
        m_velikostSkupine = 250;
    }
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
    QString vstavi = kVstavi;
    if (m_dbms == QSqlDriver::SQLite) {
        // SQLite: the rows wait in a table of the connection's own temporary database
        // and reach IZRAVNAVE in one statement at the end. While the run reads, its
        // write-ahead log stays empty; a log growing with every row would make each
        // page the run reads slower to find.
        for (const char* sql : {"CREATE TEMP TABLE IF NOT EXISTS LEDGXFER_IZRAVNAVE (PRENOS INTEGER, VP INTEGER, DAN DATE,"
                                " KONTO CHAR(15), SFDJV CHAR(3), PARTNER CHAR(8), ZNESEK DOUBLE, ZAOKROZEN DOUBLE,"
                                " RAZLIKA DOUBLE)",
                                "DELETE FROM " kZacasna}) {
            QString napaka;
            if (!m_tx.poskusi(QString::fromLatin1(sql), {}, QStringLiteral("začasno tabelo"), &napaka))
                throw Napaka(napaka);
        }
        vstavi.replace(QStringLiteral("INSERT INTO  IZRAVNAVE "), QStringLiteral("INSERT INTO " kZacasna " "));
    }
    if (!m_tx.vTocki([&] { return m_vstavi.prepare(prevediZa(m_baza, vstavi)); }))
        throw Napaka(narecje::besedilo(m_vstavi.lastError()));
    if (m_polja) {
        const QString sql = QStringLiteral(
            "INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK, ZAOKROZEN, RAZLIKA) "
            " SELECT * FROM unnest(CAST(? AS integer[]), CAST(? AS integer[]), CAST(? AS date[]),"
            " CAST(? AS text[]), CAST(? AS text[]), CAST(? AS text[]), CAST(? AS float8[]),"
            " CAST(? AS float8[]), CAST(? AS float8[]))");
        if (!m_tx.vTocki([&] { return m_vstaviSkupino.prepare(sql); })) {
            qCWarning(lcTransfer).noquote() << "Vstavljanje polj ni pripravljeno, vrstice gredo po 250:"
                                            << narecje::besedilo(m_vstaviSkupino.lastError());
            m_polja = false;
            m_velikostSkupine = 250;
        }
    }
    if (m_velikostSkupine > 0 && !m_polja) {
        QString sql = QStringLiteral("INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK,"
                                     " ZAOKROZEN, RAZLIKA)  VALUES ");
        for (int i = 0; i < m_velikostSkupine; ++i)
            sql += (i ? QStringLiteral(",") : QString()) + QStringLiteral("(?,?,?,?,?,?,?,?,?)");
        if (!m_tx.vTocki([&] { return m_vstaviSkupino.prepare(prevediZa(m_baza, sql)); })) {
            qCWarning(lcTransfer).noquote() << "Vstavljanje skupin ni pripravljeno, vrstice gredo posamič:"
                                            << narecje::besedilo(m_vstaviSkupino.lastError());
            m_velikostSkupine = 0;
        }
    }
}

void ShrambaIzravnav::zavrnjena(const Vrstica& v, const QSqlError& napaka)
{
    if (!narecje::jeZavrnjenaVrednost(napaka, m_dbms))
        throw Napaka(narecje::besedilo(napaka));
    ++m_zavrnjenih;
    if (!m_zavrnjeniKonti.contains(v.konto))
        m_zavrnjeniKonti.append(v.konto);
    qCWarning(lcTransfer).noquote() << "Baza ni sprejela vrstice izravnave za konto" << v.konto << ":"
                                    << narecje::besedilo(napaka);
}

void ShrambaIzravnav::vstaviPosamic(const Vrstica& v)
{
    vezi(m_vstavi, v.prenos, v.vp, v.dan, v.konto, v.sfdjv, v.partner, v.znesek, v.zaokrozen);
    if (m_dbms == QSqlDriver::SQLite) {
        // SQLite undoes a failed statement by itself; the transaction goes on.
        if (!m_vstavi.exec())
            zavrnjena(v, m_vstavi.lastError());
        return;
    }
    QSqlError napaka;
    if (!m_tx.vTocki([&] {
            if (m_vstavi.exec())
                return true;
            napaka = m_vstavi.lastError();
            return false;
        }))
        zavrnjena(v, napaka);
}

bool ShrambaIzravnav::posljiPolja(const QList<Vrstica>& vrstice)
{
    // Array literals: numbers as they round-trip, texts quoted with \ and " escaped.
    QString polja[9];
    for (QString& p : polja) {
        p.reserve(vrstice.size() * 12);
        p += u'{';
    }
    auto besedilo = [](QString& p, const QString& t) {
        if (t.isNull()) { // as a bound null text: NULL
            p += QStringLiteral("NULL");
            return;
        }
        p += u'"';
        for (QChar c : t) {
            if (c == u'"' || c == u'\\')
                p += u'\\';
            p += c;
        }
        p += u'"';
    };
    bool prva = true;
    for (const Vrstica& v : vrstice) {
        if (!prva)
            for (QString& p : polja)
                p += u',';
        prva = false;
        polja[0] += QString::number(v.prenos);
        polja[1] += QString::number(v.vp);
        polja[2] += v.dan.isValid() ? v.dan.toString(Qt::ISODate) : QStringLiteral("NULL");
        besedilo(polja[3], v.konto);
        besedilo(polja[4], v.sfdjv);
        besedilo(polja[5], v.partner);
        polja[6] += QString::number(v.znesek, 'g', 17);
        polja[7] += QString::number(v.zaokrozen, 'g', 17);
        polja[8] += QString::number(razlikaIzravnave(v.znesek, v.zaokrozen), 'g', 17);
    }
    for (int i = 0; i < 9; ++i) {
        polja[i] += u'}';
        m_vstaviSkupino.bindValue(i, polja[i]);
    }
    return m_vstaviSkupino.exec();
}

bool ShrambaIzravnav::posljiVrednosti(const QList<Vrstica>& vrstice)
{
    int i = 0;
    for (const Vrstica& v : vrstice) {
        m_vstaviSkupino.bindValue(i++, v.prenos);
        m_vstaviSkupino.bindValue(i++, v.vp);
        m_vstaviSkupino.bindValue(i++, v.dan);
        m_vstaviSkupino.bindValue(i++, v.konto);
        m_vstaviSkupino.bindValue(i++, v.sfdjv);
        m_vstaviSkupino.bindValue(i++, v.partner);
        m_vstaviSkupino.bindValue(i++, v.znesek);
        m_vstaviSkupino.bindValue(i++, v.zaokrozen);
        m_vstaviSkupino.bindValue(i++, razlikaIzravnave(v.znesek, v.zaokrozen));
    }
    return m_vstaviSkupino.exec();
}

void ShrambaIzravnav::posljiSkupino()
{
    if (m_cakajoce.isEmpty())
        return;
    const QList<Vrstica> vrstice = std::move(m_cakajoce);
    m_cakajoce.clear();
    if (m_polja || vrstice.size() == m_velikostSkupine) {
        QSqlError napaka;
        if (m_tx.vTocki([&] {
                if (m_polja ? posljiPolja(vrstice) : posljiVrednosti(vrstice))
                    return true;
                napaka = m_vstaviSkupino.lastError();
                return false;
            }))
            return;
        // Only a refusal of values is worth sending row by row; anything else ends the run.
        if (!narecje::jeZavrnjenaVrednost(napaka, m_dbms))
            throw Napaka(narecje::besedilo(napaka));
    }
    // A short group, or a group the database refused: row by row.
    for (const Vrstica& v : vrstice)
        vstaviPosamic(v);
}

void ShrambaIzravnav::koncaj()
{
    posljiSkupino();
    if (m_dbms == QSqlDriver::SQLite && m_pripravljeno) {
        m_vstavi.finish();
        m_tx.izvedi(QStringLiteral("INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK,"
                                   " ZAOKROZEN, RAZLIKA) SELECT PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK,"
                                   " ZAOKROZEN, RAZLIKA FROM " kZacasna),
                    {}, QStringLiteral("tabelo IZRAVNAVE"));
        m_tx.izvedi(QStringLiteral("DELETE FROM " kZacasna), {}, QStringLiteral("začasno tabelo"));
    }
}

void ShrambaIzravnav::shrani(qint64 prenos, qint64 vp, const QDate& dan, const QString& konto,
                             const QString& sfdjv, const QString& partner, double znesek,
                             double zaokrozen)
{
    pripravi();
    const Vrstica v{prenos, vp, dan, konto, sfdjv, partner, znesek, zaokrozen};
    if (m_velikostSkupine > 0) {
        m_cakajoce.append(v);
        if (m_cakajoce.size() >= m_velikostSkupine)
            posljiSkupino();
        return;
    }
    vstaviPosamic(v);
}

void ShrambaIzravnav::brisi(qint64 prenos)
{
    if (prenos == 0)
        return;
    posljiSkupino();
    // No table yet means no rows to delete.
    QString napaka;
    if (!m_tx.poskusi(QStringLiteral("DELETE FROM  IZRAVNAVE WHERE PRENOS=") + QString::number(prenos), {},
                      QStringLiteral("tabelo IZRAVNAVE"), &napaka))
        qCInfo(lcTransfer).noquote() << "DELETE FROM IZRAVNAVE:" << napaka;
}

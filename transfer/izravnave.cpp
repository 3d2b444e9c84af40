#include "izravnave.h"

#include "napaka.h"
#include "poizvedba.h"
#include "zneski.h"

#include <QSqlDriver>
#include <QSqlError>
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
    : m_baza(baza), m_vstavi(baza), m_vstaviSkupino(baza), m_velikost(vSkupini)
{
    const QSqlDriver* d = baza.driver();
    if (d && d->dbmsType() == QSqlDriver::SQLite) {
        m_transakcije = vSkupini > 1;
    } else if (baza.driverName() == QLatin1String("QPSQL")) {
        // PostgreSQL takes a whole group as nine arrays: one statement, nine values.
        m_polja = true;
        m_velikostSkupine = 5000;
    } else {
        m_velikostSkupine = 250;
    }
}

ShrambaIzravnav::~ShrambaIzravnav()
{
    try {
        koncaj();
    } catch (...) {
        // The failure has been or will be reported by the run itself.
    }
}

void ShrambaIzravnav::pripravi()
{
    if (m_pripravljeno)
        return;
    // The table is created before the first row; an existing one stays as it is.
    Poizvedba(m_baza).poskusiIzvesti(stavekUstvariIzravnave());
    m_pripravljeno = true;
    m_vstavi.prepare(prevediZa(m_baza, kVstavi));
    if (m_polja) {
        const QString sql = QStringLiteral(
            "INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK, ZAOKROZEN, RAZLIKA) "
            " SELECT * FROM unnest(CAST(? AS integer[]), CAST(? AS integer[]), CAST(? AS date[]),"
            " CAST(? AS text[]), CAST(? AS text[]), CAST(? AS text[]), CAST(? AS float8[]),"
            " CAST(? AS float8[]), CAST(? AS float8[]))");
        if (!m_vstaviSkupino.prepare(sql)) {
            m_polja = false;
            m_velikostSkupine = 250;
        }
    }
    if (m_velikostSkupine > 0 && !m_polja) {
        QString sql = QStringLiteral("INSERT INTO  IZRAVNAVE  (PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK,"
                                     " ZAOKROZEN, RAZLIKA)  VALUES ");
        for (int i = 0; i < m_velikostSkupine; ++i)
            sql += (i ? QStringLiteral(",") : QString()) + QStringLiteral("(?,?,?,?,?,?,?,?,?)");
        if (!m_vstaviSkupino.prepare(prevediZa(m_baza, sql)))
            m_velikostSkupine = 0;
    }
}

void ShrambaIzravnav::preveriPovezavo(const QString& napaka)
{
    // A refused row is only missing; a database that no longer answers ends the run.
    QSqlQuery poskus(m_baza);
    if (!m_baza.isOpen() || !poskus.exec(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE WHERE 1=0")))
        throw Napaka(napaka.isEmpty() ? m_baza.lastError().text() : napaka);
}

void ShrambaIzravnav::vstaviPosamic(const Vrstica& v)
{
    vezi(m_vstavi, v.prenos, v.vp, v.dan, v.konto, v.sfdjv, v.partner, v.znesek, v.zaokrozen);
    if (!m_vstavi.exec())
        preveriPovezavo(m_vstavi.lastError().text());
}

void ShrambaIzravnav::posljiSkupino()
{
    if (m_cakajoce.isEmpty())
        return;
    const QList<Vrstica> vrstice = std::move(m_cakajoce);
    m_cakajoce.clear();
    if (m_polja) {
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
        if (m_vstaviSkupino.exec())
            return;
        preveriPovezavo(m_vstaviSkupino.lastError().text());
        for (const Vrstica& v : vrstice)
            vstaviPosamic(v);
        return;
    }
    if (vrstice.size() == m_velikostSkupine) {
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
        if (m_vstaviSkupino.exec())
            return;
        preveriPovezavo(m_vstaviSkupino.lastError().text());
    }
    // A short group, or a group the database refused: row by row.
    for (const Vrstica& v : vrstice)
        vstaviPosamic(v);
}

void ShrambaIzravnav::koncaj()
{
    posljiSkupino();
    if (m_vTransakciji) {
        m_vTransakciji = false;
        if (!m_baza.commit()) {
            const QString napaka = m_baza.lastError().text();
            m_baza.rollback();
            throw Napaka(napaka);
        }
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
    if (m_transakcije && !m_vTransakciji) {
        m_vTransakciji = m_baza.transaction();
        m_vTransakcijiVrstic = 0;
    }
    vstaviPosamic(v);
    if (m_vTransakciji && ++m_vTransakcijiVrstic >= m_velikost)
        koncaj();
}

void ShrambaIzravnav::brisi(qint64 prenos)
{
    if (prenos == 0)
        return;
    posljiSkupino();
    Poizvedba(m_baza).poskusiIzvesti(QStringLiteral("DELETE FROM  IZRAVNAVE WHERE PRENOS=")
                                     + QString::number(prenos));
}

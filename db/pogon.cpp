#include "pogon.h"

#include "narecje.h"
#include "pgnativno.h"
#include "sqlitenativno.h"

#include <QSqlDriver>

namespace {

QSqlDriver::DbmsType vrsta(const QSqlDatabase& baza)
{
    const QSqlDriver* d = baza.driver();
    return d ? d->dbmsType() : QSqlDriver::UnknownDbms;
}

// SQLite: the statement stepped and the rows inserted on the engine's own connection.
class PogonSqlite final : public Pogon {
public:
    explicit PogonSqlite(const QSqlDatabase& baza) : Pogon(baza) {}

    std::unique_ptr<Bralnik> bralnikNaprej(const QString& sql, const QVariantMap& parametri) const override
    {
        sqlite3* povezava = sqlitenativno::povezava(baza());
        return povezava ? sqlitenativno::bralnik(povezava, sql, parametri) : nullptr;
    }
    Vnos nacinVnosa() const override { return Vnos::ZacasnaTabela; }
    bool cakanjePredZacetkom() const override { return true; }
    bool posnetekPoZacetku() const override { return false; }
    bool potrditevCakaBralce() const override { return true; }
    bool streznik() const override { return false; }
    std::unique_ptr<VnosVrstice> vnosVrstice(const QString& sql) const override
    {
        sqlite3* povezava = sqlitenativno::povezava(baza());
        return povezava ? std::make_unique<sqlitenativno::VnosVrstice>(povezava, sql) : nullptr;
    }
    std::unique_ptr<Odzivnost> odzivnost(std::function<void()> osvezi) const override
    {
        return sqlitenativno::povezava(baza()) ? std::make_unique<sqlitenativno::Odzivnost>(baza(), std::move(osvezi))
                                               : nullptr;
    }
};

// PostgreSQL: the run's cursor fetched and the rows copied with libpq on the driver's
// connection.
class PogonPostgreSQL final : public Pogon {
public:
    explicit PogonPostgreSQL(const QSqlDatabase& baza) : Pogon(baza) {}

    std::unique_ptr<Bralnik> bralnikKazalca(const QString& ime, int vSkupini) const override
    {
        return pgnativno::bralnikKazalca(baza(), ime, vSkupini);
    }
    Vnos nacinVnosa() const override { return pgnativno::povezava(baza()) ? Vnos::Kopiranje : Vnos::Skupine; }
    // The client would hold a whole result in memory: the run's postings come through a
    // cursor, and a streamed result is lost as soon as another statement runs.
    Kopiranje kopiraj(const QString& tabela, const QString& stolpci, const QList<QVariantList>& vrstice,
                      QByteArray& medpomnilnik, QSqlError* napaka) const override
    {
        return pgnativno::kopiraj(baza(), tabela, stolpci, vrstice, medpomnilnik, napaka);
    }
    bool beriSKazalcem() const override { return true; }
    bool enosmerniRezultatVzporedno() const override { return false; }
};

// Any other server (ODBC to DB2, the PostgreSQL ODBC driver): the driver does everything.
class PogonStreznik final : public Pogon {
public:
    explicit PogonStreznik(const QSqlDatabase& baza) : Pogon(baza) {}
};

} // namespace

std::unique_ptr<Pogon::Odzivnost> Pogon::odzivnost(std::function<void()>) const
{
    return nullptr;
}

std::unique_ptr<Pogon> Pogon::za(const QSqlDatabase& baza)
{
    switch (vrsta(baza)) {
    case QSqlDriver::SQLite:
        return std::make_unique<PogonSqlite>(baza);
    case QSqlDriver::PostgreSQL:
        // QPSQL; PostgreSQL through ODBC has no handle of libpq.
        if (baza.driverName() == QLatin1String("QPSQL"))
            return std::make_unique<PogonPostgreSQL>(baza);
        return std::make_unique<PogonStreznik>(baza);
    default:
        return std::make_unique<PogonStreznik>(baza);
    }
}

QString Pogon::prevedi(const QString& sql) const
{
    return prevediStavek(sql, vrsta(m_baza));
}

std::unique_ptr<Bralnik> Pogon::bralnikNaprej(const QString&, const QVariantMap&) const
{
    return nullptr;
}

std::unique_ptr<Bralnik> Pogon::bralnikKazalca(const QString&, int) const
{
    return nullptr;
}

std::unique_ptr<Pogon::VnosVrstice> Pogon::vnosVrstice(const QString&) const
{
    return nullptr;
}

Pogon::Kopiranje Pogon::kopiraj(const QString&, const QString&, const QList<QVariantList>&, QByteArray&,
                                 QSqlError* napaka) const
{
    *napaka = QSqlError(QStringLiteral("COPY"), QStringLiteral("COPY ni na voljo"), QSqlError::StatementError);
    return Kopiranje::Zavrnjeno;
}

bool Pogon::jeZavrnjenaVrednost(const QSqlError& napaka) const
{
    return narecje::jeZavrnjenaVrednost(napaka, vrsta(m_baza));
}

QString Pogon::stavekZacetka() const
{
    return narecje::stavekZacetka(vrsta(m_baza));
}

QString Pogon::stavekPosnetka() const
{
    return narecje::stavekPosnetka(vrsta(m_baza));
}

QList<narecje::ZaklepTabele> Pogon::zaklepiTeka() const
{
    return narecje::zaklepiTeka(vrsta(m_baza));
}

QStringList Pogon::stavkiKratkegaCakanja() const
{
    return narecje::stavkiKratkegaCakanja(vrsta(m_baza));
}

QStringList Pogon::stavkiObicajnegaCakanja() const
{
    return narecje::stavkiObicajnegaCakanja(vrsta(m_baza));
}

QString Pogon::stavekTocke(const QString& ime) const
{
    return narecje::stavekTocke(vrsta(m_baza), ime);
}

QString Pogon::stavekZaklepaRegistra() const
{
    return narecje::stavekZaklepaRegistra(vrsta(m_baza));
}

QString Pogon::razlog(const QSqlError& napaka) const
{
    return narecje::razlog(napaka, vrsta(m_baza));
}

bool Pogon::jeZaklep(const QSqlError& napaka) const
{
    return narecje::jeZaklep(napaka, vrsta(m_baza));
}

QStringList Pogon::datotekeBaze() const
{
    return narecje::datotekeBaze(m_baza);
}

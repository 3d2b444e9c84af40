#include "jedro.h"
#include "napaka.h"
#include "poizvedba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cmath>
#include <iterator>

QStringList jedrneTabeleDDL()
{
    return {
        QStringLiteral("CREATE TABLE KNJIZBE (DATUMK DATE, DATUMV DATE, KONTO INTEGER, IDMASTER INTEGER,"
                       " IDPOG INTEGER, VP INTEGER, PARTNER INTEGER, VALUTA VARCHAR(3), STRAN VARCHAR(1),"
                       " BZNESEK DOUBLE, DZNESEK DOUBLE, BZNESEKSIT DOUBLE, DZNESEKSIT DOUBLE,"
                       " TEKST VARCHAR(60), CTRL INTEGER, DEJAVNOST VARCHAR(10), OE VARCHAR(10), PRENOS INTEGER)"),
        QStringLiteral("CREATE INDEX KNJIZBE_DATUMK ON KNJIZBE (DATUMK)"),
        QStringLiteral("CREATE TABLE DOG (IDDOG INTEGER NOT NULL PRIMARY KEY, IDPOG INTEGER, SFDJV VARCHAR(3))"),
        QStringLiteral("CREATE TABLE SIFKONT (CTRL INTEGER NOT NULL PRIMARY KEY, OZNAKA VARCHAR(15),"
                       " SALDAKONTEN VARCHAR(1), DEVIZEN VARCHAR(1))"),
        QStringLiteral("CREATE TABLE VLT (SFVLT VARCHAR(3) NOT NULL PRIMARY KEY, ST VARCHAR(3))"),
        QStringLiteral("CREATE TABLE SFVP (SFVP INTEGER NOT NULL PRIMARY KEY, SFOSBIZD INTEGER)"),
        QStringLiteral("CREATE TABLE OSB (SFOSB INTEGER NOT NULL PRIMARY KEY, KRTBNK VARCHAR(10), SFSOS VARCHAR(2),"
                       " Ime VARCHAR(60), Nzv VARCHAR(80), Nsl VARCHAR(60), Pst VARCHAR(10), Mst VARCHAR(40),"
                       " Zrr VARCHAR(20), Sklic VARCHAR(30))"),
        QStringLiteral("CREATE TABLE POG (IDPOG INTEGER NOT NULL PRIMARY KEY, SFOSB INTEGER, KRTBIS VARCHAR(10),"
                       " Nzv VARCHAR(80), SFORG INTEGER)"),
        QStringLiteral("CREATE TABLE ORG (SFORG INTEGER NOT NULL PRIMARY KEY, KNTORG VARCHAR(5))"),
        QStringLiteral("CREATE TABLE SfDog (SfDog INTEGER NOT NULL PRIMARY KEY, Nzv VARCHAR(40))"),
    };
}

void ustvariJedrneTabele(QSqlDatabase& db)
{
    Poizvedba q(db);
    for (const QString& ddl : jedrneTabeleDDL())
        q.izvedi(ddl);
}

namespace {

// A small deterministic generator, so that the demo book is the same on every machine.
class Nakljucje {
public:
    explicit Nakljucje(quint64 seme) : m_s(seme) {}
    quint32 naslednje()
    {
        m_s = m_s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<quint32>(m_s >> 33);
    }
    int doDo(int od, int doVkljucno) { return od + static_cast<int>(naslednje() % quint32(doVkljucno - od + 1)); }
    bool verjetnost(int odstotek) { return doDo(1, 100) <= odstotek; }
    template <class T, size_t N>
    const T& izberi(const T (&seznam)[N]) { return seznam[naslednje() % N]; }

private:
    quint64 m_s;
};

// Runs one prepared statement for many rows.
class Vstavljanje {
public:
    Vstavljanje(QSqlDatabase& db, const QString& sql) : m_q(db)
    {
        if (!m_q.prepare(prevediZa(db, sql)))
            throw Napaka(m_q.lastError().text());
    }
    void vrstica(const QVariantList& vrednosti)
    {
        for (int i = 0; i < vrednosti.size(); ++i)
            m_q.bindValue(i, vrednosti.at(i));
        if (!m_q.exec())
            throw Napaka(m_q.lastError().text());
    }

private:
    QSqlQuery m_q;
};

QVariant niNic(const QString& s) { return s.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(s); }

} // namespace

void napolniDemo(QSqlDatabase& db, const QDate& danes, int steviloKnjizb)
{
    if (!db.transaction())
        throw Napaka(db.lastError().text());
    try {
        Nakljucje r(20180131);

        Vstavljanje org(db, QStringLiteral("INSERT INTO ORG (SFORG, KNTORG) VALUES (?, ?)"));
        for (int i = 1; i <= 6; ++i)
            org.vrstica({i, QStringLiteral("%1").arg(100 + i * 11)});

        Vstavljanje vlt(db, QStringLiteral("INSERT INTO VLT (SFVLT, ST) VALUES (?, ?)"));
        const char* valute[][2] = {{"EUR", "978"}, {"E", "978"}, {"USD", "840"}, {"CHF", "756"},
                                   {"GBP", "826"}, {"HRK", "191"}};
        for (const auto& v : valute)
            vlt.vrstica({QString::fromLatin1(v[0]), QString::fromLatin1(v[1])});

        // Parties: every fourth is a natural person ("F"); bank codes mostly numeric.
        static const char* imena[] = {"Janez", "Mojca", "Ana", "Marko", "Špela", "Žiga", "Čedomir", "Petra"};
        static const char* priimki[] = {"Novak", "Horvat", "Kovačič", "Krajnc", "Zupančič", "Potočnik",
                                        "Šuštar", "Žagar"};
        static const char* podjetja[] = {"Banka  Morvik d.d.", "Zavarovalnica Triglav d.d.", "Krka,  d.d.",
                                         "Petrol d.d.", "Gorenje   d.o.o.", "Luka Koper d.d.",
                                         "Mercator d.d.", "Telekom Slovenije d.d."};
        static const char* kraji[][2] = {{"1000", "Ljubljana"}, {"2000", "Maribor"}, {"6000", "Koper"},
                                         {"3000", "Celje"}, {"4000", "Kranj"}, {"", "Piran"}};
        const int stOseb = 240;
        Vstavljanje osb(db, QStringLiteral(
            "INSERT INTO OSB (SFOSB, KRTBNK, SFSOS, Ime, Nzv, Nsl, Pst, Mst, Zrr, Sklic)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 1; i <= stOseb; ++i) {
            const bool fizicna = i % 4 == 0;
            QString krtbnk = QStringLiteral("%1").arg(r.doDo(1, 99999), 5, 10, QLatin1Char('0'));
            if (i % 37 == 0)
                krtbnk = QStringLiteral("%1A").arg(i % 100);
            if (i % 53 == 0)
                krtbnk.clear();
            const auto& kraj = r.izberi(kraji);
            osb.vrstica({i, niNic(krtbnk), fizicna ? QStringLiteral("F") : QStringLiteral("P"),
                         fizicna ? QString::fromUtf8(r.izberi(imena)) : QString(),
                         fizicna ? QString::fromUtf8(r.izberi(priimki))
                                 : QString::fromUtf8(r.izberi(podjetja)) + QStringLiteral(" %1").arg(i),
                         QStringLiteral("Cesta %1").arg(r.doDo(1, 120)), niNic(QString::fromLatin1(kraj[0])),
                         QString::fromLatin1(kraj[1]), QStringLiteral("%1").arg(10000000 + i * 7),
                         QStringLiteral("SI00 %1").arg(i)});
        }

        const int stVp = 24;
        Vstavljanje sfvp(db, QStringLiteral("INSERT INTO SFVP (SFVP, SFOSBIZD) VALUES (?, ?)"));
        for (int i = 1; i <= stVp; ++i)
            sfvp.vrstica({i, (i * 7) % stOseb + 1});

        // Contracts: every fifth has no organisation; some short codes are blank.
        const int stPogodb = 400;
        Vstavljanje pog(db, QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 1; i <= stPogodb; ++i) {
            const int oseba = (i * 13) % stOseb + 1;
            pog.vrstica({1000 + i, oseba, i % 17 == 0 ? QStringLiteral("   ") : QStringLiteral("P%1").arg(i),
                         QStringLiteral("Pogodba %1").arg(i),
                         i % 5 == 0 ? QVariant(QMetaType(QMetaType::Int)) : QVariant(i % 6 + 1)});
        }

        static const char* dejavnosti[] = {"K", "P", "D", "N", "U", "V", "n", "KR"};
        const int stDogodkov = 3000;
        Vstavljanje dog(db, QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (?, ?, ?)"));
        for (int i = 1; i <= stDogodkov; ++i)
            dog.vrstica({i, 1000 + r.doDo(1, stPogodb), QString::fromLatin1(r.izberi(dejavnosti))});

        static const char* dogodki[] = {"Nakup", "Prodaja", "Izplačilo dividende", "Provizija",
                                        "Obresti", "Prevrednotenje", "Vplačilo", "Izplačilo",
                                        "Prenos med računi", "Zapadlost", "Unovčenje kupona", "Storno"};
        Vstavljanje sfdog(db, QStringLiteral("INSERT INTO SfDog (SfDog, Nzv) VALUES (?, ?)"));
        int kodaDogodka = 1;
        for (const char* d : dogodki)
            sfdog.vrstica({kodaDogodka++, QString::fromUtf8(d)});

        // Accounts of every partner-code rule; "D" marks foreign-currency accounts.
        static const char* konti[][3] = {
            {"1100", "T", ""}, {"1101", "t", ""}, {"1110", "T", "D"}, {"1200", "I", ""},
            {"1210", "I", "D"}, {"2200", "N", ""}, {"2210", "N", "D"}, {"3000", "", ""},
            {"4100", "", ""}, {"7600", "", ""}, {"7700", "X", ""}, {"09001", "T", ""},
            {"09002", "I", ""}, {"9788010", "T", ""}, {"9788011", "", ""}, {"090010", "", ""},
            {"090020", "N", ""}, {"1500", "T", "D"}, {"1600", "", "d"}, {"2500", "I", ""}};
        const int stKontov = int(std::size(konti));
        Vstavljanje konto(db, QStringLiteral(
            "INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < stKontov; ++i)
            konto.vrstica({i + 1, QString::fromLatin1(konti[i][0]), niNic(QString::fromLatin1(konti[i][1])),
                           niNic(QString::fromLatin1(konti[i][2]))});

        // Postings over 75 days; those older than 45 days were carried by transfer 1.
        static const char* strani[] = {"B", "D", "b", "d"};
        static const char* valuteKnjizb[] = {"EUR", "EUR", "EUR", "EUR", "E", "USD", "CHF", "GBP", "JPY"};
        static const char* besedila[] = {"Nakup VP", "Prodaja VP", "Dividenda", "Provizija borze",
                                         "Obresti", "Prevrednotenje", "Plačilo računa", "Storno knjižbe"};
        const QDate prvi = danes.addDays(-74);
        const QDate mejaPrenosa = danes.addDays(-45);
        Vstavljanje knj(db, QStringLiteral(
            "INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, VP, PARTNER, VALUTA, STRAN,"
            " BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, TEKST, CTRL, DEJAVNOST, OE, PRENOS)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const QVariant nullDatum(QMetaType(QMetaType::QDate));
        const QVariant nullCelo(QMetaType(QMetaType::Int));
        for (int i = 0; i < steviloKnjizb; ++i) {
            const QDate datumk = prvi.addDays(qint64(i) * 75 / std::max(1, steviloKnjizb));
            const QString stran = QString::fromLatin1(r.izberi(strani));
            const QString valuta = QString::fromLatin1(r.izberi(valuteKnjizb));
            const bool domaca = valuta == u"EUR";
            // Amounts of up to three decimals; one posting in fifty carries no amount.
            double znesek = r.doDo(1, 5000000) / 1000.0;
            if (i % 50 == 7)
                znesek = 0.0;
            const double tecaj = domaca ? 1.0 : (valuta == u"USD" ? 0.92 : valuta == u"CHF" ? 1.04 : 1.17);
            const double sit = std::round(znesek * tecaj * 1000.0) / 1000.0;
            const bool breme = stran == u"B" || stran == u"b";
            const int dogodek = i % 9 == 0 ? 0 : r.doDo(1, stDogodkov);
            knj.vrstica({datumk, i % 23 == 0 ? nullDatum : QVariant(datumk.addDays(r.doDo(0, 3))),
                         r.doDo(1, stKontov), dogodek, 1000 + r.doDo(1, stPogodb), r.doDo(0, stVp),
                         r.doDo(1, stOseb + 5), valuta, stran,
                         breme ? znesek : 0.0, breme ? 0.0 : znesek, breme ? sit : 0.0, breme ? 0.0 : sit,
                         QString::fromUtf8(r.izberi(besedila)), i + 1,
                         QStringLiteral("%1").arg(r.doDo(1, 9), 2, 10, QLatin1Char('0')),
                         QStringLiteral("%1").arg(r.doDo(1, 4) * 10),
                         datumk < mejaPrenosa ? QVariant(1) : (i % 3 == 0 ? QVariant(0) : nullCelo)});
        }

        // The register of the owned tables, as the first transfer left it.
        QSqlQuery q(db);
        if (!q.exec(prevediZa(db, QStringLiteral(
                "CREATE TABLE  LEDGXFER ( STPRENOSA INTEGER NOT NULL,DATUM1 DATE,DATUM2 DATE"
                ",DATUMPRENOSA DATE,PRIMARY KEY(STPRENOSA) )"))))
            throw Napaka(q.lastError().text());
        Vstavljanje reg(db, QStringLiteral(
            "INSERT INTO LEDGXFER (STPRENOSA, DATUM1, DATUM2, DATUMPRENOSA) VALUES (?, ?, ?, ?)"));
        reg.vrstica({1, prvi, mejaPrenosa.addDays(-1), mejaPrenosa});
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw Napaka(db.lastError().text());
}

QString ustvariDemoBazo(const QString& pot, const QString& aliasiPot, const QDate& danes,
                        int steviloKnjizb)
{
    if (!QFileInfo::exists(pot)) {
        QDir().mkpath(QFileInfo(pot).absolutePath());
        const QString ime = QStringLiteral("demo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString zacasna = pot + QStringLiteral(".part");
        QFile::remove(zacasna);
        QString napaka;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ime);
            db.setDatabaseName(zacasna);
            if (!db.open()) {
                napaka = db.lastError().text();
            } else {
                try {
                    ustvariJedrneTabele(db);
                    napolniDemo(db, danes, steviloKnjizb);
                } catch (const Napaka& e) {
                    napaka = e.besedilo();
                }
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(ime);
        if (!napaka.isEmpty()) {
            QFile::remove(zacasna);
            return napaka;
        }
        // Only a complete database takes the final name.
        if (!QFile::rename(zacasna, pot))
            return QStringLiteral("Ne morem preimenovati %1 v %2").arg(zacasna, pot);
    }
    if (!QFileInfo::exists(aliasiPot)) {
        QFile f(aliasiPot);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
            return f.errorString();
        const QString rel = QFileInfo(aliasiPot).absoluteDir().relativeFilePath(QFileInfo(pot).absoluteFilePath());
        f.write(QStringLiteral("[LB]\ndriver=sqlite\ndatabase=%1\n").arg(rel).toUtf8());
    }
    return {};
}

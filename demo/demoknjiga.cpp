#include "demoknjiga.h"
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
    const T& izberi(const T (&seznam)[N])
    {
        return seznam[naslednje() % N];
    }

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

bool jeDelovniDan(const QDate& dan)
{
    if (dan.dayOfWeek() >= 6)
        return false;
    static const int prazniki[][2] = {{1, 1},  {1, 2},  {2, 8},   {4, 27}, {5, 1},   {5, 2},
                                      {6, 25}, {8, 15}, {10, 31}, {11, 1}, {12, 25}, {12, 26}};
    for (const auto& p : prazniki) {
        if (dan.month() == p[0] && dan.day() == p[1])
            return false;
    }
    // Easter Monday: the day after Easter Sunday of the Gregorian calendar.
    const int y = dan.year();
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4, f = (b + 8) / 25;
    const int g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
    const QDate velikaNoc(y, (h + l - 7 * m + 114) / 31, (h + l - 7 * m + 114) % 31 + 1);
    return dan != velikaNoc.addDays(1);
}

ObdobjeDemo obdobjeDemo(const QDate& danes)
{
    ObdobjeDemo o;
    o.prvi = danes.addDays(-74);
    o.zadnji = danes;
    o.prvi1 = o.prvi;
    o.zadnji1 = danes.addDays(-46);
    o.datumPrenosa1 = danes.addDays(-45);
    while (!jeDelovniDan(o.datumPrenosa1))
        o.datumPrenosa1 = o.datumPrenosa1.addDays(1);
    return o;
}

namespace {

// The currencies of the book: code, numeric code and the domestic value of one unit.
// VLT holds exactly these; every posting's domestic amount uses its currency's rate.
// "E" is the old one-letter code of the euro: 978 at par, like EUR.
struct Valuta {
    const char* sifra;
    const char* st;
    double tecaj;
};
const Valuta kValute[] = {{"EUR", "978", 1.0},  {"E", "978", 1.0},      {"USD", "840", 0.92},  {"CHF", "756", 1.04},
                          {"GBP", "826", 1.17}, {"JPY", "392", 0.0062}, {"HRK", "191", 0.1327}};

// A domestic amount in thousandths: the amount in thousandths at the currency's rate.
qint64 vDomaco(qint64 tisocinke, double tecaj) { return qint64(std::llround(double(tisocinke) * tecaj)); }

// Splits `skupaj` (thousandths, at least 1) into `delov` positive parts (1 or 2).
QList<qint64> razdeli(Nakljucje& r, qint64 skupaj, int delov)
{
    if (delov < 2 || skupaj < 2)
        return {skupaj};
    const qint64 prvi = 1 + qint64(r.naslednje()) % (skupaj - 1);
    return {prvi, skupaj - prvi};
}

} // namespace

void napolniDemo(QSqlDatabase& db, const QDate& danes, int steviloKnjizb, OblikaDemo oblika)
{
    const bool siroka = oblika == OblikaDemo::Siroka;
    if (!db.transaction())
        throw Napaka(db.lastError().text());
    try {
        Nakljucje r(20180131);

        Vstavljanje org(db, QStringLiteral("INSERT INTO ORG (SFORG, KNTORG) VALUES (?, ?)"));
        for (int i = 1; i <= 6; ++i)
            org.vrstica({i, QStringLiteral("%1").arg(100 + i * 11)});

        Vstavljanje vlt(db, QStringLiteral("INSERT INTO VLT (SFVLT, ST) VALUES (?, ?)"));
        for (const Valuta& v : kValute)
            vlt.vrstica({QString::fromLatin1(v.sifra), QString::fromLatin1(v.st)});

        // Parties: every fourth is a natural person ("F"); bank codes mostly numeric.
        static const char* imena[] = {"Janez", "Mojca", "Ana", "Marko", "Špela", "Žiga", "Čedomir", "Petra"};
        static const char* priimki[] = {"Novak",    "Horvat",   "Kovačič", "Krajnc",
                                        "Zupančič", "Potočnik", "Šuštar",  "Žagar"};
        static const char* podjetja[] = {"Banka  Morvik d.d.", "Zavarovalnica Triglav d.d.", "Krka,  d.d.",
                                         "Petrol d.d.",        "Gorenje   d.o.o.",           "Luka Koper d.d.",
                                         "Mercator d.d.",      "Telekom Slovenije d.d."};
        static const char* kraji[][2] = {{"1000", "Ljubljana"}, {"2000", "Maribor"}, {"6000", "Koper"},
                                         {"3000", "Celje"},     {"4000", "Kranj"},   {"", "Piran"}};
        const int stOseb = siroka ? 20000 : 240;
        Vstavljanje osb(db, QStringLiteral("INSERT INTO OSB (SFOSB, KRTBNK, SFSOS, Ime, Nzv, Nsl, Pst, Mst, Zrr, Sklic)"
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
        const int stPogodb = siroka ? 20000 : 400;
        Vstavljanje pog(db,
                        QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 1; i <= stPogodb; ++i) {
            const int oseba = (i * 13) % stOseb + 1;
            pog.vrstica({1000 + i, oseba, i % 17 == 0 ? QStringLiteral("   ") : QStringLiteral("P%1").arg(i),
                         QStringLiteral("Pogodba %1").arg(i),
                         i % 5 == 0 && !siroka ? QVariant(QMetaType(QMetaType::Int)) : QVariant(i % 6 + 1)});
        }

        static const char* dejavnosti[] = {"K", "P", "D", "N", "U", "V", "n", "KR"};
        static const char* dogodki[] = {
            "Nakup",    "Prodaja",   "Izplačilo dividende", "Provizija", "Obresti",          "Prevrednotenje",
            "Vplačilo", "Izplačilo", "Prenos med računi",   "Zapadlost", "Unovčenje kupona", "Storno"};
        Vstavljanje sfdog(db, QStringLiteral("INSERT INTO SfDog (SfDog, Nzv) VALUES (?, ?)"));
        int kodaDogodka = 1;
        for (const char* d : dogodki)
            sfdog.vrstica({kodaDogodka++, QString::fromUtf8(d)});

        // Accounts of every partner-code rule; "D" marks foreign-currency accounts.
        static const char* konti[][3] = {
            {"1100", "T", ""},  {"1101", "t", ""},   {"1110", "T", "D"}, {"1200", "I", ""},    {"1210", "I", "D"},
            {"2200", "N", ""},  {"2210", "N", "D"},  {"3000", "", ""},   {"4100", "", ""},     {"7600", "", ""},
            {"7700", "X", ""},  {"09001", "T", ""},  {"09002", "I", ""}, {"9788010", "T", ""}, {"9788011", "", ""},
            {"090010", "", ""}, {"090020", "N", ""}, {"1500", "T", "D"}, {"1600", "", "d"},    {"2500", "I", ""}};
        const int stStalnih = int(std::size(konti));
        const int stKontov = siroka ? 2000 : stStalnih;
        Vstavljanje konto(
            db, QStringLiteral("INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < stStalnih; ++i)
            konto.vrstica({i + 1, QString::fromLatin1(konti[i][0]), niNic(QString::fromLatin1(konti[i][1])),
                           niNic(QString::fromLatin1(konti[i][2]))});
        // The wide shape's further accounts take the rules of the fixed ones in turn.
        for (int i = stStalnih; i < stKontov; ++i)
            konto.vrstica({i + 1, QStringLiteral("%1").arg(400000 + i),
                           niNic(QString::fromLatin1(konti[i % stStalnih][1])),
                           niNic(QString::fromLatin1(konti[i % stStalnih][2]))});

        // The postings, event by event, on the working days of the 75 days that end
        // today. An event is one business case on one day in one currency: one or two
        // debit legs ("B", "b") and one or two credit legs ("D", "d") whose amounts add
        // up to the same total, in the currency and in domestic currency alike; every
        // ninth has no event (IDMASTER 0) and balances all the same. One event in fifty
        // carries a further leg without amounts. All postings are still untransferred
        // (PRENOS NULL or 0): transfer 1 is the engine's work (see jedro.h).
        const ObdobjeDemo obdobje = obdobjeDemo(danes);
        QList<QDate> dnevi;
        for (QDate d = obdobje.prvi; d <= obdobje.zadnji; d = d.addDays(1)) {
            if (jeDelovniDan(d))
                dnevi << d;
        }
        if (dnevi.isEmpty())
            throw Napaka(QStringLiteral("V obdobju predstavitvene knjige ni delovnega dne."));
        const auto delovniDanPo = [](QDate d, int dni) {
            for (; dni > 0; --dni) {
                d = d.addDays(1);
                while (!jeDelovniDan(d))
                    d = d.addDays(1);
            }
            return d;
        };
        static const int valuteKnjizb[] = {0, 0, 0, 0, 0, 0, 1, 2, 2, 3, 4, 5, 6};
        static const char* besedila[] = {"Nakup VP", "Prodaja VP",     "Dividenda",      "Provizija borze",
                                         "Obresti",  "Prevrednotenje", "Plačilo računa", "Storno knjižbe"};
        Vstavljanje knj(
            db,
            QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, VP, PARTNER, VALUTA, STRAN,"
                           " BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, TEKST, CTRL, DEJAVNOST, OE, PRENOS)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Vstavljanje dog(db, QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (?, ?, ?)"));
        const QVariant nullDatum(QMetaType(QMetaType::QDate));
        const QVariant nullCelo(QMetaType(QMetaType::Int));
        int i = 0;        // postings written
        int dogodek = 0;  // events numbered so far
        int primerov = 0; // business cases so far
        while (i < steviloKnjizb) {
            const int ostane = steviloKnjizb - i;
            const QDate datumk = dnevi.at(int(qint64(i) * dnevi.size() / steviloKnjizb));
            const QDate datumv = delovniDanPo(datumk, r.doDo(0, 3));
            const Valuta& valuta = kValute[r.izberi(valuteKnjizb)];
            const int pogodba = 1000 + r.doDo(1, stPogodb);
            const int vp = siroka ? r.doDo(1, stVp) : r.doDo(0, stVp);
            const int partner = siroka ? r.doDo(1, stOseb) : r.doDo(1, stOseb + 5);
            QString tekst = QString::fromUtf8(r.izberi(besedila));
            if (siroka)
                tekst = (tekst
                         + QStringLiteral(" po pogodbi %1 za partnerja %2, dogodek %3")
                               .arg(pogodba)
                               .arg(partner)
                               .arg(primerov))
                            .leftJustified(60, u'.', true);
            int iddog = 0;
            if (primerov++ % 9 != 0 || siroka) {
                iddog = ++dogodek;
                dog.vrstica({iddog, 1000 + r.doDo(1, stPogodb), QString::fromLatin1(r.izberi(dejavnosti))});
            }
            // The legs: sides, amounts in thousandths of the currency and of the domestic currency.
            struct Noga {
                bool breme;
                qint64 znesek;
                qint64 sit;
            };
            QList<Noga> noge;
            if (ostane == 1) {
                noge << Noga{true, 0, 0}; // the book's last posting, alone: no amount
            } else {
                const qint64 skupaj = r.doDo(1, 5000000);
                const int bremenskih = ostane >= 3 ? r.doDo(1, 2) : 1;
                const int dobrih = ostane >= bremenskih + 2 ? r.doDo(1, 2) : 1;
                qint64 sitBreme = 0;
                for (qint64 z : razdeli(r, skupaj, bremenskih)) {
                    noge << Noga{true, z, vDomaco(z, valuta.tecaj)};
                    sitBreme += noge.last().sit;
                }
                const QList<qint64> dobro = razdeli(r, skupaj, dobrih);
                if (dobro.size() == 1) {
                    noge << Noga{false, dobro[0], sitBreme};
                } else {
                    const qint64 prvi = std::min(vDomaco(dobro[0], valuta.tecaj), sitBreme);
                    noge << Noga{false, dobro[0], prvi} << Noga{false, dobro[1], sitBreme - prvi};
                }
                if (primerov % 50 == 7 && noge.size() < ostane)
                    noge << Noga{r.verjetnost(50), 0, 0};
            }
            for (const Noga& n : noge) {
                const QString stran =
                    QString::fromLatin1(n.breme ? (r.verjetnost(80) ? "B" : "b") : (r.verjetnost(80) ? "D" : "d"));
                const double z = double(n.znesek) / 1000.0;
                const double sit = double(n.sit) / 1000.0;
                knj.vrstica({datumk, i % 23 == 0 ? nullDatum : QVariant(datumv), r.doDo(1, stKontov), iddog, pogodba,
                             vp, partner, QString::fromLatin1(valuta.sifra), stran, n.breme ? z : 0.0,
                             n.breme ? 0.0 : z, n.breme ? sit : 0.0, n.breme ? 0.0 : sit, tekst, i + 1,
                             QStringLiteral("%1").arg(r.doDo(1, 9), 2, 10, QLatin1Char('0')),
                             QStringLiteral("%1").arg(r.doDo(1, 4) * 10), i % 3 == 0 ? QVariant(0) : nullCelo});
                ++i;
            }
        }
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw Napaka(db.lastError().text());
}

QString ustvariDemoBazo(const QString& pot, const QString& aliasiPot, const QDate& danes, int steviloKnjizb,
                        const PoPolnjenjuDemo& poPolnjenju, OblikaDemo oblika)
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
                    napolniDemo(db, danes, steviloKnjizb, oblika);
                    if (poPolnjenju)
                        napaka = poPolnjenju(ime);
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

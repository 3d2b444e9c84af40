#include "jedro.h"
#include "napaka.h"
#include "poizvedba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

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

void vstavi(Poizvedba& q, const QString& sql, const QVariantList& vrednosti)
{
    QVariantMap p;
    for (int i = 0; i < vrednosti.size(); ++i)
        p.insert(QStringLiteral("P%1").arg(i), vrednosti.at(i));
    q.izvedi(sql, p);
}

} // namespace

void napolniDemo(QSqlDatabase& db, const QDate& danes)
{
    if (!db.transaction())
        throw Napaka(db.lastError().text());
    Poizvedba q(db);
    try {
        const QString org = QStringLiteral("INSERT INTO ORG (SFORG, KNTORG) VALUES (:P0, :P1)");
        vstavi(q, org, {1, QStringLiteral("101")});
        vstavi(q, org, {2, QStringLiteral("202")});

        const QString vlt = QStringLiteral("INSERT INTO VLT (SFVLT, ST) VALUES (:P0, :P1)");
        vstavi(q, vlt, {QStringLiteral("SIT"), QStringLiteral("705")});
        vstavi(q, vlt, {QStringLiteral("E"), QStringLiteral("978")});
        vstavi(q, vlt, {QStringLiteral("USD"), QStringLiteral("840")});
        vstavi(q, vlt, {QStringLiteral("CHF"), QStringLiteral("756")});

        const QString osb = QStringLiteral(
            "INSERT INTO OSB (SFOSB, KRTBNK, SFSOS, Ime, Nzv, Nsl, Pst, Mst, Zrr, Sklic)"
            " VALUES (:P0, :P1, :P2, :P3, :P4, :P5, :P6, :P7, :P8, :P9)");
        vstavi(q, osb, {100, QStringLiteral("00123"), QStringLiteral("P"), QStringLiteral("Janez"),
                        QStringLiteral("Novak  d.o.o."), QStringLiteral("Slovenska cesta 1"),
                        QStringLiteral("1000"), QStringLiteral("Ljubljana"), QStringLiteral("1234567"),
                        QStringLiteral("SI00 100")});
        vstavi(q, osb, {200, QStringLiteral("04567"), QStringLiteral("F"), QStringLiteral("Mojca"),
                        QStringLiteral("Žagar"), QStringLiteral("Čopova ulica 5"), QStringLiteral("2000"),
                        QStringLiteral("Maribor"), QStringLiteral("7654321"), QStringLiteral("SI00 200")});
        vstavi(q, osb, {300, QStringLiteral("12A"), QStringLiteral("P"), QString(),
                        QStringLiteral("Šumi investicije d.d."), QStringLiteral("Tržaška 20"),
                        QString(), QStringLiteral("Koper"), QStringLiteral("5555555"), QString()});
        vstavi(q, osb, {400, QStringLiteral("00900"), QStringLiteral("P"), QString(),
                        QStringLiteral("Izdajatelj vrednostnih papirjev"), QStringLiteral("Trg 1"),
                        QStringLiteral("3000"), QStringLiteral("Celje"), QString(), QString()});

        const QString sfvp = QStringLiteral("INSERT INTO SFVP (SFVP, SFOSBIZD) VALUES (:P0, :P1)");
        vstavi(q, sfvp, {11, 400});
        vstavi(q, sfvp, {12, 300});

        const QString pog = QStringLiteral(
            "INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (:P0, :P1, :P2, :P3, :P4)");
        vstavi(q, pog, {1000, 100, QStringLiteral("NOV1"), QStringLiteral("Pogodba Novak"), 1});
        vstavi(q, pog, {1001, 200, QStringLiteral("ZAG1"), QStringLiteral("Pogodba Žagar"), 2});
        vstavi(q, pog, {1002, 300, QStringLiteral("  "), QStringLiteral("Pogodba Šumi"), 1});
        vstavi(q, pog, {1003, 999, QStringLiteral("NEZN"), QStringLiteral("Pogodba brez osebe"), 2});

        const QString dog = QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (:P0, :P1, :P2)");
        vstavi(q, dog, {1, 1000, QStringLiteral("K")});
        vstavi(q, dog, {2, 1001, QStringLiteral("N")});
        vstavi(q, dog, {3, 1002, QStringLiteral("U")});
        vstavi(q, dog, {4, 1001, QStringLiteral("P")});

        const QString sfdog = QStringLiteral("INSERT INTO SfDog (SfDog, Nzv) VALUES (:P0, :P1)");
        vstavi(q, sfdog, {1, QStringLiteral("Nakup")});
        vstavi(q, sfdog, {2, QStringLiteral("Prodaja")});
        vstavi(q, sfdog, {3, QStringLiteral("Izplačilo dividende")});
        vstavi(q, sfdog, {4, QStringLiteral("Provizija")});

        const QString konto = QStringLiteral(
            "INSERT INTO SIFKONT (CTRL, OZNAKA, SALDAKONTEN, DEVIZEN) VALUES (:P0, :P1, :P2, :P3)");
        vstavi(q, konto, {1, QStringLiteral("1100"), QStringLiteral("T"), QString()});
        vstavi(q, konto, {2, QStringLiteral("1200"), QStringLiteral("I"), QString()});
        vstavi(q, konto, {3, QStringLiteral("2200"), QStringLiteral("N"), QString()});
        vstavi(q, konto, {4, QStringLiteral("1110"), QStringLiteral("T"), QStringLiteral("D")});
        vstavi(q, konto, {5, QStringLiteral("9788010"), QStringLiteral("T"), QString()});
        vstavi(q, konto, {6, QStringLiteral("7600"), QString(), QString()});

        const QString knj = QStringLiteral(
            "INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, IDPOG, VP, PARTNER, VALUTA, STRAN,"
            " BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, TEKST, CTRL, DEJAVNOST, OE, PRENOS)"
            " VALUES (:P0, :P1, :P2, :P3, :P4, :P5, :P6, :P7, :P8, :P9, :P10, :P11, :P12, :P13,"
            " :P14, :P15, :P16, :P17)");
        // Sixty days of postings: every day a purchase and its counter-posting, every
        // third day a foreign-currency posting, every fifth a commission.
        int ctrl = 1;
        for (int n = 59; n >= 0; --n) {
            const QDate d = danes.addDays(-n);
            const double znesek = 100.0 + (n * 37 % 1000) + (n % 7) * 0.125;
            vstavi(q, knj, {d, d, 1, 1, 1000, 11, 100, QStringLiteral("SIT"), QStringLiteral("B"),
                            znesek, 0.0, znesek, 0.0, QStringLiteral("Nakup VP"), ctrl++,
                            QStringLiteral("01"), QStringLiteral("10"), QVariant()});
            vstavi(q, knj, {d, d.addDays(2), 6, 1, 1000, 11, 100, QStringLiteral("SIT"),
                            QStringLiteral("D"), 0.0, znesek, 0.0, znesek, QStringLiteral("Nakup VP"),
                            ctrl++, QStringLiteral("01"), QStringLiteral("10"), QVariant()});
            if (n % 3 == 0) {
                const double usd = 50.0 + n;
                vstavi(q, knj, {d, d, 4, 2, 1001, 12, 200, QStringLiteral("USD"), QStringLiteral("b"),
                                usd, 0.0, usd * 0.92, 0.0, QStringLiteral("Prodaja USD"), ctrl++,
                                QStringLiteral("02"), QStringLiteral("20"), QVariant()});
                vstavi(q, knj, {d, QVariant(), 2, 3, 1002, 12, 300, QStringLiteral("E"),
                                QStringLiteral("d"), 0.0, usd * 0.92, 0.0, usd * 0.92,
                                QStringLiteral("Dividenda"), ctrl++, QStringLiteral("03"),
                                QStringLiteral("30"), QVariant()});
            }
            if (n % 5 == 0) {
                vstavi(q, knj, {d, d, 5, 0, 1003, 0, 400, QStringLiteral("SIT"), QStringLiteral("B"),
                                12.345, 0.0, 12.345, 0.0, QStringLiteral("Provizija"), ctrl++,
                                QStringLiteral("04"), QStringLiteral("40"), QVariant()});
                vstavi(q, knj, {d, d, 3, 4, 1001, 0, 200, QStringLiteral("SIT"), QStringLiteral("D"),
                                0.0, 0.0, 0.0, 0.0, QStringLiteral("Ničelna knjižba"), ctrl++,
                                QStringLiteral("04"), QStringLiteral("40"), QVariant()});
            }
        }
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw Napaka(db.lastError().text());
}

QString ustvariDemoBazo(const QString& pot, const QString& aliasiPot, const QDate& danes)
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
                    napolniDemo(db, danes);
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

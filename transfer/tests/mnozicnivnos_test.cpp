#include "mnozicnivnos.h"
#include "nativno.h"

#include "napaka.h"
#include "poizvedba.h"
#include "snemalnik.h"
#include "testnabaza.h"
#include "transakcija.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

const QStringList kStolpci = {QStringLiteral("N"), QStringLiteral("D"), QStringLiteral("T"), QStringLiteral("K"),
                              QStringLiteral("Z")};

struct Tabela {
    Tabela() : db(b.pripravljena() ? b.odpri() : QSqlDatabase())
    {
        if (b.pripravljena()) {
            EXPECT_TRUE(QSqlQuery(db).exec(prevediZa(
                db, QStringLiteral("CREATE TABLE VNOS (N INTEGER, D DATE, T CHAR(12), K CHAR(3), Z DOUBLE)"))));
        }
    }
    // Every row as text, in the order of N.
    QStringList vrstice() const
    {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT N, D, T, K, Z FROM VNOS ORDER BY N")));
        QStringList v;
        while (q.next()) {
            const QDate d = vrednostDatum(q.value(1));
            v << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(q.value(0).toLongLong())
                     .arg(d.isValid() ? d.toString(Qt::ISODate) : QStringLiteral("NULL"))
                     .arg(q.value(2).isNull() ? QStringLiteral("NULL") : q.value(2).toString().trimmed())
                     .arg(q.value(3).isNull() ? QStringLiteral("NULL") : q.value(3).toString().trimmed())
                     .arg(QString::number(q.value(4).toDouble(), 'g', 17));
        }
        return v;
    }
    TestnaBaza b;
    QSqlDatabase db;
    Snemalnik okolje;
};

QString pricakovana(const QVariantList& v)
{
    const QDate d = v.at(1).toDate();
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(v.at(0).toLongLong())
        .arg(d.isValid() ? d.toString(Qt::ISODate) : QStringLiteral("NULL"))
        .arg(v.at(2).toString().isNull() ? QStringLiteral("NULL") : v.at(2).toString())
        .arg(v.at(3).toString().isNull() ? QStringLiteral("NULL") : v.at(3).toString())
        .arg(QString::number(v.at(4).toDouble(), 'g', 17));
}

} // namespace

// Values that a text protocol could bend: separators, escapes, letters outside ASCII,
// NULLs, doubles that need all their digits. More rows than one group of any engine,
// so that full groups and the short rest both go through.
TEST(MnozicniVnos, StoresEveryValueAsGivenInFullAndShortGroups)
{
    Tabela t;
    LEDG_PRESKOCI_BREZ_BAZE(t.b);
    const QList<QVariantList> posebne = {
        {qint64(1), QDate(2024, 2, 29), QStringLiteral("a\tb\\c\nd"), QStringLiteral("ČŠŽ"), 0.1 + 0.2},
        {qint64(2), QDate(), QString(), QString(), -1e-17},
        {qint64(3), QDate(1999, 12, 31), QStringLiteral("\\N"), QStringLiteral("\"'"), 123456789012.34},
        {qint64(4), QDate(2030, 1, 1), QStringLiteral("x\ry"), QStringLiteral(""), -0.005},
    };
    QList<QVariantList> vse = posebne;
    const int dodatnih = MnozicniVnos::kSkupinaKopiranja + 7;
    for (int i = 0; i < dodatnih; ++i)
        vse.append({qint64(10 + i), QDate(2024, 1, 1).addDays(i % 400), QStringLiteral("r%1").arg(i),
                    QStringLiteral("EUR"), i / 7.0});

    QStringList zavrnjene;
    Transakcija tx(t.db, t.okolje);
    tx.zacni();
    MnozicniVnos vnos(tx, QStringLiteral("VNOS"), kStolpci,
                      [&](const QVariantList& v, const QSqlError&) { zavrnjene << pricakovana(v); });
    // Each engine its fastest way; a server connection that hides its handle would
    // fall back to multi-row inserts without a word. With LEDGXFER_NATIVNO=0 COPY is
    // not used (SQLite's rows still go one at a time, through the driver).
    const QString pricakovanNacin = t.b.gonilnik() == u"sqlite" ? QStringLiteral("po vrsticah")
                                    : t.b.gonilnik() == u"postgresql" && nativno::dovoljeno()
                                        ? QStringLiteral("s COPY")
                                        : QStringLiteral("v skupinah");
    EXPECT_EQ(vnos.opisNacina(), pricakovanNacin);
    for (const QVariantList& v : vse)
        vnos.dodaj(v);
    vnos.koncaj();
    tx.potrdi();

    EXPECT_TRUE(zavrnjene.isEmpty()) << zavrnjene.join(u'\n').toStdString();
    const QStringList vrstice = t.vrstice();
    ASSERT_EQ(vrstice.size(), vse.size());
    for (qsizetype i = 0; i < vse.size(); ++i)
        ASSERT_EQ(vrstice.at(i), pricakovana(vse.at(i))) << "row " << i;
}

// A server refuses a value too long for its column, SQLite a value its table's check
// refuses: exactly that row is missing and handed back with the database's reason; the
// rest of its group is stored.
TEST(MnozicniVnos, ARowRefusedForItsValueIsTheOnlyOneMissing)
{
    Tabela t;
    LEDG_PRESKOCI_BREZ_BAZE(t.b);
    if (t.b.gonilnik() == u"sqlite") {
        // SQLite keeps a text of any length in a CHAR column; the table says it instead.
        QSqlQuery q(t.db);
        ASSERT_TRUE(q.exec(QStringLiteral("DROP TABLE VNOS")));
        ASSERT_TRUE(q.exec(QStringLiteral(
            "CREATE TABLE VNOS (N INTEGER, D DATE, T CHAR(12), K CHAR(3) CHECK (length(K) <= 3), Z DOUBLE)")));
    }
    QList<QVariantList> vse;
    for (int i = 0; i < 600; ++i)
        vse.append({qint64(i), QDate(2024, 3, 1), QStringLiteral("r%1").arg(i),
                    i == 321 ? QStringLiteral("PREDOLGO") : QStringLiteral("EUR"), 1.5});
    QList<QVariantList> zavrnjene;
    QString razlog;
    Transakcija tx(t.db, t.okolje);
    tx.zacni();
    MnozicniVnos vnos(tx, QStringLiteral("VNOS"), kStolpci, [&](const QVariantList& v, const QSqlError& e) {
        zavrnjene << v;
        razlog = e.databaseText();
    });
    for (const QVariantList& v : vse)
        vnos.dodaj(v);
    vnos.koncaj();
    tx.potrdi();

    ASSERT_EQ(zavrnjene.size(), 1);
    EXPECT_EQ(zavrnjene.at(0).at(0).toLongLong(), 321);
    EXPECT_FALSE(razlog.isEmpty());
    EXPECT_EQ(t.vrstice().size(), 599);
}

// A failure that is not about a row's values (here: no such table) ends the insert
// with the database's reason instead of dropping rows one by one.
TEST(MnozicniVnos, AMissingTableIsThrownWithTheDatabasesReason)
{
    Tabela t;
    LEDG_PRESKOCI_BREZ_BAZE(t.b);
    Transakcija tx(t.db, t.okolje);
    tx.zacni();
    int zavrnjenih = 0;
    MnozicniVnos vnos(tx, QStringLiteral("NI_TABELE"), kStolpci,
                      [&](const QVariantList&, const QSqlError&) { ++zavrnjenih; });
    try {
        for (int i = 0; i < 10; ++i)
            vnos.dodaj({qint64(i), QDate(2024, 3, 1), QStringLiteral("x"), QStringLiteral("EUR"), 1.0});
        vnos.koncaj();
        FAIL() << "rows into a missing table were accepted";
    } catch (const Napaka& e) {
        EXPECT_TRUE(e.besedilo().contains(QStringLiteral("ni_tabele"), Qt::CaseInsensitive))
            << e.besedilo().toStdString();
    }
    EXPECT_EQ(zavrnjenih, 0);
}

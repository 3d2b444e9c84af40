#include "jedro.h"
#include "poizvedba.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

qint64 stevilo(QSqlDatabase& db, const QString& sql)
{
    Poizvedba q(db);
    q.odpri(sql);
    return q.naslednji() ? q.celo(QStringLiteral("N")) : -1;
}

} // namespace

TEST(DemoBaza, MakesABelievableBookOnceAndAnAliasLeadingToIt)
{
    QTemporaryDir dir;
    const QString baza = dir.filePath(QStringLiteral("demo/ledger.sqlite"));
    const QString aliasi = dir.filePath(QStringLiteral("demo/aliases.ini"));
    const QDate danes(2018, 1, 31);
    ASSERT_EQ(ustvariDemoBazo(baza, aliasi, danes, 3000), QString());
    EXPECT_FALSE(QFileInfo::exists(baza + QStringLiteral(".part")));

    QFile ini(aliasi);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), QByteArray("[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n"));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(baza);
        ASSERT_TRUE(db.open());
        EXPECT_EQ(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE")), 3000);
        EXPECT_EQ(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK<'2017-11-18'")), 0);
        EXPECT_EQ(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMK>'2018-01-31'")), 0);
        // Older postings carried by transfer 1 (registered), the rest still open.
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS=1")), 500);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS IS NULL OR PRENOS<1")), 500);
        EXPECT_EQ(stevilo(db, QStringLiteral("SELECT MAX(STPRENOSA) N FROM LEDGXFER")), 1);
        // The branches a transfer takes are all present.
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM DOG WHERE SFDJV IN ('N','U')")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM OSB WHERE SFSOS='F'")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM POG WHERE SFORG IS NULL")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM SIFKONT WHERE DEVIZEN='D'")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE BZNESEK=0 AND DZNESEK=0")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMV IS NULL")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE K LEFT JOIN VLT V ON K.VALUTA=V.SFVLT"
                                             " WHERE V.SFVLT IS NULL")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM SfDog")), 0);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("demo"));

    // A second call leaves the existing files alone.
    const QDateTime prej = QFileInfo(baza).lastModified();
    ASSERT_EQ(ustvariDemoBazo(baza, aliasi, danes, 10), QString());
    EXPECT_EQ(QFileInfo(baza).lastModified(), prej);
}

#include "demoknjiga.h"
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
        // The book alone is untransferred, as NULL or 0: transfer 1 is the engine's
        // work (the batch command's demo runs it; its tests check it).
        EXPECT_EQ(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS IS NULL OR PRENOS<1")), 3000);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE PRENOS=0")), 500);
        // The branches a transfer takes are all present.
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM DOG WHERE SFDJV IN ('N','U')")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM OSB WHERE SFSOS='F'")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM POG WHERE SFORG IS NULL")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM SIFKONT WHERE DEVIZEN='D'")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE BZNESEK=0 AND DZNESEK=0")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE DATUMV IS NULL")), 0);
        // Every posted currency is in VLT; foreign ones and the old code "E" are posted.
        EXPECT_EQ(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE K LEFT JOIN VLT V ON K.VALUTA=V.SFVLT"
                                             " WHERE V.SFVLT IS NULL")),
                  0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE VALUTA='E'")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM KNJIZBE WHERE VALUTA NOT IN ('E','EUR')")), 0);
        EXPECT_GT(stevilo(db, QStringLiteral("SELECT COUNT(*) N FROM SfDog")), 0);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("demo"));

    // What runs before the database takes its name runs on it; its failure keeps no database.
    const QString druga = dir.filePath(QStringLiteral("druga.sqlite"));
    QString videna;
    EXPECT_EQ(ustvariDemoBazo(druga, dir.filePath(QStringLiteral("druga.ini")), danes, 10,
                              [&](const QString& ime) {
                                  videna = ime;
                                  return QStringLiteral("ne gre");
                              }),
              QStringLiteral("ne gre"));
    EXPECT_FALSE(videna.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(druga));
    EXPECT_FALSE(QFileInfo::exists(druga + QStringLiteral(".part")));

    // A second call leaves the existing files alone.
    const QDateTime prej = QFileInfo(baza).lastModified();
    ASSERT_EQ(ustvariDemoBazo(baza, aliasi, danes, 10), QString());
    EXPECT_EQ(QFileInfo(baza).lastModified(), prej);
}

TEST(DemoBaza, WorkingDaysLeaveOutWeekendsAndSlovenianHolidays)
{
    const struct {
        QDate dan;
        bool delovni;
    } primeri[] = {
        {QDate(2018, 1, 31), true},  {QDate(2018, 2, 3), false},   {QDate(2018, 2, 4), false},
        {QDate(2018, 1, 1), false},  {QDate(2018, 1, 2), false},   {QDate(2018, 2, 8), false},
        {QDate(2018, 4, 2), false},  {QDate(2018, 4, 3), true},    {QDate(2024, 4, 1), false},
        {QDate(2025, 4, 21), false}, {QDate(2018, 4, 27), false},  {QDate(2018, 5, 2), false},
        {QDate(2018, 6, 25), false}, {QDate(2018, 8, 15), false},  {QDate(2018, 10, 31), false},
        {QDate(2018, 11, 1), false}, {QDate(2018, 12, 25), false}, {QDate(2018, 12, 26), false},
        {QDate(2018, 12, 27), true},
    };
    for (const auto& p : primeri)
        EXPECT_EQ(jeDelovniDan(p.dan), p.delovni) << p.dan.toString(Qt::ISODate).toStdString();
}

#include "izpis.h"
#include "paradoks_pomoc.h"
#include "zapisnik.h"
#include "zokdll.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

extern "C" {
#include <paradox.h>
}

namespace {

QByteArray preberi(const QString& pot)
{
    QFile f(pot);
    if (!f.open(QIODevice::ReadOnly))
        return "(ni datoteke)";
    return f.readAll();
}

void zapisi(const QString& pot, const QByteArray& vsebina)
{
    QFile f(pot);
    f.open(QIODevice::WriteOnly);
    f.write(vsebina);
}

// The table lies in the application directory ($LEDGXFER_HOME).
class Zokdll : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("LEDGXFER_HOME", dir.path().toUtf8());
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override
    {
        qunsetenv("LEDGXFER_HOME");
        QLocale::setDefault(QLocale::system());
    }
    QString tabela() const { return dir.filePath(QStringLiteral("ZOKDLL.DB")); }
    QString izhod() const { return dir.filePath(QStringLiteral("ZOKDLL.TXT")); }
    QString domov() const { return QDir::toNativeSeparators(dir.path()) + QDir::separator(); }

    QTemporaryDir dir;
    Zapisnik o;
};

} // namespace

TEST_F(Zokdll, OneLinePerAccountAscendingWithItsSumsAndTodaysDate)
{
    ASSERT_TRUE(ustvariZokdll(tabela(), {
                                            {QStringLiteral("2000"), 10.0, 20.5, 1.0},
                                            {QStringLiteral("1000"), 2.675, -2.345, 7.0},
                                            {QStringLiteral("2000"), 5.0, std::nullopt, 2.0},
                                        }));

    EXPECT_EQ(prepisZokdll(o, izhod()), 2);

    EXPECT_EQ(preberi(izhod()), QByteArray("ORV  20240305"
                                           "1000      "
                                           "           2.68"
                                           "          -2.34"
                                           " \r\n"
                                           "ORV  20240305"
                                           "2000      "
                                           "          15.00"
                                           "          20.50"
                                           " \r\n"));
    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("V datoteko ") + izhod()
                                       + QStringLiteral("ZOKDLL.TXT je zapisanih 2 vrstic!")});
    EXPECT_EQ(o.urejevalnik, QStringList{izhod()});
}

TEST_F(Zokdll, NullsCountAsZeroLongAccountsAreCutAndLettersAreSingleBytes)
{
    ASSERT_TRUE(ustvariZokdll(tabela(), {
                                            {QStringLiteral("12345678901234"), std::nullopt, 1.0, std::nullopt},
                                            {std::nullopt, 3.0, std::nullopt, std::nullopt},
                                            {QStringLiteral("Šč-ž"), std::nullopt, std::nullopt, std::nullopt},
                                        }));

    EXPECT_EQ(prepisZokdll(o, izhod()), 3);

    // The empty account first; the 14-character account cut to 10; š, č and ž one byte each.
    EXPECT_EQ(preberi(izhod()), QByteArray("ORV  20240305"
                                           "          "
                                           "           3.00"
                                           "           0.00"
                                           " \r\n"
                                           "ORV  20240305"
                                           "1234567890"
                                           "           0.00"
                                           "           1.00"
                                           " \r\n"
                                           "ORV  20240305"
                                           "\x8A\xE8-\x9E      "
                                           "           0.00"
                                           "           0.00"
                                           " \r\n"));
}

TEST_F(Zokdll, EmptyTableGivesAnEmptyFileAndCountZeroWithoutEditor)
{
    ASSERT_TRUE(ustvariZokdll(tabela(), {}));
    zapisi(izhod(), "staro\r\n");

    EXPECT_EQ(prepisZokdll(o, izhod()), 0);

    EXPECT_EQ(preberi(izhod()), QByteArray());
    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("V datoteko ") + izhod()
                                       + QStringLiteral("ZOKDLL.TXT je zapisanih 0 vrstic!")});
    EXPECT_TRUE(o.urejevalnik.isEmpty());
}

TEST(ZokZnesek, RoundsAfterAddingAThousandthAndCutsLongTextsTo15)
{
    struct Primer {
        double vsota;
        const char* pricakovano;
    };
    const Primer primeri[] = {
        {2.675, "           2.68"},  // held as 2.67499999...: the added 0.001 rounds it up
        {-2.345, "          -2.34"}, // -2.344 after the addition
        {0.0, "           0.00"},
        {999999999999.99, "999999999999.99"},  // exactly 15
        {1234567890123.45, "1234567890123.4"}, // 16 characters: the last one is lost
        {-123456789012.34, "-123456789012.3"},
    };
    for (const Primer& p : primeri)
        EXPECT_EQ(zokZnesek(p.vsota, QLocale::c()), QByteArray(p.pricakovano)) << p.vsota;

    // The decimal separator is the locale's.
    EXPECT_EQ(zokZnesek(2.675, QLocale(QLocale::Slovenian, QLocale::Slovenia)), QByteArray("           2,68"));
}

TEST_F(Zokdll, MissingTableIsReportedAndTheOutputIsLeftAlone)
{
    zapisi(izhod(), "staro\r\n");

    EXPECT_EQ(prepisZokdll(o, izhod()), std::nullopt);

    EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Ni datoteke ") + domov() + QStringLiteral("ZOKDLL.DB")});
    EXPECT_EQ(preberi(izhod()), QByteArray("staro\r\n"));
}

TEST_F(Zokdll, OutputThatCannotBeCreatedIsReportedWithItsPath)
{
    ASSERT_TRUE(ustvariZokdll(tabela(), {{QStringLiteral("1000"), 1.0, 1.0, 1.0}}));
    const QString mapa = dir.path();
    const QString brezMape = dir.filePath(QStringLiteral("ni_mape/ZOKDLL.TXT"));
    // Special files and links are refused too, and left as they are.
    const QString tuja = dir.filePath(QStringLiteral("tuja.txt"));
    zapisi(tuja, "tuja\r\n");
    const QString povezava = dir.filePath(QStringLiteral("povezava.txt"));
    ASSERT_TRUE(QFile::link(tuja, povezava));
    const QString cev = dir.filePath(QStringLiteral("cev.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(cev).constData(), 0644), 0);
    const QString predolgo = dir.filePath(QString(300, u'z'));

    for (const QString& pot :
         {mapa, brezMape, povezava, cev, QStringLiteral("/dev/null"), predolgo, dir.filePath(QStringLiteral(" "))}) {
        o.sporocila.clear();
        EXPECT_EQ(prepisZokdll(o, pot), std::nullopt);
        EXPECT_EQ(o.sporocila, QStringList{QStringLiteral("Verjetno neobstojeca datoteka (direktorij) ") + pot});
    }
    EXPECT_TRUE(o.urejevalnik.isEmpty());
    EXPECT_EQ(preberi(tuja), QByteArray("tuja\r\n"));
    EXPECT_TRUE(QFileInfo(povezava).isSymLink());
    EXPECT_FALSE(QFileInfo(cev).isFile());
}

TEST_F(Zokdll, UnreadableTableIsNamedAndTheEarlierOutputStays)
{
    zapisi(tabela(), QByteArray("to ni tabela, le besedilo z imenom tabele\r\n").repeated(20));
    zapisi(izhod(), "prejsnji prepis\r\n");

    EXPECT_EQ(prepisZokdll(o, izhod()), std::nullopt);

    ASSERT_EQ(o.sporocila.size(), 1);
    EXPECT_TRUE(o.sporocila.at(0).startsWith(QStringLiteral("Datoteka ") + tabela()
                                             + QStringLiteral(" ni berljiva tabela Paradox")))
        << o.sporocila.at(0).toStdString();
    EXPECT_EQ(preberi(izhod()), QByteArray("prejsnji prepis\r\n"));
    EXPECT_TRUE(o.urejevalnik.isEmpty());
    // No temporary file is left beside the output.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(Zokdll, EmptyOutputPathIsReportedAndNothingIsWritten)
{
    ASSERT_TRUE(ustvariZokdll(tabela(), {{QStringLiteral("1000"), 1.0, 1.0, 1.0}}));
    const QStringList prej = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    EXPECT_EQ(prepisZokdll(o, QString()), std::nullopt);

    ASSERT_EQ(o.sporocila.size(), 1);
    EXPECT_TRUE(o.sporocila.at(0).contains(QStringLiteral("ni izbrana")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), prej);
    EXPECT_TRUE(o.urejevalnik.isEmpty());
}

// The stop request (the batch command's SIGINT or SIGTERM) ends the summary without a
// count message or editor; the previous summary stays and no file of the run is left.
TEST_F(Zokdll, StopRequestLeavesThePreviousSummary)
{
    ASSERT_TRUE(ustvariZokdll(tabela(), {{QStringLiteral("1000"), 1.0, 1.0, 1.0}}));
    zapisi(izhod(), "prejsnji prepis\r\n");
    o.konec = true;

    IzidIzvoza izid;
    EXPECT_EQ(prepisZokdll(o, izhod(), &izid), std::nullopt);

    EXPECT_TRUE(izid.ustavljen);
    EXPECT_TRUE(o.sporocila.isEmpty()) << o.sporocila.join(u'|').toStdString();
    EXPECT_TRUE(o.urejevalnik.isEmpty());
    EXPECT_EQ(preberi(izhod()), QByteArray("prejsnji prepis\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// A table that lacks several of the summary's fields names every one of them.
TEST_F(Zokdll, EveryMissingFieldIsNamed)
{
    ASSERT_TRUE(ustvariTabelo(tabela(), {{"KONTOGLV", pxfAlpha, 10}, {"OBRREV30", pxfNumber, 8}},
                              {{QStringLiteral("1000"), 1.0}}));
    EXPECT_EQ(prepisZokdll(o, izhod()), std::nullopt);
    ASSERT_EQ(o.sporocila.size(), 1);
    EXPECT_TRUE(o.sporocila.at(0).endsWith(QStringLiteral(" ni polj OBRREV180, OBRREV999")))
        << o.sporocila.at(0).toStdString();
}

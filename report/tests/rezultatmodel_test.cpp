#include "rezultat.h"
#include "rezultatmodel.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// The grid of the main window over a small SQLite result, in the Slovenian locale the
// department works in: dates kept as ISO text, amounts as REAL, NULLs.
class RezultatModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rezultatmodel"));
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE K (DATUMK DATE, KONTO VARCHAR(10), BZNESEK DOUBLE, "
                                          "ZNESEK DOUBLE, STEVILO INTEGER, OPIS VARCHAR(20))")));
        ASSERT_TRUE(
            q.exec(QStringLiteral("INSERT INTO K VALUES ('2018-01-02','1100',1234567.5,1234567.5,42,'2018-13-45'),"
                                  "('2018-01-03','1200',NULL,-0.005,-7,'besedilo'),"
                                  "('2018-01-04','1300',-0.005,2.675,0,NULL)")));
    }
    void TearDown() override
    {
        rezultat.zapri();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("rezultatmodel"));
        QLocale::setDefault(QLocale::c());
    }
    QString celica(const RezultatModel& m, int vrstica, int stolpec)
    {
        return m.data(m.index(vrstica, stolpec), Qt::DisplayRole).toString();
    }
    QSqlDatabase db;
    Rezultat rezultat;
};

} // namespace

TEST_F(RezultatModelTest, ShowsEveryCellAsTheGridFormatsIt)
{
    PodatkovniVir vir(&rezultat);
    RezultatModel model(&vir);
    rezultat.odpri(db, QStringLiteral("SELECT * FROM K ORDER BY DATUMK"));
    EXPECT_EQ(model.rowCount(), 0) << "nothing while the data link is off";
    vir.nastaviOmogocen(true);
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 6);
    rezultat.nastaviPrikaz(QStringLiteral("bznesek"),
                           {13, QStringLiteral("####0.00"), QStringLiteral("Znesek v breme")});
    rezultat.nastaviPrikaz(QStringLiteral("STEVILO"), {-1, QStringLiteral("#,###,##0.00"), QString()});

    struct Primer {
        int vrstica;
        int stolpec;
        const char* pricakovano;
    };
    const Primer primeri[] = {
        {0, 0, "2. 01. 2018"}, // ISO text shown as the short date, the year in four digits
        {0, 1, "1100"},        // text as it stands
        {0, 2, "1234567,50"},  // display format without grouping
        {1, 2, ""},            // NULL shows nothing, format or not
        {2, 2, "-0,01"},       // rounded half away from zero, plain minus
        {0, 3, "1.234.567,5"}, // no format: the locale's separators, thousands grouped
        {1, 3, "\u22120,005"}, // the locale's own minus sign
        {2, 3, "2,675"},
        {0, 4, "42,00"}, // an integer by its display format
        {1, 4, "-7,00"},
        {0, 5, "2018-13-45"}, // ISO-looking text that is no date stays text
        {1, 5, "besedilo"},
        {2, 5, ""},
    };
    for (const Primer& p : primeri)
        EXPECT_EQ(celica(model, p.vrstica, p.stolpec), QString::fromUtf8(p.pricakovano))
            << "row " << p.vrstica << ", column " << p.stolpec;

    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Znesek v breme"));
    EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("ZNESEK"));
    EXPECT_EQ(model.data(model.index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignLeft | Qt::AlignVCenter);
    // Widths: the setting, else by type; text by its longest shown value (SQLite keeps no sizes).
    EXPECT_EQ(model.sirinaZnakov(2), 13);
    EXPECT_EQ(model.sirinaZnakov(3), 12);
    EXPECT_EQ(model.sirinaZnakov(5), 10);
    EXPECT_EQ(rezultat.trenutnaVrstica(), 0) << "reading cells keeps the current row";

    vir.nastaviOmogocen(false);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
}

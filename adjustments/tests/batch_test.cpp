#include "batch.h"
#include "pdf.h"
#include "zbirka.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Runs ledgxfer-batch adjustments with the test database's login.
IzidBatch batch(const ZbirkaIzravnav& z, QStringList argumenti)
{
    argumenti.prepend(QStringLiteral("adjustments"));
    return zazeniBatch(z.baza, argumenti);
}

} // namespace

TEST(BatchAdjustments, NoFilterListsEveryRowAnyFilterOnlyTheMatchingRowsWithADay)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    ZbirkaIzravnav z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    const QString pdf = QDir(z.mapa()).filePath(QStringLiteral("izravnave.pdf"));

    IzidBatch i = batch(z, {QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("(strani: 1)"))) << i.izhod.toStdString();
    QString t = besediloPdf(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("PREGLED IZRAVNAV PRI ZAOKROŽEVANJU"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("600,0010000000000"))); // the row without a day
    EXPECT_TRUE(t.contains(QStringLiteral("2.800,01")));

    // One filter: only rows with a day; the range inclusive at both ends.
    i = batch(z, {QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), pdf,
                  QStringLiteral("--from"), QStringLiteral("2024-03-01"), QStringLiteral("--to"),
                  QStringLiteral("2024-03-31"), QStringLiteral("--account"), QStringLiteral("12")});
    ASSERT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    t = besediloPdf(pdf);
    for (const char* da : {"100,0040000000000", "200,0060000000000", "300,0000000000000", "700,0000000000000"})
        EXPECT_TRUE(t.contains(QString::fromLatin1(da))) << da << t.toStdString();
    for (const char* ne : {"400,0020000000000", "500,0049000000000", "600,0010000000000"})
        EXPECT_FALSE(t.contains(QString::fromLatin1(ne))) << ne;
    EXPECT_TRUE(t.contains(QStringLiteral("1.300,01"))); // sum of the rounded amounts

    i = batch(z, {QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), pdf,
                  QStringLiteral("--security"), QStringLiteral("3")});
    ASSERT_EQ(i.koda, 0);
    t = besediloPdf(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("400,0020000000000")));
    EXPECT_FALSE(t.contains(QStringLiteral("100,0040000000000")));
}

TEST(BatchAdjustments, EmptySelectionAndInvalidOptions)
{
    ZbirkaIzravnav z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    const QString pdf = QDir(z.mapa()).filePath(QStringLiteral("ni.pdf"));

    // Nothing to write: exit 3, no file, and the output says whether an older file of
    // that name remains (a scheduled job must not pass it on as this list).
    IzidBatch i = batch(z, {QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), pdf,
                            QStringLiteral("--partner"), QStringLiteral("99")});
    EXPECT_EQ(i.koda, 3) << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Ni izravnav za prikaz"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Datoteke ") + QDir::toNativeSeparators(pdf) + QStringLiteral(" ni.")))
        << i.izhod.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    {
        QFile staro(pdf);
        ASSERT_TRUE(staro.open(QIODevice::WriteOnly));
        staro.write("%PDF starejši izpis");
    }
    i = batch(z, {QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), pdf,
                  QStringLiteral("--partner"), QStringLiteral("99")});
    EXPECT_EQ(i.koda, 3);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Starejša datoteka ") + QDir::toNativeSeparators(pdf)
                                 + QStringLiteral(" ostaja nespremenjena.")))
        << i.izhod.toStdString();
    QFile::remove(pdf);

    // Paths that name no file are refused before anything is read or written.
    for (const QString& slaba : {QStringLiteral(" "), QDir(z.mapa()).filePath(QStringLiteral(" ")), z.mapa(),
                                 QStringLiteral("/dev/null"), QDir(z.mapa()).filePath(QStringLiteral("ni/x.pdf"))}) {
        i = batch(z, {QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), slaba});
        EXPECT_EQ(i.koda, 2) << slaba.toStdString() << i.izhod.toStdString();
        EXPECT_TRUE(i.napake.contains(QStringLiteral("--pdf ne imenuje datoteke"))) << i.napake.toStdString();
    }
    EXPECT_FALSE(QFile::exists(QDir(z.mapa()).filePath(QStringLiteral(" "))));

    struct Napacen {
        QStringList argumenti;
        const char* napaka;
    };
    const QList<Napacen> napacni = {
        {{QStringLiteral("--transfer"), QStringLiteral("7 OR 1=1")}, "Številka prenosa mora biti celo število"},
        {{QStringLiteral("--security"), QStringLiteral("x")}, "Vrednostni papir mora biti celo število"},
        {{QStringLiteral("--from"), QStringLiteral("2024-03-01")}, "--from in --to se podata skupaj"},
        {{QStringLiteral("--from"), QStringLiteral("1.3.2024"), QStringLiteral("--to"), QStringLiteral("2024-03-31")},
         "--from ni datum"},
    };
    for (const Napacen& n : napacni) {
        i = batch(z, QStringList{QStringLiteral("--alias"), QStringLiteral("LB"), QStringLiteral("--pdf"), pdf}
                         + n.argumenti);
        EXPECT_EQ(i.koda, 2) << n.napaka;
        EXPECT_TRUE(i.napake.contains(QString::fromUtf8(n.napaka))) << i.napake.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }

    // A failed login shows the window's message; the reason is on standard error.
    i = batch(z, {QStringLiteral("--alias"), QStringLiteral("NI"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prijava v NI"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.napake.contains(QStringLiteral("Alias ne obstaja: NI"))) << i.napake.toStdString();
}

#include "batch.h"
#include "pdf.h"
#include "zbirka.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Runs ledgxfer-batch with the test database's login.
IzidBatch batch(const Zbirka& z, const QStringList& argumenti) { return zazeniBatch(z.baza, argumenti); }

} // namespace

TEST(BatchJournal, WritesTheJournalOfARegisteredTransferToPdf)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    Zbirka z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    const QString pdf = QDir(z.mapa()).filePath(QStringLiteral("dnevnik.pdf"));
    const IzidBatch i = batch(z, {QStringLiteral("journal"), QStringLiteral("--alias"), QStringLiteral("LB"),
                                  QStringLiteral("--transfer"), QStringLiteral("7"), QStringLiteral("--pdf"), pdf,
                                  QStringLiteral("--initiator"), QStringLiteral(" Janez "),
                                  QStringLiteral("--journal-number"), QStringLiteral("17")});
    ASSERT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("strani: 1"))) << i.izhod.toStdString();
    const QString t = besediloPdf(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("Temeljnica številka: 17"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QRegularExpression(QStringLiteral("Iniciator:\\s+Janez")))) << t.toStdString();
    // The postings of transfer 7 within its range: B, A and C (not D, booked in April).
    EXPECT_TRUE(t.contains(QStringLiteral("1.234.567,50")));
    EXPECT_FALSE(t.contains(QStringLiteral("10,00")));
    EXPECT_EQ(t.count(QStringLiteral("SKUPAJ")), 3); // two groups and the grand total
    EXPECT_TRUE(t.contains(QStringLiteral("1.235.567,50")));
}

TEST(BatchJournal, UnknownTransferOrBadNumberEndsWithAMessageAndNoFile)
{
    Zbirka z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    const QString pdf = QDir(z.mapa()).filePath(QStringLiteral("ni.pdf"));
    IzidBatch i = batch(z, {QStringLiteral("journal"), QStringLiteral("--alias"), QStringLiteral("LB"),
                            QStringLiteral("--transfer"), QStringLiteral("99"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prenosa številka 99 ni v registru prenosov.")))
        << i.izhod.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    i = batch(z, {QStringLiteral("journal"), QStringLiteral("--alias"), QStringLiteral("LB"),
                  QStringLiteral("--transfer"), QStringLiteral("7 OR 1=1"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--transfer ni celo število"))) << i.napake.toStdString();

    i = batch(z, {QStringLiteral("journal"), QStringLiteral("--alias"), QStringLiteral("NI"),
                  QStringLiteral("--transfer"), QStringLiteral("7"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prijava v NI"))) << i.izhod.toStdString();

    z.izvedi(QStringLiteral("DROP TABLE LEDGXFER"));
    i = batch(z, {QStringLiteral("journal"), QStringLiteral("--alias"), QStringLiteral("LB"),
                  QStringLiteral("--transfer"), QStringLiteral("7"), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Registra prenosov ni mogoče brati"))) << i.izhod.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

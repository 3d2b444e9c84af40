#include "zbirka.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

struct Izid {
    int koda;
    QString izhod;
    QString napake;
};

// Runs ledgxfer-batch with the test database's login.
Izid batch(const Zbirka& z, QStringList argumenti)
{
    if (!z.baza.uporabnik().isEmpty())
        argumenti << QStringLiteral("--user") << z.baza.uporabnik() << QStringLiteral("--password") << z.baza.geslo();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("sl_SI.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LEDGXFER_BUILD_DIR "/ledgxfer-batch"), argumenti);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString besediloPdf(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(BatchJournal, WritesTheJournalOfARegisteredTransferToPdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Zbirka z;
    LEDG_PRESKOCI_BREZ_BAZE(z.baza);
    const QString pdf = QDir(z.mapa()).filePath(QStringLiteral("dnevnik.pdf"));
    const Izid i = batch(z, {"journal", "--alias", "LB", "--transfer", "7", "--pdf", pdf, "--initiator", " Janez ",
                          "--journal-number", "17"});
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
    Izid i = batch(z, {"journal", "--alias", "LB", "--transfer", "99", "--pdf", pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prenosa številka 99 ni v registru prenosov."))) << i.izhod.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    i = batch(z, {"journal", "--alias", "LB", "--transfer", "7 OR 1=1", "--pdf", pdf});
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.napake.contains(QStringLiteral("--transfer ni celo število"))) << i.napake.toStdString();

    i = batch(z, {"journal", "--alias", "NI", "--transfer", "7", "--pdf", pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prijava v NI"))) << i.izhod.toStdString();

    z.izvedi(QStringLiteral("DROP TABLE LEDGXFER"));
    i = batch(z, {"journal", "--alias", "LB", "--transfer", "7", "--pdf", pdf});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Registra prenosov ni mogoče brati"))) << i.izhod.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

#include "baza_pomoc.h"
#include "batch.h"
#include "okna_pomoc.h"
#include "paradoks_pomoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The revaluation summary takes no login: ledgxfer-batch run without one.
IzidBatch revaluation(const QString& izhod)
{
    return zazeniBatch({QStringLiteral("revaluation"), QStringLiteral("--output"), izhod});
}

class BatchIzvoz : public ::testing::Test {
protected:
    void SetUp() override
    {
        LEDG_PRESKOCI_BREZ_BAZE(b);
        b.osb(100, QStringLiteral("Novak"), QString(), QString(), QString(), QStringLiteral("Koper"), QVariant(),
              QVariant());
        b.pog(1, 100, QStringLiteral("NOVAK"));
        zapisiDatoteko(izhod, "prejšnji izvoz\r\n");
    }

    BazaOsb b;
    QString izhod = b.pot(QStringLiteral("keep.txt"));
};

} // namespace

// The party export validates before it touches the file: a refused range leaves the
// previous export byte for byte and says so; a blank name is refused as usage.
TEST_F(BatchIzvoz, PartiesLeaveThePreviousFileWhenNothingIsWritten)
{
    IzidBatch i = zazeniBatch(b.baza, {"parties", "--alias", "BAZA", "--output", izhod, "--first", "12a"});
    EXPECT_EQ(i.koda, 1);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Ne morem odpreti tabele :LB:pog"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.napake.contains(QStringLiteral("12a"))) << i.napake.toStdString();
    EXPECT_TRUE(i.napake.contains(QStringLiteral("Starejša datoteka ") + QDir::toNativeSeparators(izhod)
                                  + QStringLiteral(" ostaja nespremenjena.")))
        << i.napake.toStdString();
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));

    for (const char* prazno : {" ", "", "   "}) {
        i = zazeniBatch(b.baza, {"parties", "--alias", "BAZA", "--output", prazno});
        EXPECT_EQ(i.koda, 2) << prazno;
        EXPECT_TRUE(i.napake.contains(QStringLiteral("--output ne imenuje datoteke"))) << i.napake.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral(" ")));

    i = zazeniBatch(b.baza, {"parties", "--alias", "BAZA", "--output", izhod});
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(preberiDatoteko(izhod).startsWith("NOVAK   Novak  "));
}

// The revaluation summary: a path that cannot be the output gets the summary's own
// message on standard output and the system's reason on standard error, and whatever
// lies at the path stays; a damaged table gives no count message.
TEST_F(BatchIzvoz, RevaluationGivesTheReasonAndLeavesThePathAlone)
{
    ASSERT_TRUE(ustvariZokdll(b.pot(QStringLiteral("ZOKDLL.DB")), {{QStringLiteral("1000"), 1.0, 2.0, 3.0}}));
    const QString cev = b.pot(QStringLiteral("cev.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(cev).constData(), 0644), 0);

    struct Primer {
        QString pot;
        const char* razlog;
    };
    for (const Primer& p : {Primer{cev, "cev"}, Primer{b.pot(QString(300, u'z')), "File name too long"},
                            Primer{b.pot(QStringLiteral("ni/ZOKDLL.TXT")), "ne obstaja"}}) {
        const IzidBatch i = revaluation(p.pot);
        EXPECT_EQ(i.koda, 1) << p.razlog;
        EXPECT_TRUE(i.izhod.contains(QStringLiteral("Verjetno neobstojeca datoteka (direktorij) ") + p.pot))
            << i.izhod.toStdString();
        EXPECT_TRUE(i.napake.contains(QString::fromUtf8(p.razlog))) << i.napake.toStdString();
    }
    EXPECT_FALSE(QFileInfo(cev).isFile());

    IzidBatch i = revaluation(QStringLiteral(" "));
    EXPECT_EQ(i.koda, 2);

    // A table cut short: no count message, the previous summary stays.
    QByteArray tabela = preberiDatoteko(b.pot(QStringLiteral("ZOKDLL.DB")));
    tabela.truncate(2100);
    zapisiDatoteko(b.pot(QStringLiteral("ZOKDLL.DB")), tabela);
    i = revaluation(izhod);
    EXPECT_EQ(i.koda, 1);
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("vrstic!"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.napake.contains(QStringLiteral("okrnjena"))) << i.napake.toStdString();
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));
}

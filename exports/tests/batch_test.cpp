#include "baza_pomoc.h"
#include "batch.h"
#include "izpis.h"
#include "okna_pomoc.h"
#include "paradoks_pomoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // A range that is no number is a refused value: exit 2, the window's message and
    // the true reason on standard output.
    IzidBatch i =
        zazeniBatch(b.baza, {QStringLiteral("parties"), QStringLiteral("--alias"), QStringLiteral("BAZA"),
                             QStringLiteral("--output"), izhod, QStringLiteral("--first"), QStringLiteral("12a")});
    EXPECT_EQ(i.koda, 2);
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Ne morem odpreti tabele :LB:pog"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("--first ni celo število: 12a"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.napake.contains(QStringLiteral("Starejša datoteka ") + QDir::toNativeSeparators(izhod)
                                  + QStringLiteral(" ostaja nespremenjena.")))
        << i.napake.toStdString();
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));

    for (const char* prazno : {" ", "", "   "}) {
        i = zazeniBatch(b.baza, {QStringLiteral("parties"), QStringLiteral("--alias"), QStringLiteral("BAZA"),
                                 QStringLiteral("--output"), QString::fromLatin1(prazno)});
        EXPECT_EQ(i.koda, 2) << prazno;
        EXPECT_TRUE(i.napake.contains(QStringLiteral("--output ne imenuje datoteke"))) << i.napake.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral(" ")));

    i = zazeniBatch(b.baza, {QStringLiteral("parties"), QStringLiteral("--alias"), QStringLiteral("BAZA"),
                             QStringLiteral("--output"), izhod});
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

    // A table cut short inside its record (header 2048 bytes, block head 6, the
    // record 39): no count message, the previous summary stays.
    QByteArray tabela = preberiDatoteko(b.pot(QStringLiteral("ZOKDLL.DB")));
    tabela.truncate(2048 + 6 + 38);
    zapisiDatoteko(b.pot(QStringLiteral("ZOKDLL.DB")), tabela);
    i = revaluation(izhod);
    EXPECT_EQ(i.koda, 1);
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("vrstic!"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.napake.contains(QStringLiteral("okrnjena"))) << i.napake.toStdString();
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));
}

namespace {

// What lies at a path without following it: the bytes of a regular file, else its kind.
QByteArray kajJeNa(const QString& pot)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(pot).constData(), &st) != 0)
        return "nic";
    if (S_ISLNK(st.st_mode))
        return "povezava->" + QFile::encodeName(QFileInfo(pot).symLinkTarget());
    if (S_ISFIFO(st.st_mode))
        return "cev";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "naprava";
    return "datoteka:" + preberiDatoteko(pot);
}

struct IzhodUkaza {
    const char* ime;
    const char* ukaz;                                  // parties | revaluation
    std::function<QString(const BazaOsb& b)> pripravi; // returns the output path
    const char* razlog;                                // part of the reason on standard output
    bool leSqlite = false;                             // the database's files are SQLite's
};

void PrintTo(const IzhodUkaza& c, std::ostream* os) { *os << c.ime; }

class BatchIzhodi : public BatchIzvoz, public ::testing::WithParamInterface<IzhodUkaza> {};

} // namespace

// Every output of both exports goes through the one guard: the database's own files,
// the command's own input, the program's files, links, FIFOs and devices are refused
// with exit 1 and the reason on standard output, and what lies there stays as it was.
TEST_P(BatchIzhodi, GuardRefusesThePathAndLeavesIt)
{
    const IzhodUkaza& c = GetParam();
    if (c.leSqlite && b.baza.gonilnik() != u"sqlite")
        GTEST_SKIP() << "the database has no files of its own on " << b.baza.gonilnik().toStdString();
    ASSERT_TRUE(ustvariZokdll(b.pot(QStringLiteral("ZOKDLL.DB")), {{QStringLiteral("1000"), 1.0, 2.0, 3.0}}));
    const QString pot = c.pripravi(b);
    // The database's files change under any connection; what counts there is that the
    // book is still whole afterwards.
    const QByteArray prej = c.leSqlite ? QByteArray() : kajJeNa(pot);
    const auto mapa = [this] {
        QStringList imena = QDir(b.mapa()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        imena.removeIf([](const QString& ime) { return ime.startsWith(QStringLiteral("LB.sqlite-")); });
        return imena;
    };
    const QStringList mapaPrej = mapa();

    const IzidBatch i = QByteArray(c.ukaz) == "parties"
                            ? zazeniBatch(b.baza, {QStringLiteral("parties"), QStringLiteral("--alias"),
                                                   QStringLiteral("BAZA"), QStringLiteral("--output"), pot})
                            : revaluation(pot);
    EXPECT_EQ(i.koda, 1) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QString::fromUtf8(c.razlog))) << i.izhod.toStdString();
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("Uspešno"))) << i.izhod.toStdString();
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("vrstic!"))) << i.izhod.toStdString();
    if (c.leSqlite) {
        QSqlQuery q(b.db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM OSB")) && q.next())
            << q.lastError().text().toStdString();
        EXPECT_EQ(q.value(0).toInt(), 1);
    } else {
        EXPECT_EQ(kajJeNa(pot), prej);
    }
    EXPECT_EQ(mapa(), mapaPrej);
}

namespace {

QString povezava(const BazaOsb& b)
{
    QFile::link(b.pot(QStringLiteral("keep.txt")), b.pot(QStringLiteral("povezava.txt")));
    return b.pot(QStringLiteral("povezava.txt"));
}

QString cev(const BazaOsb& b)
{
    ::mkfifo(QFile::encodeName(b.pot(QStringLiteral("cev.txt"))).constData(), 0600);
    return b.pot(QStringLiteral("cev.txt"));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Poti, BatchIzhodi,
    ::testing::Values(
        IzhodUkaza{"parties_baza", "parties", [](const BazaOsb& b) { return b.pot(QStringLiteral("LB.sqlite")); },
                   "baze podatkov", true},
        IzhodUkaza{"parties_wal", "parties", [](const BazaOsb& b) { return b.pot(QStringLiteral("LB.sqlite-wal")); },
                   "baze podatkov", true},
        IzhodUkaza{"parties_shm", "parties", [](const BazaOsb& b) { return b.pot(QStringLiteral("LB.sqlite-shm")); },
                   "baze podatkov", true},
        IzhodUkaza{"parties_journal", "parties",
                   [](const BazaOsb& b) { return b.pot(QStringLiteral("LB.sqlite-journal")); }, "baze podatkov", true},
        IzhodUkaza{"parties_zokdll", "parties", [](const BazaOsb& b) { return b.pot(QStringLiteral("ZOKDLL.DB")); },
                   "programa"},
        IzhodUkaza{"parties_aliasi", "parties", [](const BazaOsb& b) { return b.baza.potAliasov(); }, "programa"},
        IzhodUkaza{"parties_povezava", "parties", povezava, "simbolna povezava"},
        IzhodUkaza{"parties_cev", "parties", cev, "cev"},
        IzhodUkaza{"parties_naprava", "parties", [](const BazaOsb&) { return QStringLiteral("/dev/null"); }, "naprava"},
        IzhodUkaza{"revaluation_lastni_vhod", "revaluation",
                   [](const BazaOsb& b) { return b.pot(QStringLiteral("ZOKDLL.DB")); }, "ukaz bere"},
        IzhodUkaza{"revaluation_nastavitve", "revaluation",
                   [](const BazaOsb& b) { return b.pot(QStringLiteral("LEDGXFER.INI")); }, "programa"},
        IzhodUkaza{"revaluation_povezava", "revaluation", povezava, "simbolna povezava"},
        IzhodUkaza{"revaluation_cev", "revaluation", cev, "cev"},
        IzhodUkaza{"revaluation_naprava", "revaluation", [](const BazaOsb&) { return QStringLiteral("/dev/null"); },
                   "naprava"}),
    PoImenu());

// Unusual inputs and empty results: ZOKDLL.DB as a link to /dev/zero or a FIFO is
// refused at once (exit 1, nothing read, no file left); an empty table, an empty and a
// reversed range write nothing to speak of and exit 3; control characters never split
// a party's line and a character Windows-1250 lacks is one "?", counted in the log.
TEST_F(BatchIzvoz, InputsAndEmptyResults)
{
    const QString tabela = b.pot(QStringLiteral("ZOKDLL.DB"));
    for (const char* vrsta : {"dev_zero", "fifo"}) {
        QFile::remove(tabela);
        if (QByteArray(vrsta) == "fifo")
            ASSERT_EQ(::mkfifo(QFile::encodeName(tabela).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), tabela));
        QElapsedTimer cas;
        cas.start();
        const IzidBatch i = revaluation(izhod);
        EXPECT_LT(cas.elapsed(), 10000) << vrsta;
        EXPECT_EQ(i.koda, 1) << vrsta << i.izhod.toStdString();
        EXPECT_TRUE(i.izhod.contains(QStringLiteral("ni berljiva tabela Paradox"))) << i.izhod.toStdString();
        EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));
    }
    QFile::remove(tabela);
    ASSERT_TRUE(ustvariZokdll(tabela, {}));
    IzidBatch i = revaluation(izhod);
    EXPECT_EQ(i.koda, 3) << i.izhod.toStdString();

    // PostgreSQL keeps no NUL in a text; SQLite does, and so would the file.
    QString nzv = QStringLiteral("Kranjc\r\nd.o.o.\t");
    if (b.baza.gonilnik() == u"sqlite")
        nzv += QChar(0);
    b.osb(200, nzv, QStringLiteral("Ana \u0436 \U0001F600"), QString(), QString(), QStringLiteral("Celje"), QVariant(),
          QVariant());
    b.pog(2, 200, QStringLiteral("KRANJC"));
    for (const QStringList& obseg :
         {QStringList{QStringLiteral("--first"), QStringLiteral("50"), QStringLiteral("--last"), QStringLiteral("60")},
          QStringList{QStringLiteral("--first"), QStringLiteral("2"), QStringLiteral("--last"), QStringLiteral("1")}}) {
        i = zazeniBatch(b.baza, QStringList{QStringLiteral("parties"), QStringLiteral("--alias"),
                                            QStringLiteral("BAZA"), QStringLiteral("--output"), izhod}
                                    + obseg);
        EXPECT_EQ(i.koda, 3) << obseg.join(u' ').toStdString() << i.izhod.toStdString();
    }
    i = zazeniBatch(b.baza, {QStringLiteral("parties"), QStringLiteral("--alias"), QStringLiteral("BAZA"),
                             QStringLiteral("--output"), izhod});
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString() << i.napake.toStdString();
    const QList<QByteArray> vrstice = preberiDatoteko(izhod).split('\n');
    ASSERT_EQ(vrstice.size(), 3); // two lines and nothing after the last CR LF
    for (int v = 0; v < 2; ++v)
        EXPECT_EQ(vrstice.at(v).size(), 180) << vrstice.at(v).toStdString();
    const QByteArray kranjc = vrstice.at(1);
    EXPECT_TRUE(kranjc.startsWith("KRANJC  Kranjc  d.o.o. ")) << kranjc.toStdString();
    EXPECT_TRUE(kranjc.contains("  Ana ? ?  ")) << kranjc.toStdString();
    EXPECT_FALSE(preberiDatoteko(izhod).contains('\0'));
    EXPECT_TRUE(i.napake.contains(QStringLiteral("ima 2 znakov, ki jih Windows-1250 nima"))) << i.napake.toStdString();
}

// SIGTERM while a party export runs: the export stops, exits 130 and leaves the
// previous file and no file of its own. The command is held at the password prompt of
// standard input (read after the handlers are in place) while the signal comes.
TEST_F(BatchIzvoz, SigtermStopsThePartyExportWithoutTrace)
{
    QProcess p;
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    p.setProcessEnvironment(okolje);
    QStringList argumenti{QStringLiteral("parties"),
                          QStringLiteral("--alias"),
                          QStringLiteral("BAZA"),
                          QStringLiteral("--output"),
                          izhod,
                          QStringLiteral("--password-stdin")};
    if (!b.baza.uporabnik().isEmpty())
        argumenti << QStringLiteral("--user") << b.baza.uporabnik();
    p.start(programBatch(), argumenti);
    ASSERT_TRUE(p.waitForStarted());
    // Waits until the process sleeps in its read of standard input.
    QElapsedTimer cas;
    cas.start();
    bool caka = false;
    while (!caka && cas.elapsed() < 20000) {
        QThread::msleep(50);
        QFile stanje(QStringLiteral("/proc/%1/wchan").arg(p.processId()));
        caka = stanje.open(QIODevice::ReadOnly) && stanje.readAll().contains("read") && cas.elapsed() > 300;
    }
    ::kill(pid_t(p.processId()), SIGTERM);
    p.write((b.baza.geslo() + u'\n').toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(120000);
    const IzidBatch i = izidBatch(p);
    EXPECT_EQ(i.koda, 130) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));
    EXPECT_EQ(QDir(b.mapa()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden), QStringList());
}

// A write that fails on the way (the file size limit stands in for a full disk) gives
// the system's reason, never "Neznana napaka", and the previous file stays.
TEST_F(BatchIzvoz, WriteFailureCarriesTheSystemsReason)
{
    for (int i = 0; i < 60; ++i) {
        b.osb(1000 + i, QStringLiteral("Oseba %1").arg(i), QString(), QString(), QString(), QStringLiteral("Kraj"),
              QVariant(), QVariant());
        b.pog(1000 + i, 1000 + i, QStringLiteral("K%1").arg(i));
    }
    QProcess p;
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    okolje.insert(QStringLiteral("LC_ALL"), QStringLiteral("sl_SI.UTF-8"));
    p.setProcessEnvironment(okolje);
    p.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit omejitev{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &omejitev);
    });
    QStringList argumenti{QStringLiteral("parties"), QStringLiteral("--alias"), QStringLiteral("BAZA"),
                          QStringLiteral("--output"), izhod};
    if (!b.baza.uporabnik().isEmpty())
        argumenti << QStringLiteral("--user") << b.baza.uporabnik() << QStringLiteral("--password") << b.baza.geslo();
    p.start(programBatch(), argumenti);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    const IzidBatch i = izidBatch(p);
    EXPECT_EQ(i.koda, 1) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Ne morem pisati v datoteko "))) << i.izhod.toStdString();
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("Neznana napaka"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("File too large")) || i.izhod.contains(QStringLiteral("prevelika")))
        << i.izhod.toStdString();
    EXPECT_EQ(preberiDatoteko(izhod), QByteArray("prejšnji izvoz\r\n"));
}

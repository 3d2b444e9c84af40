// The transfer run as an operator's scheduled job meets it: ledgxfer-batch killed at
// several points of a run, a lock held by another connection, two runs at once. After
// each, the database and the files must be exactly as before the run, or exactly as
// after a completed one: never half done.
#include "batch.h"
#include "demoknjiga.h"
#include "poizvedba.h"
#include "povezava.h"
#include "testnabaza.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// Everything a transfer may change, as text: marks, register, adjustment rows (with
// their sums) and the files of the output folder with their bytes.
struct Stanje {
    std::vector<std::string> baza;
    QMap<QString, QByteArray> datoteke;
    bool operator==(const Stanje&) const = default;
};

class Odpornost : public ::testing::Test {
protected:
    void SetUp() override
    {
        LEDG_PRESKOCI_BREZ_BAZE(b);
        db = b.odpri();
        napolniDemo(db, QDate(2018, 1, 31), 20000);
        mapa = QDir(b.mapa()).filePath(QStringLiteral("izhod"));
        ASSERT_TRUE(QDir().mkpath(mapa));
        pot = QDir(mapa).filePath(QStringLiteral("GKDODAT2.TXT"));
        // Two completed transfers: an output file and its backup exist.
        ASSERT_EQ(zazeni({QStringLiteral("2018-01-01"), QStringLiteral("2018-01-10")}).koda, 0);
        ASSERT_EQ(zazeni({QStringLiteral("2018-01-11"), QStringLiteral("2018-01-15")}).koda, 0);
    }

    // A new transfer here may cover registered ones (--allow-overlap): these runs mean
    // it. A repeat without a range takes its registered one.
    QStringList argumenti(const QStringList& obseg, const QString& ponovi = QString(), const QString& izhod = QString())
    {
        QStringList a{QStringLiteral("transfer"), QStringLiteral("--alias"), b.alias(), QStringLiteral("--output"),
                      izhod.isEmpty() ? pot : izhod};
        if (!obseg.isEmpty())
            a << QStringLiteral("--from") << obseg.at(0) << QStringLiteral("--to") << obseg.at(1);
        if (!ponovi.isEmpty())
            a << QStringLiteral("--repeat") << ponovi;
        else
            a << QStringLiteral("--allow-overlap");
        if (!b.uporabnik().isEmpty())
            a << QStringLiteral("--user") << b.uporabnik() << QStringLiteral("--password") << b.geslo();
        return a;
    }

    void zacni(QProcess& p, const QStringList& a)
    {
        p.setProgram(programBatch());
        p.setArguments(a);
        p.start();
        ASSERT_TRUE(p.waitForStarted());
    }

    struct Izid {
        int koda;
        QString izhod;
    };
    Izid zazeni(const QStringList& obseg, const QString& ponovi = QString(), const QString& izhod = QString(),
                const QProcessEnvironment& okolje = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setProcessEnvironment(okolje);
        zacni(p, argumenti(obseg, ponovi, izhod));
        p.waitForFinished(180000);
        const IzidBatch i = izidBatch(p);
        return {i.koda, i.izhod + i.napake};
    }

    QStringList vrstice(const QString& sql)
    {
        QSqlQuery q(db);
        if (!q.exec(sql))
            return {QStringLiteral("<") + q.lastError().text() + u'>'};
        QStringList v;
        while (q.next()) {
            QStringList polja;
            for (int i = 0; i < q.record().count(); ++i)
                polja << vrednostNiz(q.value(i));
            v << polja.join(u' ');
        }
        return v;
    }

    Stanje stanje()
    {
        Stanje s;
        const QStringList baza =
            vrstice(QStringLiteral("SELECT PRENOS, COUNT(*) FROM KNJIZBE GROUP BY PRENOS ORDER BY PRENOS"))
            + vrstice(QStringLiteral("SELECT STPRENOSA, DATUM1, DATUM2 FROM LEDGXFER ORDER BY STPRENOSA"))
            + vrstice(QStringLiteral("SELECT PRENOS, COUNT(*), ROUND(SUM(ZNESEK)*100) FROM IZRAVNAVE"
                                     " GROUP BY PRENOS ORDER BY PRENOS"));
        for (const QString& v : baza)
            s.baza.push_back(v.toStdString());
        for (const QString& ime : QDir(mapa).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            QFile f(QDir(mapa).filePath(ime));
            s.datoteke.insert(ime, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ne berem>"));
        }
        return s;
    }

    // The new file the process is writing in the output folder (it may have no name
    // there yet), once it has grown to `bajtov`: seen through the process's open files.
    bool seZapisuje(const QProcess& p, qint64 bajtov)
    {
        const QDir fd(QStringLiteral("/proc/%1/fd").arg(p.processId()));
        for (const QFileInfo& f : fd.entryInfoList(QDir::Files | QDir::System)) {
            if (f.symLinkTarget().startsWith(mapa) && f.size() >= bajtov)
                return true;
        }
        return false;
    }

    // Holds the lock a transfer needs: SQLite's write lock, or the register's on a server.
    void zakleni(QSqlDatabase& druga)
    {
        QSqlQuery z(druga);
        if (b.gonilnik() == u"sqlite") {
            ASSERT_TRUE(z.exec(QStringLiteral("BEGIN IMMEDIATE"))) << z.lastError().text().toStdString();
        } else {
            ASSERT_TRUE(druga.transaction());
            ASSERT_TRUE(z.exec(QStringLiteral("LOCK TABLE LEDGXFER IN EXCLUSIVE MODE")));
        }
    }
    void sprosti(QSqlDatabase& druga)
    {
        if (b.gonilnik() == u"sqlite")
            QSqlQuery(druga).exec(QStringLiteral("ROLLBACK"));
        else
            druga.rollback();
    }

    TestnaBaza b;
    QSqlDatabase db;
    QString mapa;
    QString pot;
};

bool cakaj(const std::function<bool()>& pogoj, int ms = 60000)
{
    QElapsedTimer t;
    t.start();
    while (!pogoj()) {
        if (t.elapsed() > ms)
            return false;
        QThread::msleep(5);
    }
    return true;
}

} // namespace

// Killed while writing lines, or while waiting for another connection's lock (on
// SQLite before the run reads, on a server at the allocation of the number, with the
// whole file written and every adjustment row inserted): nothing of the run is left.
TEST_F(Odpornost, AKilledRunLeavesTheDatabaseAndTheFilesAsTheyWere)
{
    // Transfer 3 covers two months: its repeat writes long enough to be killed.
    ASSERT_EQ(zazeni({QStringLiteral("2017-11-01"), QStringLiteral("2017-12-31")}).koda, 0);
    const Stanje prej = stanje();
    ASSERT_TRUE(povezava::odpri(QStringLiteral("DRUGA"), b.alias(), b.uporabnik(), b.geslo()).isEmpty());
    QSqlDatabase druga = QSqlDatabase::database(QStringLiteral("DRUGA"));
    const struct {
        const char* ime;
        const char* ponovi;
        bool zaklep;
    } tocke[] = {
        {"new transfer, writing lines", "", false},
        {"repeat of transfer 3, writing lines", "3", false},
        {"new transfer, waiting for a lock", "", true},
    };
    for (const auto& t : tocke) {
        if (t.zaklep)
            zakleni(druga);
        QProcess p;
        const bool ponovitev = *t.ponovi != 0;
        zacni(p, argumenti(ponovitev ? QStringList()
                                     : QStringList{QStringLiteral("2017-11-01"), QStringLiteral("2018-01-31")},
                           QString::fromLatin1(t.ponovi)));
        if (t.zaklep) {
            // On a server the run waits for the register's lock once everything is written.
            if (b.gonilnik() != u"sqlite")
                EXPECT_TRUE(cakaj([&] {
                    return vrstice(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted"))
                               != QStringList{QStringLiteral("0")}
                           || p.waitForFinished(1);
                })) << t.ime;
            else
                EXPECT_FALSE(p.waitForFinished(1500));
            EXPECT_EQ(p.state(), QProcess::Running) << t.ime << ": the run must wait for the lock";
        } else {
            EXPECT_TRUE(cakaj([&] { return seZapisuje(p, 200 * 154) || p.waitForFinished(1); })) << t.ime;
            EXPECT_EQ(p.state(), QProcess::Running) << t.ime << ": finished before it could be killed";
        }
        p.kill();
        p.waitForFinished();
        if (t.zaklep)
            sprosti(druga);
        Stanje potem = stanje();
        EXPECT_EQ(potem.baza, prej.baza) << t.ime;
        EXPECT_EQ(potem.datoteke.keys(), prej.datoteke.keys()) << t.ime << ": no work file may be left";
        EXPECT_TRUE(potem.datoteke == prej.datoteke) << t.ime << ": the output file or its backup changed";
    }
    druga = QSqlDatabase();
    povezava::zapri(QStringLiteral("DRUGA"));

    // The next run completes as if nothing had happened.
    EXPECT_EQ(zazeni({QStringLiteral("2017-11-01"), QStringLiteral("2018-01-31")}).koda, 0);
    EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM KNJIZBE WHERE PRENOS IS NULL OR PRENOS<1")),
              QStringList{QStringLiteral("0")});
}

// Two new transfers started together never share a number: each marks what is still
// unmarked when it commits, numbers only its own adjustment rows (as many as its file
// has detail lines) and registers its own range.
TEST_F(Odpornost, TwoRunsAtOnceGetTwoNumbers)
{
    const QString pot2 = QDir(mapa).filePath(QStringLiteral("DRUGI.TXT"));
    const struct {
        const char* ime;
        QStringList obseg1, obseg2;
    } primeri[] = {
        {"disjoint ranges",
         {QStringLiteral("2017-11-01"), QStringLiteral("2017-12-15")},
         {QStringLiteral("2017-12-16"), QStringLiteral("2017-12-31")}},
        {"the same range",
         {QStringLiteral("2018-01-16"), QStringLiteral("2018-01-31")},
         {QStringLiteral("2018-01-16"), QStringLiteral("2018-01-31")}},
    };
    qint64 najvisja = vrstice(QStringLiteral("SELECT MAX(STPRENOSA) FROM LEDGXFER")).value(0).toLongLong();
    for (const auto& pr : primeri) {
        QProcess p1, p2;
        zacni(p1, argumenti(pr.obseg1));
        zacni(p2, argumenti(pr.obseg2, QString(), pot2));
        ASSERT_TRUE(p1.waitForFinished(180000));
        ASSERT_TRUE(p2.waitForFinished(180000));
        EXPECT_EQ(p1.exitCode(), 0) << pr.ime << p1.readAll().toStdString();
        EXPECT_EQ(p2.exitCode(), 0) << pr.ime << p2.readAll().toStdString();

        const QStringList reg =
            vrstice(QStringLiteral("SELECT STPRENOSA, DATUM1, DATUM2 FROM LEDGXFER WHERE STPRENOSA>%1"
                                   " ORDER BY STPRENOSA")
                        .arg(najvisja));
        ASSERT_EQ(reg.size(), 2) << pr.ime;
        // Each file's detail lines are its transfer's adjustment rows.
        for (const QString& r : reg) {
            const QStringList polja = r.split(u' ');
            const QString st = polja.at(0);
            auto iso = [](const QString& d) {
                const QDate iz = QDate::fromString(d, Qt::ISODate);
                return (iz.isValid() ? iz : QDate::fromString(d, QStringLiteral("d.M.yyyy"))).toString(Qt::ISODate);
            };
            const QStringList obseg{iso(polja.at(1)), iso(polja.at(2))};
            EXPECT_TRUE(obseg == pr.obseg1 || obseg == pr.obseg2) << pr.ime << " " << r.toStdString();
            EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM LEDGXFER WHERE STPRENOSA=") + st),
                      QStringList{QStringLiteral("1")});
            const QString izravnav =
                vrstice(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE WHERE PRENOS=") + st).value(0);
            // Which file is whose: the one whose line count matches; both must be whole.
            QFile f1(pot), f2(pot2);
            ASSERT_TRUE(f1.open(QIODevice::ReadOnly) && f2.open(QIODevice::ReadOnly));
            const qint64 v1 = f1.readAll().count("\r\n") - 2, v2 = f2.readAll().count("\r\n") - 2;
            EXPECT_TRUE(izravnav.toLongLong() == v1 || izravnav.toLongLong() == v2)
                << pr.ime << ": transfer " << st.toStdString() << " has " << izravnav.toStdString() << " rows";
        }
        EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE WHERE PRENOS IS NULL OR PRENOS<1")),
                  QStringList{QStringLiteral("0")});
        najvisja += 2;
    }
    // The same range twice: every posting of it carries exactly one of the two numbers,
    // and the one that committed second found nothing left to mark.
    EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM KNJIZBE WHERE DATUMK>='2018-01-16' AND DATUMK<='2018-01-31'"
                                     " AND (PRENOS IS NULL OR PRENOS<1)")),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(DISTINCT PRENOS) FROM KNJIZBE WHERE DATUMK>='2018-01-16'"
                                     " AND DATUMK<='2018-01-31'")),
              QStringList{QStringLiteral("1")});
}

// Two repeats of one number at once: the second waits for the first (the register's
// lock, taken by every run) and then runs on its result, so the transfer's adjustment
// rows are never doubled: they equal each file's detail lines.
TEST_F(Odpornost, TwoRepeatsOfOneNumberAtOnceKeepItsRowsEqualToItsLines)
{
    const QString pot2 = QDir(mapa).filePath(QStringLiteral("DRUGI.TXT"));
    QProcess p1, p2;
    zacni(p1, argumenti({}, QStringLiteral("1")));
    zacni(p2, argumenti({}, QStringLiteral("1"), pot2));
    ASSERT_TRUE(p1.waitForFinished(180000));
    ASSERT_TRUE(p2.waitForFinished(180000));
    EXPECT_EQ(p1.exitCode(), 0) << p1.readAll().toStdString();
    EXPECT_EQ(p2.exitCode(), 0) << p2.readAll().toStdString();
    QFile f1(pot), f2(pot2);
    ASSERT_TRUE(f1.open(QIODevice::ReadOnly) && f2.open(QIODevice::ReadOnly));
    const QByteArray b1 = f1.readAll(), b2 = f2.readAll();
    const qint64 vrstic = b1.count("\r\n") - 2;
    EXPECT_GT(vrstic, 0);
    EXPECT_EQ(b2.count("\r\n") - 2, vrstic);
    EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE WHERE PRENOS=1")),
              QStringList{QString::number(vrstic)});
    EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM LEDGXFER")), QStringList{QStringLiteral("2")});
}

namespace {

// The environment of a run that stops at a fault point of the test (LEDGXFER_TEST_TOCKA).
QProcessEnvironment sTocko(const char* tocka, const char* cakanjePovezave = nullptr)
{
    QProcessEnvironment o = QProcessEnvironment::systemEnvironment();
    o.insert(QStringLiteral("LEDGXFER_TEST_TOCKA"), QString::fromLatin1(tocka));
    if (cakanjePovezave)
        o.insert(QStringLiteral("LEDGXFER_RECONNECT_WAIT"), QString::fromLatin1(cakanjePovezave));
    return o;
}

QByteArray vsebina(const QString& pot)
{
    QFile f(pot);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// A run killed between its commit and putting its file in place leaves its complete
// file beside the output under a name the next run finds ("<output>.prenos<N>"): the
// next run into that output puts a committed transfer's file in place, says so, and
// goes on; the file of a run killed before its commit is removed, and nothing else
// changes. On every engine.
TEST_F(Odpornost, AKillBetweenTheCommitAndTheFileIsFinishedByTheNextRun)
{
    const QByteArray prejsnja = vsebina(pot);
    const QString cakajoca3 = pot + QStringLiteral(".prenos3");
    const QStringList prazno{QStringLiteral("2019-01-01"), QStringLiteral("2019-01-31")}; // no postings

    Izid i = zazeni({QStringLiteral("2018-01-16"), QStringLiteral("2018-01-31")}, QString(), QString(),
                    sTocko("po-potrditvi"));
    EXPECT_NE(i.koda, 0) << "killed";
    EXPECT_EQ(vrstice(QStringLiteral("SELECT MAX(STPRENOSA) FROM LEDGXFER")), QStringList{QStringLiteral("3")})
        << "committed before the kill";
    EXPECT_EQ(vsebina(pot), prejsnja) << "the output still holds the previous file";
    const QByteArray nova = vsebina(cakajoca3);
    ASSERT_FALSE(nova.isEmpty()) << "the new file waits beside the output";
    EXPECT_EQ(vrstice(QStringLiteral("SELECT COUNT(*) FROM IZRAVNAVE WHERE PRENOS=3")),
              QStringList{QString::number(nova.count("\r\n") - 2)});

    // The next run into that output (here over a range without postings).
    i = zazeni(prazno);
    EXPECT_EQ(i.koda, 3) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prenos 3 je bil zapisan v bazi, njegova datoteka pa ob prekinitvi ni "
                                                "bila nameščena. Zdaj je nameščena v ")
                                 + pot))
        << i.izhod.toStdString();
    EXPECT_EQ(vsebina(pot), nova);
    EXPECT_EQ(vsebina(QDir(mapa).filePath(QStringLiteral("GKDODAT2.OLD"))), prejsnja);
    EXPECT_FALSE(QFileInfo::exists(cakajoca3));

    // Killed just before its commit: nothing of transfer 4 is in the book, and the
    // file it left is removed by the next run without a word.
    const Stanje prej = stanje();
    i = zazeni({QStringLiteral("2017-11-01"), QStringLiteral("2017-12-31")}, QString(), QString(),
               sTocko("pred-potrditvijo"));
    EXPECT_NE(i.koda, 0);
    EXPECT_TRUE(QFileInfo::exists(pot + QStringLiteral(".prenos4")));
    i = zazeni(prazno);
    EXPECT_EQ(i.koda, 3) << i.izhod.toStdString();
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("nameščena"))) << i.izhod.toStdString();
    EXPECT_TRUE(stanje() == prej) << "nothing of the killed run is left";
}

// A server lost during the commit (PostgreSQL, directly and through ODBC): the run
// asks again on a new connection whether it committed. Not committed: nothing was
// transferred, and it says so. Committed: the file is put in place and the success
// says the connection was lost and found again. Not reachable again: the outcome is
// unknown, the message names the transfer to check, the batch exits 4, and the file
// waits for the next run, which finishes it.
TEST_F(Odpornost, AConnectionLostDuringTheCommitIsAskedAgain)
{
    if (b.gonilnik() == u"sqlite")
        GTEST_SKIP() << "SQLite has no connection to lose";
    const QStringList obseg{QStringLiteral("2018-01-16"), QStringLiteral("2018-01-31")};
    const QByteArray prejsnja = vsebina(pot);
    const Stanje prej = stanje();

    Izid i = zazeni(obseg, QString(), QString(), sTocko("prekini-pred-potrditvijo"));
    EXPECT_EQ(i.koda, 1) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("prenos ni zapisan v bazi in ni opravljen"))) << i.izhod.toStdString();
    EXPECT_TRUE(stanje() == prej);

    i = zazeni(obseg, QString(), QString(), sTocko("prekini-po-potrditvi"));
    EXPECT_EQ(i.koda, 0) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Uspešno prepisanih podatkov="))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("znova vzpostavljena: prenos 3 je zapisan v bazi, datoteka je "
                                                "nameščena")))
        << i.izhod.toStdString();
    EXPECT_EQ(vsebina(QDir(mapa).filePath(QStringLiteral("GKDODAT2.OLD"))), prejsnja);
    EXPECT_FALSE(QFileInfo::exists(pot + QStringLiteral(".prenos3")));

    i = zazeni({QStringLiteral("2017-11-01"), QStringLiteral("2017-12-31")}, QString(), QString(),
               sTocko("prekini-po-potrditvi", "0"));
    EXPECT_EQ(i.koda, 4) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("ni znano, ali je prenos 4 zapisan v bazi"))) << i.izhod.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Preverite prenos 4 v pregledu prenosov"))) << i.izhod.toStdString();
    const QByteArray cakajoca = vsebina(pot + QStringLiteral(".prenos4"));
    ASSERT_FALSE(cakajoca.isEmpty());
    i = zazeni({QStringLiteral("2019-01-01"), QStringLiteral("2019-01-31")});
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Prenos 4 je bil zapisan v bazi"))) << i.izhod.toStdString();
    EXPECT_EQ(vsebina(pot), cakajoca);
}

// A full disk: the run ends with the system's reason and leaves the last good file,
// its backup and the database as they were. Needs a small file system of its own
// (mounted here when the tests run as root).
TEST_F(Odpornost, AFullDiskEndsTheRunWithItsReasonAndChangesNothing)
{
    const QString mala = QDir(b.mapa()).filePath(QStringLiteral("mala"));
    ASSERT_TRUE(QDir().mkpath(mala));
    QProcess mount;
    mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                          QStringLiteral("size=256k"), QStringLiteral("tmpfs"), mala});
    if (!mount.waitForFinished() || mount.exitCode() != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << mount.readAllStandardError().toStdString();
    const auto odklopi = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mala}); });
    const QString izhod = QDir(mala).filePath(QStringLiteral("GK.TXT"));
    ASSERT_EQ(zazeni({QStringLiteral("2018-01-16"), QStringLiteral("2018-01-16")}, QString(), izhod).koda, 0);
    ASSERT_EQ(zazeni({QStringLiteral("2018-01-17"), QStringLiteral("2018-01-17")}, QString(), izhod).koda, 0);
    mapa = mala;
    const Stanje prej = stanje();
    ASSERT_EQ(prej.datoteke.keys(), (QStringList{QStringLiteral("GK.OLD"), QStringLiteral("GK.TXT")}));

    const Izid izid = zazeni({QStringLiteral("2017-11-01"), QStringLiteral("2018-01-31")}, QString(), izhod);
    EXPECT_EQ(izid.koda, 1);
    // The system's reason, in the program's language.
    EXPECT_TRUE(izid.izhod.contains(QStringLiteral("Ne morem pisati v datoteko ") + izhod
                                    + QStringLiteral(": Ni prostora na napravi"))
                || izid.izhod.contains(QStringLiteral("Ne morem pisati v datoteko ") + izhod
                                       + QStringLiteral(": No space left on device")))
        << izid.izhod.toStdString();
    const Stanje potem = stanje();
    EXPECT_EQ(potem.baza, prej.baza);
    EXPECT_TRUE(potem.datoteke == prej.datoteke);
}

// A full file system under the SQLite book: the run ends with the system's reason
// (never the name of a savepoint the engine dropped with the transaction), and the book
// and the output stay as they were.
TEST_F(Odpornost, AFullDiskUnderTheBookEndsTheRunWithItsReason)
{
    if (b.gonilnik() != u"sqlite")
        GTEST_SKIP() << "the book is a file only on SQLite";
    QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    const QString knjiga = QDir(b.mapa()).filePath(b.alias() + QStringLiteral(".sqlite"));
    const qint64 velikost = QFileInfo(knjiga).size();
    ASSERT_GT(velikost, 0);
    const QString mala = QDir(b.mapa()).filePath(QStringLiteral("mala"));
    ASSERT_TRUE(QDir().mkpath(mala));
    QProcess mount;
    // Room for the book and a little more, not for the run's adjustment rows.
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=%1k").arg(velikost / 1024 + 96), QStringLiteral("tmpfs"), mala});
    if (!mount.waitForFinished() || mount.exitCode() != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << mount.readAllStandardError().toStdString();
    const auto odklopi = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mala}); });
    const QString kopija = QDir(mala).filePath(QStringLiteral("ledger.sqlite"));
    ASSERT_TRUE(QFile::copy(knjiga, kopija));
    const QString aliasi = QDir(b.mapa()).filePath(QStringLiteral("mala.ini"));
    {
        QFile f(aliasi);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MALA]\ndriver=sqlite\ndatabase=" + QFile::encodeName(kopija) + "\n");
    }
    const auto vsebinaKnjige = [&] {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {kopija, QStringLiteral("SELECT COUNT(*), COUNT(PRENOS) FROM KNJIZBE;"
                                                                   " SELECT COUNT(*) FROM IZRAVNAVE;"
                                                                   " SELECT MAX(STPRENOSA) FROM LEDGXFER;")});
        p.waitForFinished();
        return p.readAllStandardOutput();
    };
    const QByteArray prej = vsebinaKnjige();
    ASSERT_FALSE(prej.isEmpty()) << "sqlite3 (package sqlite3) reads the book";
    const QByteArray izhodPrej = vsebina(pot);

    const IzidBatch i = zazeniBatch({QStringLiteral("transfer"), QStringLiteral("--aliases"), aliasi,
                                     QStringLiteral("--alias"), QStringLiteral("MALA"), QStringLiteral("--from"),
                                     QStringLiteral("2017-11-01"), QStringLiteral("--to"), QStringLiteral("2018-01-31"),
                                     QStringLiteral("--allow-overlap"), QStringLiteral("--output"), pot});
    EXPECT_EQ(i.koda, 1) << i.izhod.toStdString() << i.napake.toStdString();
    EXPECT_TRUE(i.izhod.contains(QStringLiteral("Ni prostora na napravi"))
                || i.izhod.contains(QStringLiteral("No space left on device")))
        << i.izhod.toStdString();
    EXPECT_FALSE(i.izhod.contains(QStringLiteral("savepoint"))) << i.izhod.toStdString();
    EXPECT_EQ(vsebinaKnjige(), prej);
    EXPECT_EQ(vsebina(pot), izhodPrej);
}

#include "izhodnadatoteka.h"
#include "izpis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

namespace {

QByteArray preberi(const QString& pot)
{
    QFile f(pot);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ni>");
}

void zapisi(const QString& pot, const QByteArray& vsebina)
{
    QFile f(pot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(vsebina);
}

// What lies at a path without following it: "datoteka:<bytes>", "povezava-><target>",
// "mapa", "cev", "naprava", "vticnica" or "nic".
QString kajJeNa(const QString& pot)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(pot).constData(), &st) != 0)
        return QStringLiteral("nic");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("povezava->") + QFileInfo(pot).symLinkTarget();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("mapa");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("cev");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("naprava");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("vticnica");
    return QStringLiteral("datoteka:") + QString::fromLatin1(preberi(pot));
}

// Files of a folder, hidden ones included (a left temporary file shows here).
QStringList vsebinaMape(const QString& mapa)
{
    return QDir(mapa).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct PotCase {
    const char* ime;
    // Makes the situation in the folder and returns the output path.
    std::function<QString(const QString& mapa)> pripravi;
    const char* razlogVsebuje; // part of the refusal
};

void PrintTo(const PotCase& c, std::ostream* os) { *os << c.ime; }

class ZavrnjenaPot : public ::testing::TestWithParam<PotCase> {};

// Every path that is no regular file (or cannot become one) is refused before anything
// is written, and what lies there stays as it was: nothing followed, nothing replaced,
// no file left behind.
TEST_P(ZavrnjenaPot, odpriZavrneInPustiVseKotJe)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pot = GetParam().pripravi(dir.path());
    const QString prej = kajJeNa(pot);
    const QStringList mapaPrej = vsebinaMape(dir.path());
    const QByteArray ciljPovezave = preberi(dir.filePath(QStringLiteral("cilj.txt")));

    const auto zakaj = IzhodnaDatoteka::zavrni(pot);
    ASSERT_TRUE(zakaj.has_value());
    EXPECT_TRUE(zakaj->contains(QString::fromUtf8(GetParam().razlogVsebuje))) << zakaj->toStdString();

    IzhodnaDatoteka izhod(pot);
    EXPECT_FALSE(izhod.odpri());
    EXPECT_EQ(izhod.razlog(), *zakaj);
    EXPECT_FALSE(izhod.pisi("novo\r\n"));
    EXPECT_FALSE(izhod.potrdi());

    EXPECT_EQ(kajJeNa(pot), prej);
    EXPECT_EQ(vsebinaMape(dir.path()), mapaPrej);
    EXPECT_EQ(preberi(dir.filePath(QStringLiteral("cilj.txt"))), ciljPovezave);
}

QString vMapi(const QString& mapa, const char* ime) { return mapa + u'/' + QString::fromUtf8(ime); }

INSTANTIATE_TEST_SUITE_P(
    Poti, ZavrnjenaPot,
    ::testing::Values(PotCase{"fifo",
                              [](const QString& m) {
                                  const QString p = vMapi(m, "cev.txt");
                                  ::mkfifo(QFile::encodeName(p).constData(), 0644);
                                  return p;
                              },
                              "cev"},
                      PotCase{"povezava_na_datoteko",
                              [](const QString& m) {
                                  zapisi(vMapi(m, "cilj.txt"), "staro\r\n");
                                  const QString p = vMapi(m, "povezava.txt");
                                  QFile::link(vMapi(m, "cilj.txt"), p);
                                  return p;
                              },
                              "simbolna povezava"},
                      PotCase{"povezava_v_prazno",
                              [](const QString& m) {
                                  const QString p = vMapi(m, "povezava.txt");
                                  QFile::link(vMapi(m, "cilj.txt"), p);
                                  return p;
                              },
                              "simbolna povezava"},
                      PotCase{"mapa", [](const QString& m) { return m; }, "mapa"},
                      PotCase{"mapa_s_posevnico_na_koncu", [](const QString& m) { return m + u'/'; }, "prazno"},
                      PotCase{"naprava", [](const QString&) { return QStringLiteral("/dev/null"); }, "naprava"},
                      PotCase{"vticnica",
                              [](const QString& m) {
                                  const QString p = vMapi(m, "vticnica");
                                  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
                                  sockaddr_un naslov{};
                                  naslov.sun_family = AF_UNIX;
                                  qstrncpy(naslov.sun_path, QFile::encodeName(p).constData(), sizeof naslov.sun_path);
                                  ::bind(s, reinterpret_cast<sockaddr*>(&naslov), sizeof naslov);
                                  ::close(s);
                                  return p;
                              },
                              "vtičnica"},
                      PotCase{"presledek_za_ime", [](const QString& m) { return vMapi(m, " "); }, "prazno"},
                      PotCase{"prazna_pot", [](const QString&) { return QString(); }, "prazno"},
                      PotCase{"ni_mape", [](const QString& m) { return vMapi(m, "ni/izhod.txt"); }, "ne obstaja"},
                      PotCase{"mapa_je_datoteka",
                              [](const QString& m) {
                                  zapisi(vMapi(m, "datoteka"), "x");
                                  return vMapi(m, "datoteka/izhod.txt");
                              },
                              "ne obstaja"}),
    PoImenu());

TEST(IzhodnaDatoteka, potrdiZamenjaDatotekoInObdrziDovoljenja)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("izhod.txt"));
    zapisi(pot, "staro\r\n");
    ::chmod(QFile::encodeName(pot).constData(), 0640);

    IzhodnaDatoteka izhod(pot);
    ASSERT_TRUE(izhod.odpri()) << izhod.razlog().toStdString();
    EXPECT_FALSE(izhod.naMestu());
    ASSERT_TRUE(izhod.pisi("prva\r\n"));
    ASSERT_TRUE(izhod.naprava()->write("druga\r\n") == 7);
    // Until potrdi(), the file keeps its contents.
    EXPECT_EQ(preberi(pot), "staro\r\n");
    ASSERT_TRUE(izhod.potrdi()) << izhod.razlog().toStdString();

    EXPECT_EQ(preberi(pot), "prva\r\ndruga\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(pot).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(vsebinaMape(dir.path()), QStringList{QStringLiteral("izhod.txt")});
}

TEST(IzhodnaDatoteka, novaDatoteka)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("nova.txt"));
    {
        IzhodnaDatoteka izhod(pot);
        ASSERT_TRUE(izhod.odpri());
        ASSERT_TRUE(izhod.pisi("x"));
        ASSERT_TRUE(izhod.potrdi());
    }
    EXPECT_EQ(preberi(pot), "x");
    EXPECT_EQ(vsebinaMape(dir.path()), QStringList{QStringLiteral("nova.txt")});
}

// Without potrdi() (an error on the way, a stop), the previous file stays byte for byte
// and no temporary file is left.
TEST(IzhodnaDatoteka, opustitevPustiPrejsnjoDatoteko)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("izhod.txt"));
    zapisi(pot, "staro\r\n");
    {
        IzhodnaDatoteka izhod(pot);
        ASSERT_TRUE(izhod.odpri());
        ASSERT_TRUE(izhod.pisi("pol vrstice"));
    }
    {
        IzhodnaDatoteka izhod(pot);
        ASSERT_TRUE(izhod.odpri());
        ASSERT_TRUE(izhod.pisi("pol vrstice"));
        izhod.opusti();
        EXPECT_FALSE(izhod.potrdi());
    }
    EXPECT_EQ(preberi(pot), "staro\r\n");
    EXPECT_EQ(vsebinaMape(dir.path()), QStringList{QStringLiteral("izhod.txt")});
}

// Something put at the path while the file was written is not replaced.
TEST(IzhodnaDatoteka, potrdiNeZamenjaCeviKiSePojaviMedPisanjem)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("izhod.txt"));
    IzhodnaDatoteka izhod(pot);
    ASSERT_TRUE(izhod.odpri());
    ASSERT_TRUE(izhod.pisi("x"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pot).constData(), 0644), 0);
    EXPECT_FALSE(izhod.potrdi());
    EXPECT_TRUE(izhod.razlog().contains(QStringLiteral("cev")));
    EXPECT_EQ(kajJeNa(pot), QStringLiteral("cev"));
    EXPECT_EQ(vsebinaMape(dir.path()), QStringList{QStringLiteral("izhod.txt")});
}

TEST(IzhodnaDatoteka, predolgoImeDaSistemskiRazlog)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QString(300, u'a'));
    EXPECT_FALSE(IzhodnaDatoteka::zavrni(pot).has_value());
    IzhodnaDatoteka izhod(pot);
    EXPECT_FALSE(izhod.odpri());
    EXPECT_EQ(izhod.razlog(), QStringLiteral("File name too long"));
    EXPECT_TRUE(vsebinaMape(dir.path()).isEmpty());
}

// The previous file is kept under the backup name, an older backup is replaced only
// then; the new contents and the backup never share their bytes.
TEST(IzhodnaDatoteka, varnostnaKopija)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("GKDODAT2.TXT"));
    const QString kopija = dir.filePath(QStringLiteral("GKDODAT2.OLD"));
    zapisi(pot, "prejsnja\r\n");
    zapisi(kopija, "predprejsnja\r\n");

    {
        IzhodnaDatoteka izhod(pot);
        ASSERT_TRUE(izhod.odpri());
        izhod.pisi("nova\r\n");
        izhod.opusti();
    }
    EXPECT_EQ(preberi(kopija), "predprejsnja\r\n");

    IzhodnaDatoteka izhod(pot);
    ASSERT_TRUE(izhod.odpri());
    izhod.pisi("nova\r\n");
    ASSERT_TRUE(izhod.potrdi(kopija)) << izhod.razlog().toStdString();
    EXPECT_EQ(preberi(pot), "nova\r\n");
    EXPECT_EQ(preberi(kopija), "prejsnja\r\n");

    // A backup name that is a symbolic link is refused, and then the target is kept too.
    QFile::remove(kopija);
    const QString drugam = dir.filePath(QStringLiteral("drugam.txt"));
    zapisi(drugam, "tuje\r\n");
    QFile::link(drugam, kopija);
    IzhodnaDatoteka tretja(pot);
    ASSERT_TRUE(tretja.odpri());
    tretja.pisi("tretja\r\n");
    EXPECT_FALSE(tretja.potrdi(kopija));
    EXPECT_TRUE(tretja.razlog().contains(QStringLiteral("simbolna povezava")));
    EXPECT_EQ(preberi(pot), "nova\r\n");
    EXPECT_EQ(preberi(drugam), "tuje\r\n");
}

// A full disk (here: the process's file size limit, which fails writes the same way)
// gives the system's reason and leaves the previous file byte for byte.
TEST(IzhodnaDatoteka, polnDisk)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("izhod.txt"));
    const QByteArray staro(1000, 's');
    zapisi(pot, staro);

    rlimit prej{};
    ::getrlimit(RLIMIT_FSIZE, &prej);
    auto prejsnjiSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit omejitev = prej;
    omejitev.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &omejitev), 0);

    bool ok = false;
    QString razlog;
    {
        IzhodnaDatoteka izhod(pot);
        ok = izhod.odpri();
        ok = ok && izhod.pisi(QByteArray(100000, 'n'));
        ok = ok && izhod.potrdi();
        razlog = izhod.razlog();
    }
    ::setrlimit(RLIMIT_FSIZE, &prej);
    std::signal(SIGXFSZ, prejsnjiSignal);

    EXPECT_FALSE(ok);
    EXPECT_EQ(razlog, QStringLiteral("File too large"));
    EXPECT_EQ(preberi(pot), staro);
    EXPECT_EQ(vsebinaMape(dir.path()), QStringList{QStringLiteral("izhod.txt")});
}

// Runs `korak` as an ordinary user (root passes every permission check, so a read-only
// folder needs someone else), in a child process; returns its exit code.
int kotNavadenUporabnik(const QString& mapa, const std::function<int()>& korak)
{
    if (::geteuid() != 0)
        return korak();
    const uid_t nobody = 65534;
    // The way to the folder must be open to that user.
    for (QDir d(mapa); d.cdUp() && d.path() != QDir::tempPath();)
        ::chmod(QFile::encodeName(d.path()).constData(), 0755);
    ::chown(QFile::encodeName(mapa).constData(), nobody, nobody);
    for (const QString& ime : vsebinaMape(mapa))
        ::chown(QFile::encodeName(mapa + u'/' + ime).constData(), nobody, nobody);
    const pid_t otrok = ::fork();
    if (otrok == 0) {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(99);
        ::_exit(korak());
    }
    int stanje = 0;
    ::waitpid(otrok, &stanje, 0);
    return WIFEXITED(stanje) ? WEXITSTATUS(stanje) : 98;
}

// A writable file in a folder that takes no new files is written in place; in such
// a folder a file that does not exist yet cannot be made, and nothing appears.
TEST(IzhodnaDatoteka, mapaSamoZaBranje)
{
    QTemporaryDir dir;
    const QString mapa = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkdir(mapa));
    const QString pot = mapa + QStringLiteral("/izhod.txt");
    const QString kopija = mapa + QStringLiteral("/izhod.old");
    zapisi(pot, QByteArray(50, 's'));
    zapisi(kopija, "stara kopija");
    ::chmod(QFile::encodeName(mapa).constData(), 0555);

    const int izid = kotNavadenUporabnik(mapa, [&] {
        IzhodnaDatoteka izhod(pot);
        if (!izhod.odpri())
            return 1;
        if (!izhod.naMestu())
            return 2;
        izhod.pisi("novo\r\n");
        if (preberi(pot) != QByteArray(50, 's'))
            return 3; // nothing changes before potrdi()
        if (!izhod.potrdi(kopija))
            return 4;
        IzhodnaDatoteka nova(mapa + QStringLiteral("/nova.txt"));
        if (nova.odpri() || nova.razlog() != QStringLiteral("Permission denied"))
            return 5;
        return 0;
    });
    ::chmod(QFile::encodeName(mapa).constData(), 0755);
    EXPECT_EQ(izid, 0);
    EXPECT_EQ(preberi(pot), "novo\r\n");
    EXPECT_EQ(preberi(kopija), QByteArray(50, 's'));
    EXPECT_EQ(vsebinaMape(mapa), (QStringList{QStringLiteral("izhod.old"), QStringLiteral("izhod.txt")}));
}

// In place, a full disk is found when the space is reserved, before the previous
// contents are overwritten.
TEST(IzhodnaDatoteka, mapaSamoZaBranjeInPolnDisk)
{
    QTemporaryDir dir;
    const QString mapa = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkdir(mapa));
    const QString pot = mapa + QStringLiteral("/izhod.txt");
    zapisi(pot, QByteArray(50, 's'));
    ::chmod(QFile::encodeName(mapa).constData(), 0555);

    const int izid = kotNavadenUporabnik(mapa, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit omejitev{};
        ::getrlimit(RLIMIT_FSIZE, &omejitev);
        omejitev.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &omejitev);
        IzhodnaDatoteka izhod(pot);
        if (!izhod.odpri() || !izhod.naMestu())
            return 1;
        izhod.pisi(QByteArray(100000, 'n'));
        if (izhod.potrdi())
            return 2;
        return izhod.razlog() == QStringLiteral("File too large") ? 0 : 3;
    });
    ::chmod(QFile::encodeName(mapa).constData(), 0755);
    EXPECT_EQ(izid, 0);
    EXPECT_EQ(preberi(pot), QByteArray(50, 's'));
}

} // namespace

namespace {

// A writer killed before potrdi() (SIGKILL: no destructor runs) leaves the previous
// file as it was and no file of its own in the folder.
TEST(IzhodnaDatoteka, ubitPisecNePustiZacasneDatoteke)
{
    QTemporaryDir dir;
    const QString pot = dir.filePath(QStringLiteral("izhod.txt"));
    zapisi(pot, "staro\r\n");
    const pid_t otrok = ::fork();
    ASSERT_GE(otrok, 0);
    if (otrok == 0) {
        IzhodnaDatoteka izhod(pot);
        if (izhod.odpri() && izhod.pisi(QByteArray(1 << 16, 'x')))
            ::raise(SIGKILL);
        ::_exit(1);
    }
    int stanje = 0;
    ASSERT_EQ(::waitpid(otrok, &stanje, 0), otrok);
    ASSERT_TRUE(WIFSIGNALED(stanje));
    EXPECT_EQ(preberi(pot), QByteArray("staro\r\n"));
    EXPECT_EQ(vsebinaMape(dir.path()), QStringList{QStringLiteral("izhod.txt")});
}

} // namespace

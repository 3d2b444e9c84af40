#include "mesta.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct PrimerMest {
    const char* ime;
    bool dom;          // $LEDGXFER_HOME set
    bool aliasiOkolja; // $LEDGXFER_ALIASES set
    bool namesceno;    // the program's folder is not the program's to write in
    bool lastniAliasi; // the user's own aliases file exists
    bool sistemski;    // the system's aliases file exists
    // Where LEDGXFER.INI, ledgxfer.log, aliases.ini and ZOKDLL.DB are, one letter each:
    // H $LEDGXFER_HOME, P the program's folder, C the user's configuration folder,
    // S the user's state folder, E the system's aliases file, A $LEDGXFER_ALIASES.
    const char* kje;
};

class KjeJe : public ::testing::TestWithParam<PrimerMest> {};

void PrintTo(const PrimerMest& p, std::ostream* os) { *os << p.ime; }

void ustvari(const QString& pot)
{
    QDir().mkpath(QFileInfo(pot).path());
    QFile f(pot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << pot.toStdString();
}

} // namespace

TEST_P(KjeJe, EveryFileHasItsPlaceInEveryLayout)
{
    const PrimerMest& p = GetParam();
    QTemporaryDir dir;
    const auto v = [&](const char* ime) { return QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(ime))); };
    Mesta m;
    m.dom = p.dom ? v("dom") : QString();
    m.aliasi = p.aliasiOkolja ? v("okolje/moji.ini") : QString();
    m.mapaPrograma = v("bin");
    m.namesceno = p.namesceno;
    m.nastavitveUporabnika = v("config/ledgxfer");
    m.stanjeUporabnika = v("state/ledgxfer");
    m.sistemskiAliasi = v("etc/ledgxfer/aliases.ini");
    if (p.lastniAliasi)
        ustvari(dir.filePath(QStringLiteral("config/ledgxfer/aliases.ini")));
    if (p.sistemski)
        ustvari(m.sistemskiAliasi);

    const auto mapa = [&](char c) -> QString {
        switch (c) {
        case 'H': return m.dom;
        case 'P': return m.mapaPrograma;
        case 'C': return m.nastavitveUporabnika;
        case 'S': return m.stanjeUporabnika;
        }
        return QString();
    };
    const auto pricakovano = [&](char c, const char* ime) {
        if (c == 'E')
            return m.sistemskiAliasi;
        if (c == 'A')
            return m.aliasi;
        return QDir::toNativeSeparators(QDir(mapa(c)).filePath(QString::fromLatin1(ime)));
    };
    EXPECT_EQ(kjeJe(Datoteka::Nastavitve, m), pricakovano(p.kje[0], "LEDGXFER.INI"));
    EXPECT_EQ(kjeJe(Datoteka::Dnevnik, m), pricakovano(p.kje[1], "ledgxfer.log"));
    EXPECT_EQ(kjeJe(Datoteka::Aliasi, m), pricakovano(p.kje[2], "aliases.ini"));
    EXPECT_EQ(kjeJe(Datoteka::Prevrednotenje, m), pricakovano(p.kje[3], "ZOKDLL.DB"));
    EXPECT_EQ(vseVEniMapi(m), p.dom || !p.namesceno);
    // Asking makes nothing: no folder of the answers appears.
    EXPECT_FALSE(QFileInfo::exists(m.stanjeUporabnika));
    EXPECT_FALSE(QFileInfo::exists(m.mapaPrograma));
}

INSTANTIATE_TEST_SUITE_P(
    Primeri, KjeJe,
    ::testing::Values(PrimerMest{"Portable", false, false, false, true, true, "PPPP"},
                      PrimerMest{"PortableWithAliasesVariable", false, true, false, false, false, "PPAP"},
                      PrimerMest{"HomeSet", true, false, false, false, false, "HHHH"},
                      PrimerMest{"HomeSetOnAnInstalledProgram", true, false, true, true, true, "HHHH"},
                      PrimerMest{"HomeAndAliasesVariable", true, true, true, false, false, "HHAH"},
                      PrimerMest{"InstalledWithOwnAliases", false, false, true, true, true, "CSCC"},
                      PrimerMest{"InstalledWithSystemAliasesOnly", false, false, true, false, true, "CSEC"},
                      PrimerMest{"InstalledWithoutAliases", false, false, true, false, false, "CSCC"},
                      PrimerMest{"InstalledWithAliasesVariable", false, true, true, true, true, "CSAC"}),
    [](const auto& info) { return std::string(info.param.ime); });

// The user's folders follow the desktop's variables, the same for both programs.
TEST(TrenutnaMesta, UserFoldersFollowXdgVariables)
{
    QTemporaryDir dir;
    const QByteArray staraNastavitve = qgetenv("XDG_CONFIG_HOME");
    const QByteArray staroStanje = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("cfg")).toUtf8());
    qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("st")).toUtf8());
    const Mesta m = trenutnaMesta();
    EXPECT_EQ(QDir::cleanPath(m.nastavitveUporabnika), dir.filePath(QStringLiteral("cfg/ledgxfer")));
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    EXPECT_EQ(QDir::cleanPath(m.stanjeUporabnika), dir.filePath(QStringLiteral("st/ledgxfer")));
#endif
    // The test program lies in the build folder, which is the program's own.
    EXPECT_FALSE(m.namesceno);
    if (staraNastavitve.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", staraNastavitve);
    if (staroStanje.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", staroStanje);
}

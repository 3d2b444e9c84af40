#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

// build/ledgxfer run as a user runs it, in an environment without a desktop unless a
// case gives one.
struct PrimerPrograma {
    const char* ime;
    QStringList argumenti;
    QList<QPair<QString, QString>> okolje; // added to the environment
    int koda;
    const char* izhodZacne;    // standard output starts with this ("": is empty)
    const char* napakaVsebuje; // standard error holds this (nullptr: nothing at all)
};

class Program : public ::testing::TestWithParam<PrimerPrograma> {};

void PrintTo(const PrimerPrograma& p, std::ostream* os) { *os << p.ime; }

} // namespace

TEST_P(Program, AnswersWithoutAWindowWhereItCannotOrNeedNotOpenOne)
{
    const PrimerPrograma& p = GetParam();
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    for (const char* ime : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        okolje.remove(QString::fromLatin1(ime));
    for (const auto& [ime, vrednost] : p.okolje)
        okolje.insert(ime, vrednost);
    QProcess program;
    program.setProcessEnvironment(okolje);
    program.start(QStringLiteral(LEDGXFER_BUILD_DIR "/ledgxfer"), p.argumenti);
    program.closeWriteChannel();
    ASSERT_TRUE(program.waitForFinished(60000));
    ASSERT_EQ(program.exitStatus(), QProcess::NormalExit);
    const QString izhod = QString::fromUtf8(program.readAllStandardOutput());
    const QString napake = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(program.exitCode(), p.koda) << napake.toStdString();
    if (*p.izhodZacne)
        EXPECT_TRUE(izhod.startsWith(QString::fromUtf8(p.izhodZacne))) << izhod.toStdString();
    else
        EXPECT_TRUE(izhod.isEmpty()) << izhod.toStdString();
    if (p.napakaVsebuje)
        EXPECT_TRUE(napake.contains(QString::fromUtf8(p.napakaVsebuje))) << napake.toStdString();
    else
        EXPECT_EQ(napake, QString());
}

INSTANTIATE_TEST_SUITE_P(
    Primeri, Program,
    ::testing::Values(
        PrimerPrograma{"Version", {QStringLiteral("--version")}, {}, 0, "ledgxfer " LEDGXFER_VERSION "\n", nullptr},
        PrimerPrograma{
            "Help", {QStringLiteral("--help")}, {}, 0, "Uporaba: ledgxfer [ALIAS [UPORABNIK [GESLO]]]\n", nullptr},
        PrimerPrograma{"ShortHelp", {QStringLiteral("-h")}, {}, 0, "Uporaba: ledgxfer ", nullptr},
        PrimerPrograma{"NoDisplay", {QStringLiteral("LB")}, {}, 1, "", "xvfb-run"},
        PrimerPrograma{"NoDisplayWithoutArguments", {}, {}, 1, "", "namizni seji"},
        PrimerPrograma{"DesktopPlatformWithoutDisplay",
                       {QStringLiteral("LB")},
                       {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}},
                       1,
                       "",
                       "xvfb-run"},
        // A display that is named but not there: the toolkit's own lines, then the
        // program's message and 1, not an abort.
        PrimerPrograma{"DisplayThatIsNotThere",
                       {QStringLiteral("LB")},
                       {{QStringLiteral("DISPLAY"), QStringLiteral(":7391")}},
                       1,
                       "",
                       "xvfb-run"}),
    [](const auto& info) { return std::string(info.param.ime); });

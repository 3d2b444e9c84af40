#include "izvajalec.h"
#include "moznosti.h"
#include "napaka.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct PrimerUkaza {
    const char* ime;
    IzvediUkaz izvedi;
    int koda;          // the exit code the runner gives
    const char* izpis; // what it says on standard output
};

void PrintTo(const PrimerUkaza& p, std::ostream* os) { *os << p.ime; }

class Izvajalec : public ::testing::TestWithParam<PrimerUkaza> {};

} // namespace

// Every outcome and every exception of a command ends in its documented exit code,
// with the failure's own text: nothing aborts the program.
TEST_P(Izvajalec, MapsEveryOutcomeAndEveryExceptionToItsExitCode)
{
    const PrimerUkaza& p = GetParam();
    TerminalOkolje okolje;
    ::testing::internal::CaptureStdout();
    const int koda = zazeniUkaz(p.izvedi, {}, okolje, true);
    const std::string izpis = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(koda, p.koda);
    EXPECT_EQ(izpis, p.izpis);
}

INSTANTIATE_TEST_SUITE_P(
    Izidi, Izvajalec,
    ::testing::Values(
        PrimerUkaza{"opravljeno", [](const QStringList&, TerminalOkolje&) { return int(kOpravljeno); }, 0, ""},
        PrimerUkaza{"zavrnjeno", [](const QStringList&, TerminalOkolje&) { return int(kZavrnjeno); }, 2, ""},
        PrimerUkaza{"z_opozorili", [](const QStringList&, TerminalOkolje&) { return int(kZOpozorili); }, 3, ""},
        PrimerUkaza{"izid_neznan", [](const QStringList&, TerminalOkolje&) { return int(kIzidNeznan); }, 4, ""},
        PrimerUkaza{"signal", [](const QStringList&, TerminalOkolje&) { return int(kUstavljenoSSignalom); }, 130, ""},
        PrimerUkaza{"nedokumentirana_koda", [](const QStringList&, TerminalOkolje&) { return 7; }, 1, ""},
        PrimerUkaza{
            "napaka",
            [](const QStringList&, TerminalOkolje&) -> int { throw Napaka(QStringLiteral("Baza ni dosegljiva")); }, 1,
            "Baza ni dosegljiva\n"},
        PrimerUkaza{"std_exception",
                    [](const QStringList&, TerminalOkolje&) -> int { throw std::runtime_error("std::bad_alloc"); }, 1,
                    "std::bad_alloc\n"},
        PrimerUkaza{"neznana", [](const QStringList&, TerminalOkolje&) -> int { throw 42; }, 1, "Neznana napaka\n"}),
    [](const auto& info) { return std::string(info.param.ime); });

namespace {

struct PrimerNeuspeha {
    const char* ime;
    bool ustavljiv;
    bool signal;
    int koda;
};

class KodeNeuspeha : public ::testing::TestWithParam<PrimerNeuspeha> {};

} // namespace

// A failure after SIGINT or SIGTERM is a stop only for the commands that honour it.
TEST_P(KodeNeuspeha, AFailureAfterASignalIsAStopOnlyWhereTheCommandHonoursIt)
{
    const PrimerNeuspeha& p = GetParam();
    EXPECT_EQ(kodaNeuspeha(p.ustavljiv, p.signal), p.koda);
}

INSTANTIATE_TEST_SUITE_P(Primeri, KodeNeuspeha,
                         ::testing::Values(PrimerNeuspeha{"ustavljiv_s_signalom", true, true, 130},
                                           PrimerNeuspeha{"ustavljiv_brez_signala", true, false, 1},
                                           PrimerNeuspeha{"neustavljiv_s_signalom", false, true, 1},
                                           PrimerNeuspeha{"neustavljiv_brez_signala", false, false, 1}),
                         [](const auto& info) { return std::string(info.param.ime); });

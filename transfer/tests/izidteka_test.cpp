#include "napaka.h"
#include "prenos.h"
#include "zapisnik.h"

#include <gtest/gtest.h>

namespace {

const NalogaPrenosa kNaloga{QStringLiteral("/tmp/GKDODAT2.TXT"), QStringLiteral("0"), QDate(2018, 1, 1),
                            QDate(2018, 1, 31), QStringLiteral("LB")};

// A recorder in the middle of a run: progress, status line and percentage shown.
Zapisnik medTekom()
{
    Zapisnik z;
    z.statusnaVrstica(QStringLiteral("Poteka prepis v tekst datoteko..."));
    z.prikaziNapredek(true);
    z.napredek(50);
    return z;
}

struct PrimerIzida {
    const char* ime;
    IzidPrenosa izid;
    QStringList sporocila;
    QString procentiPotem; // the percentage label once reported
};

class SporociloIzida : public ::testing::TestWithParam<PrimerIzida> {};

} // namespace

// Whatever way a run ended, its report hides the progress and the status line first
// and then shows its messages in order; a completed run clears the percentage label.
TEST_P(SporociloIzida, HidesTheProgressThenShowsTheMessagesInOrder)
{
    const PrimerIzida& p = GetParam();
    Zapisnik z = medTekom();
    IzidTeka izid;
    izid.izid = p.izid;
    izid.sporocila = p.sporocila;
    EXPECT_EQ(sporociIzid(izid, kNaloga, z), p.izid);
    EXPECT_FALSE(z.napredekViden);
    EXPECT_FALSE(z.statusViden);
    EXPECT_EQ(z.sporocila, p.sporocila);
    EXPECT_EQ(z.procentiTekst, p.procentiPotem);
}

INSTANTIATE_TEST_SUITE_P(
    Izidi, SporociloIzida,
    ::testing::Values(
        PrimerIzida{"Opravljen", IzidPrenosa::Opravljen, {QStringLiteral("Uspešno prepisanih podatkov=2")}, QString()},
        PrimerIzida{"ZOpozorili",
                    IzidPrenosa::OpravljenZOpozorili,
                    {QStringLiteral("Uspešno prepisanih podatkov=2"), QStringLiteral("Baza ni sprejela 1 vrstic")},
                    QString()},
        PrimerIzida{"NiPodatkov",
                    IzidPrenosa::NiPodatkov,
                    {QStringLiteral("Iz tabele :LB:knjizbe ni kaj prenesti!")},
                    QStringLiteral("50 %")},
        PrimerIzida{"Zavrnjen", IzidPrenosa::Zavrnjen, {}, QStringLiteral("50 %")}),
    [](const auto& info) { return std::string(info.param.ime); });

// A failure that no message covers reaches the general error report after the
// messages the run had to say before it.
TEST(SporociloIzida, PassesTheFailureOnAfterItsMessages)
{
    Zapisnik z = medTekom();
    IzidTeka izid;
    izid.sporocila << QStringLiteral("Ne morem odpreti tabele :LB:knjizbe");
    izid.napaka = std::make_exception_ptr(Napaka(QStringLiteral("no such table: KNJIZBE")));
    try {
        sporociIzid(izid, kNaloga, z);
        ADD_FAILURE() << "the failure was not passed on";
    } catch (const Napaka& e) {
        EXPECT_EQ(e.besedilo(), QStringLiteral("no such table: KNJIZBE"));
        EXPECT_EQ(z.sporocila, QStringList{QStringLiteral("Ne morem odpreti tabele :LB:knjizbe")});
        EXPECT_FALSE(z.napredekViden);
    }
}

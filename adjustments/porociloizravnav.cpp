#include "porociloizravnav.h"

namespace {

const QString kMaska13 = QStringLiteral("###,###,##0.0000000000000");
const QString kMaska2 = QStringLiteral("###,###,##0.00");

} // namespace

Porocilo opisIzravnav(const QLocale& jezik)
{
    Porocilo p;
    p.naslov = QStringLiteral("IZRAVNAVE");
    p.papir = QPageSize::A4;
    p.usmerjenost = QPageLayout::Landscape;
    p.robovi = QMarginsF(10, 10, 10, 10);
    p.pisava = QStringLiteral("Arial");
    p.velikostPisave = 10;
    p.praznoBrezStrani = true;
    p.jezik = jezik;

    Pas glavaStrani{VrstaPasu::GlavaStrani,
                    13.5,
                    {Element::tekst(0, 0, QStringLiteral("Banka Morvik d.d.")).krepka(),
                     Element::tekst(63.5, 4.2, QStringLiteral("PREGLED IZRAVNAV PRI ZAOKROŽEVANJU")).krepka(),
                     Element::datumCas(273.8, 0).desno(), Element::stran(273.8, 6.3).desno()}};

    auto naslov = [](double levo, const QString& besedilo) { return Element::tekst(levo, 2.1, besedilo).krepka(); };
    Pas glavaStolpcev{VrstaPasu::GlavaStolpcev,
                      7.1,
                      {naslov(0, QStringLiteral("Prenos")), naslov(16.9, QStringLiteral(" Dan")),
                       naslov(33.9, QStringLiteral("Dejavnost")), naslov(52.9, QStringLiteral("Partner")),
                       naslov(80.4, QStringLiteral("Vrsta papirja")), naslov(108.0, QStringLiteral("Konto")),
                       naslov(154.5, QStringLiteral("Znesek")), naslov(194.7, QStringLiteral("Zaokrožen znesek")),
                       naslov(264.6, QStringLiteral("Razlika"))}};

    Pas podrobnosti{
        VrstaPasu::Podrobnosti,
        5.0,
        {Element::vrednost(0, 0, QStringLiteral("PRENOS")), Element::vrednost(16.9, 0, QStringLiteral("DAN")),
         Element::vrednost(36.0, 0, QStringLiteral("SFDJV")), Element::vrednost(52.9, 0, QStringLiteral("PARTNER")),
         Element::vrednost(84.7, 0, QStringLiteral("VP")), Element::vrednost(105.8, 0, QStringLiteral("KONTO")),
         Element::vrednost(165.9, 0, QStringLiteral("ZNESEK")).desno().zMasko(kMaska13),
         Element::vrednost(223.8, 0, QStringLiteral("ZAOKROZEN")).desno().zMasko(kMaska2),
         Element::vrednost(276.2, 0, QStringLiteral("RAZLIKA")).desno().zMasko(kMaska13)}};

    Pas povzetek{VrstaPasu::Povzetek,
                 6.3,
                 {Element::vsota(166.2, 0, QStringLiteral("ZNESEK")).desno().zMasko(kMaska13),
                  Element::vsota(223.8, 0, QStringLiteral("ZAOKROZEN")).desno().zMasko(kMaska2),
                  Element::vsota(276.8, 0, QStringLiteral("RAZLIKA")).desno().zMasko(kMaska13)},
                 true,
                 true};

    p.pasovi = {glavaStrani, glavaStolpcev, podrobnosti, povzetek};
    return p;
}

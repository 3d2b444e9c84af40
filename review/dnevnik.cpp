#include "dnevnik.h"

#include "poizvedba.h"
#include "postavitev.h"
#include "rezultat.h"
#include "rezultatvir.h"

#include <QDate>

namespace {

const QString kMaska = QStringLiteral("#,###,##0.00");

const char* const kStolpci[] = {"DATUMV", "SFDJV", "KONTO", "VALUTA", "BZNESEK", "DZNESEK", "BZNESEKSIT", "DZNESEKSIT"};

// A date column as the header prints it: the short date format with four-digit years; a value
// that is no date as its text; null as an empty text.
QString besediloDatuma(const QVariant& v, const QLocale& jezik)
{
    const QDate d = vrednostDatum(v);
    if (d.isValid())
        return kratkiDatum(d, jezik);
    return vrednostNiz(v);
}

} // namespace

Porocilo opisDnevnika(const GlavaDnevnika& glava, const QLocale& jezik)
{
    Porocilo p;
    p.naslov = QStringLiteral("PRENOS PROMETA V GLAVNO KNJIGO");
    p.papir = QPageSize::A4;
    p.usmerjenost = QPageLayout::Portrait;
    p.robovi = QMarginsF(10, 10, 10, 10);
    p.pisava = QStringLiteral("Arial");
    p.velikostPisave = 10;
    p.skupina = QStringLiteral("SFDJV");
    p.praznoBrezStrani = false;
    p.jezik = jezik;

    auto naslov = [](double levo, const char* besedilo) {
        return Element::tekst(levo, 4.2, QString::fromUtf8(besedilo)).krepka().podcrtana();
    };
    auto znesek = [](double desno, double zgoraj, const char* izraz, bool vsota) {
        const QString i = QString::fromLatin1(izraz);
        return (vsota ? Element::vsota(desno, zgoraj, i) : Element::vrednost(desno, zgoraj, i)).desno().zMasko(kMaska);
    };

    Pas glavaStrani{
        VrstaPasu::GlavaStrani,
        24.1,
        {Element::tekst(0, 0, QStringLiteral("Temeljnica številka:")),
         Element::tekst(31.8, 0, glava.stevilkaTemeljnice),
         Element::tekst(0, 4.2, QStringLiteral("Datum knjiženja:   ")), Element::tekst(31.8, 4.2, glava.datumKnjizenja),
         Element::tekst(0, 8.5, QStringLiteral("Datum valutacije:   ")),
         Element::tekst(31.8, 8.5, glava.datumValutacije), Element::tekst(0, 12.7, QStringLiteral("Iniciator: ")),
         Element::tekst(19.1, 12.7, glava.iniciator),
         Element::tekst(65.6, 2.1, QStringLiteral("Aplikacija ORV Master")),
         Element::tekst(65.6, 6.3, QStringLiteral("PRENOS PROMETA V GLAVNO KNJIGO")),
         Element::datumCas(190.5, 0).desno(), Element::stran(188.9, 6.3).desno()}};

    Pas glavaStolpcev{VrstaPasu::GlavaStolpcev,
                      10.6,
                      {naslov(5.8, "DAN"), naslov(20.6, "DEJ"), naslov(33.3, "KONTO"), naslov(50.3, "VAL"),
                       naslov(63.0, "Znesek breme"), naslov(94.7, "Znesek dobro"), naslov(126.5, "Znesek breme "),
                       naslov(160.3, "Znesek dobro ")}};

    Pas glavaSkupine{VrstaPasu::GlavaSkupine, 2.9, {}};

    Pas podrobnosti{
        VrstaPasu::Podrobnosti,
        5.0,
        {Element::vrednost(1.6, 0, QStringLiteral("DATUMV")), Element::vrednost(22.0, 0, QStringLiteral("SFDJV")),
         Element::vrednost(33.3, 0, QStringLiteral("KONTO")), Element::vrednost(49.5, 0, QStringLiteral("VALUTA")),
         znesek(85.7, 0, "BZNESEK", false), znesek(117.5, 0, "DZNESEK", false), znesek(157.7, 0, "BZNESEKSIT", false),
         znesek(187.3, 0, "DZNESEKSIT", false)}};

    Pas nogaSkupine{VrstaPasu::NogaSkupine,
                    7.7,
                    {Element::tekst(2.6, 0, QStringLiteral("SKUPAJ")),
                     Element::vrednost(22.0, 0, QStringLiteral("SFDJV")), znesek(85.7, 0, "BZnesek", true),
                     znesek(117.5, 0, "DZnesek", true), znesek(157.7, 0, "BZnesekSIT", true),
                     znesek(187.3, 0, "DZnesekSIT", true)},
                    true};

    Pas povzetek{VrstaPasu::Povzetek,
                 15.6,
                 {Element::pravokotnik(1.1, 2.1, 187.1, 0.8), Element::tekst(2.6, 4.2, QStringLiteral("VSE SKUPAJ")),
                  znesek(85.5, 4.2, "BZNESEK", true), znesek(117.2, 4.2, "DZNESEK", true),
                  znesek(157.4, 4.2, "BZNESEKSIT", true), znesek(187.1, 4.2, "DZNESEKSIT", true),
                  Element::tekst(2.6, 10.6, QStringLiteral("saldo")), znesek(84.9, 10.6, "BZNESEK-DZNESEK", true),
                  znesek(157.4, 10.6, "BZNESEKSIT-DZNESEKSIT", true)},
                 false,
                 true};

    p.pasovi = {glavaStrani, glavaStolpcev, glavaSkupine, podrobnosti, nogaSkupine, povzetek};
    return p;
}

bool preberiDatumeGlave(Rezultat& Q1, GlavaDnevnika& glava, const QLocale& jezik)
{
    // An open list without rows has the columns but no values: the dates are empty.
    auto preberi = [&](const QString& ime, QString& cilj) {
        if (!Q1.jeOdprt() || !Q1.imaPolje(ime))
            return false;
        cilj = Q1.eof() ? QString() : besediloDatuma(Q1.polje(ime), jezik);
        return true;
    };
    return preberi(QStringLiteral("DATUMK"), glava.datumKnjizenja)
           && preberi(QStringLiteral("DATUMV"), glava.datumValutacije);
}

bool preberiDatumeGlave(VirVrstic& vir, GlavaDnevnika& glava, const QLocale& jezik)
{
    if (!vir.imaPolje(QStringLiteral("DATUMK")))
        return false;
    glava.datumKnjizenja = besediloDatuma(vir.vrednost(QStringLiteral("DATUMK")), jezik);
    if (!vir.imaPolje(QStringLiteral("DATUMV")))
        return false;
    glava.datumValutacije = besediloDatuma(vir.vrednost(QStringLiteral("DATUMV")), jezik);
    return true;
}

bool imaStolpceDnevnika(const VirVrstic& vir)
{
    for (const char* s : kStolpci)
        if (!vir.imaPolje(QString::fromLatin1(s)))
            return false;
    return true;
}

std::unique_ptr<VirVrstic> virDnevnika(Rezultat& Q1)
{
    auto vir = std::make_unique<RezultatVir>(Q1);
    if (!Q1.jeOdprt() || !imaStolpceDnevnika(*vir))
        return std::make_unique<PrazenVir>();
    return vir;
}

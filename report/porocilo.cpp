#include "porocilo.h"

Element Element::tekst(double levo, double zgoraj, const QString& besedilo)
{
    Element e;
    e.vrsta = VrstaElementa::Besedilo;
    e.levo = levo;
    e.zgoraj = zgoraj;
    e.besedilo = besedilo;
    return e;
}

Element Element::vrednost(double levo, double zgoraj, const QString& polje)
{
    Element e;
    e.vrsta = VrstaElementa::Polje;
    e.levo = levo;
    e.zgoraj = zgoraj;
    e.polje = polje;
    return e;
}

Element Element::vsota(double levo, double zgoraj, const QString& izraz)
{
    Element e;
    e.vrsta = VrstaElementa::Vsota;
    e.levo = levo;
    e.zgoraj = zgoraj;
    e.polje = izraz;
    return e;
}

Element Element::datumCas(double levo, double zgoraj)
{
    Element e;
    e.vrsta = VrstaElementa::DatumCas;
    e.levo = levo;
    e.zgoraj = zgoraj;
    return e;
}

Element Element::stran(double levo, double zgoraj)
{
    Element e;
    e.vrsta = VrstaElementa::StevilkaStrani;
    e.levo = levo;
    e.zgoraj = zgoraj;
    return e;
}

Element Element::crta(double levo, double zgoraj, double sirina, double visina)
{
    Element e;
    e.vrsta = VrstaElementa::Crta;
    e.levo = levo;
    e.zgoraj = zgoraj;
    e.sirina = sirina;
    e.visina = visina;
    return e;
}

Element Element::pravokotnik(double levo, double zgoraj, double sirina, double visina)
{
    Element e = crta(levo, zgoraj, sirina, visina);
    e.vrsta = VrstaElementa::Pravokotnik;
    return e;
}

Element Element::desno() const
{
    Element e = *this;
    e.poravnava = Poravnava::Desno;
    return e;
}

Element Element::zMasko(const QString& m) const
{
    Element e = *this;
    e.maska = m;
    return e;
}

Element Element::krepka() const
{
    Element e = *this;
    e.krepko = true;
    return e;
}

Element Element::podcrtana() const
{
    Element e = *this;
    e.podcrtano = true;
    return e;
}

const Pas* Porocilo::pas(VrstaPasu vrsta) const
{
    for (const Pas& p : pasovi)
        if (p.vrsta == vrsta)
            return &p;
    return nullptr;
}

QSizeF Porocilo::velikostMm() const
{
    const QSizeF s = QPageSize(papir).size(QPageSize::Millimeter);
    if (usmerjenost == QPageLayout::Landscape)
        return s.transposed();
    return s;
}

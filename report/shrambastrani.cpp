#include "shrambastrani.h"

void ShrambaStrani::dodaj(const Stran& stran)
{
    Zapis z;
    z.stevilka = stran.stevilka;
    z.velikostMm = stran.velikostMm;
    z.pasovi = stran.pasovi;
    z.elementi.reserve(stran.elementi.size());
    qsizetype znakov = 0;
    for (const PostavljenElement& e : stran.elementi)
        znakov += e.besedilo.size();
    z.besedila.reserve(znakov);
    for (const PostavljenElement& e : stran.elementi) {
        Element k{};
        k.x = e.mm.x();
        k.y = e.mm.y();
        k.sirina = float(e.mm.width());
        k.visina = float(e.mm.height());
        k.zacetek = quint32(z.besedila.size());
        k.dolzina = quint32(e.besedilo.size());
        k.vrsta = quint8(e.vrsta);
        k.poravnava = quint8(e.poravnava);
        k.zastavice = quint8((e.krepko ? 1 : 0) | (e.podcrtano ? 2 : 0));
        k.pas = quint8(e.pas);
        z.besedila += e.besedilo;
        z.elementi.append(k);
    }
    m_strani.append(std::move(z));
}

Stran ShrambaStrani::stran(int i) const
{
    const Zapis& z = m_strani.at(i);
    Stran s;
    s.stevilka = z.stevilka;
    s.velikostMm = z.velikostMm;
    s.pasovi = z.pasovi;
    s.elementi.reserve(z.elementi.size());
    for (const Element& k : z.elementi) {
        PostavljenElement e;
        e.vrsta = PostavljenElement::Vrsta(k.vrsta);
        e.mm = QRectF(k.x, k.y, double(k.sirina), double(k.visina));
        e.besedilo = z.besedila.mid(k.zacetek, k.dolzina);
        e.poravnava = Poravnava(k.poravnava);
        e.krepko = k.zastavice & 1;
        e.podcrtano = k.zastavice & 2;
        e.pas = VrstaPasu(k.pas);
        s.elementi.append(std::move(e));
    }
    return s;
}

#include "postavitev.h"

#include "maska.h"

#include <QMetaType>

namespace {

// One term of a sum expression: a field with its sign.
struct Clen {
    QString polje;
    double predznak;
};

// "A-B+C" as terms; blanks are ignored.
QList<Clen> razcleni(const QString& izraz)
{
    QList<Clen> cleni;
    double predznak = 1;
    QString ime;
    auto dodaj = [&] {
        if (!ime.isEmpty())
            cleni.append({ime, predznak});
        ime.clear();
    };
    for (QChar c : izraz) {
        if (c == u'+' || c == u'-') {
            dodaj();
            predznak = c == u'-' ? -1 : 1;
        } else if (!c.isSpace()) {
            ime += c;
        }
    }
    dodaj();
    return cleni;
}

double kotStevilo(const QVariant& v)
{
    if (v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0;
}

constexpr double kToleranca = 1e-6;

// A term of a sum as the layout uses it: the field's place in the row and its sign.
struct Sestevek {
    int polje;
    double predznak;
};

// An item of a band prepared once: where its field sits in the row, the terms of its
// sum, and the text it printed last with the value it printed it for (neighbouring
// rows often repeat a value: a zero amount, the same code, the same date).
struct PripravljenElement {
    int polje = -1;
    QList<Sestevek> cleni;
    QVariant zadnjaVrednost;
    QString zadnjeBesedilo;
    bool imaZadnje = false;
};

class Postavljalnik {
public:
    Postavljalnik(const Porocilo& p, VirVrstic& vir, const QDateTime& zdaj,
                  const std::function<void(const Stran&)>& naStran)
        : m_p(p), m_vir(vir), m_zdaj(zdaj), m_naStran(naStran)
    {
        m_velikost = p.velikostMm();
        m_vrh = p.robovi.top();
        m_dno = m_velikost.height() - p.robovi.bottom();
        m_sirinaPolja = m_velikost.width() - p.robovi.left() - p.robovi.right();
        m_datumCas = p.jezik.toString(zdaj, QLocale::ShortFormat);
        // Every field the report reads gets one place in the row, which is read once per
        // row; the bands printed after a row has passed read the copy of that row.
        if (!p.skupina.isEmpty())
            m_poljeSkupine = mesto(p.skupina);
        for (const Pas& pas : p.pasovi) {
            QList<PripravljenElement> elementi;
            for (const Element& e : pas.elementi) {
                PripravljenElement pe;
                if (e.vrsta == VrstaElementa::Polje)
                    pe.polje = mesto(e.polje);
                if (e.vrsta == VrstaElementa::Vsota)
                    for (const Clen& c : razcleni(e.polje))
                        pe.cleni.append({mesto(c.polje), c.predznak});
                elementi.append(pe);
            }
            m_elementi.append(elementi);
            m_vsote.append(QList<double>(pas.elementi.size(), 0.0));
        }
        m_trenutna.resize(m_polja.size());
        m_zadnja.resize(m_polja.size());
    }

    int izvedi()
    {
        const bool skupine = !m_p.skupina.isEmpty();
        bool ima = m_vir.prvi();
        if (!ima && m_p.praznoBrezStrani)
            return 0;
        preberiVrstico(ima);
        novaStran(true);
        if (ima) {
            QVariant skupina = skupine ? m_trenutna.at(m_poljeSkupine) : QVariant();
            if (skupine)
                postaviPasove(VrstaPasu::GlavaSkupine, true);
            for (;;) {
                pristej();
                postaviPasove(VrstaPasu::Podrobnosti, true);
                // The row just placed becomes the last one; the next is read in its place.
                m_trenutna.swap(m_zadnja);
                ima = m_vir.naslednji();
                preberiVrstico(ima);
                if (skupine) {
                    const QVariant nova = ima ? m_trenutna.at(m_poljeSkupine) : QVariant();
                    if (!ima || nova != skupina) {
                        postaviPasove(VrstaPasu::NogaSkupine, false);
                        ponastaviSkupinske();
                        if (ima) {
                            skupina = nova;
                            postaviPasove(VrstaPasu::GlavaSkupine, true);
                        }
                    }
                }
                if (!ima)
                    break;
            }
        }
        postaviPasove(VrstaPasu::Povzetek, false);
        m_naStran(m_stran);
        return m_stran.stevilka;
    }

private:
    // The place of a field in the row (names without regard to case).
    int mesto(const QString& polje)
    {
        const QString ime = polje.toUpper();
        qsizetype i = m_polja.indexOf(ime);
        if (i < 0) {
            m_polja.append(ime);
            i = m_polja.size() - 1;
        }
        return int(i);
    }

    // Reads the fields of the current row; without one they are null.
    void preberiVrstico(bool ima)
    {
        for (qsizetype k = 0; k < m_polja.size(); ++k)
            m_trenutna[k] = ima ? m_vir.vrednost(m_polja.at(k)) : QVariant();
    }

    // Adds the current row to every sum.
    void pristej()
    {
        for (qsizetype b = 0; b < m_elementi.size(); ++b) {
            const QList<PripravljenElement>& elementi = m_elementi.at(b);
            for (qsizetype e = 0; e < elementi.size(); ++e) {
                const QList<Sestevek>& cleni = elementi.at(e).cleni;
                if (cleni.isEmpty())
                    continue;
                double v = 0;
                for (const Sestevek& c : cleni)
                    v += c.predznak * kotStevilo(m_trenutna.at(c.polje));
                m_vsote[b][e] += v;
            }
        }
    }

    // The sums of the group bands start again after each group footer.
    void ponastaviSkupinske()
    {
        for (int b = 0; b < m_p.pasovi.size(); ++b) {
            const VrstaPasu v = m_p.pasovi.at(b).vrsta;
            if (v == VrstaPasu::GlavaSkupine || v == VrstaPasu::NogaSkupine)
                m_vsote[b].fill(0.0);
        }
    }

    // The text of a field's value, the one printed last when the value is the same.
    const QString& besediloPolja(PripravljenElement& pe, const Element& e, const QVariant& v)
    {
        if (!pe.imaZadnje || v.typeId() != pe.zadnjaVrednost.typeId() || v.isNull() != pe.zadnjaVrednost.isNull()
            || v != pe.zadnjaVrednost) {
            pe.zadnjeBesedilo = besediloVrednosti(v, e.maska, m_p.jezik);
            pe.zadnjaVrednost = v;
            pe.imaZadnje = true;
        }
        return pe.zadnjeBesedilo;
    }

    void novaStran(bool trenutna)
    {
        if (m_imaStran)
            m_naStran(m_stran);
        const int stevilka = m_imaStran ? m_stran.stevilka + 1 : 1;
        m_imaStran = true;
        // The page's lists keep their memory from page to page.
        m_stran.pasovi.clear();
        m_stran.elementi.clear();
        m_stran.stevilka = stevilka;
        m_stran.velikostMm = m_velikost;
        m_y = m_vrh;
        postaviPasove(VrstaPasu::GlavaStrani, trenutna, false);
        postaviPasove(VrstaPasu::GlavaStolpcev, trenutna, false);
        m_vrhTelesa = m_y;
    }

    void postaviPasove(VrstaPasu vrsta, bool trenutna, bool prelom = true)
    {
        for (int b = 0; b < m_p.pasovi.size(); ++b)
            if (m_p.pasovi.at(b).vrsta == vrsta)
                postaviPas(b, trenutna, prelom);
    }

    void postaviPas(int b, bool trenutna, bool prelom)
    {
        const Pas& pas = m_p.pasovi.at(b);
        // A band that does not fit starts a new page, unless the page holds nothing
        // but its headers (a band taller than the page is placed all the same).
        if (prelom && m_y + pas.visina > m_dno + kToleranca && m_y > m_vrhTelesa + kToleranca)
            novaStran(trenutna);
        const double x0 = m_p.robovi.left();
        const double y0 = m_y;
        m_stran.pasovi.append({pas.vrsta, y0, pas.visina});
        auto crta = [&](double y) {
            PostavljenElement c;
            c.vrsta = PostavljenElement::Vrsta::Crta;
            c.mm = QRectF(x0, y, m_sirinaPolja, 0);
            c.pas = pas.vrsta;
            m_stran.elementi.append(c);
        };
        if (pas.crtaZgoraj)
            crta(y0);
        const QList<QVariant>& vrstica = trenutna ? m_trenutna : m_zadnja;
        QList<PripravljenElement>& pripravljeni = m_elementi[b];
        for (int i = 0; i < pas.elementi.size(); ++i) {
            const Element& e = pas.elementi.at(i);
            PostavljenElement p;
            p.pas = pas.vrsta;
            p.mm = QRectF(x0 + e.levo, y0 + e.zgoraj, e.sirina, e.visina);
            p.poravnava = e.poravnava;
            p.krepko = e.krepko;
            p.podcrtano = e.podcrtano;
            switch (e.vrsta) {
            case VrstaElementa::Besedilo:
                p.besedilo = e.besedilo;
                break;
            case VrstaElementa::Polje:
                p.besedilo = e.besedilo + besediloPolja(pripravljeni[i], e, vrstica.at(pripravljeni.at(i).polje));
                break;
            case VrstaElementa::Vsota:
                p.besedilo = e.besedilo + besediloVrednosti(m_vsote.at(b).at(i), e.maska, m_p.jezik);
                break;
            case VrstaElementa::DatumCas:
                p.besedilo = e.besedilo + m_datumCas;
                break;
            case VrstaElementa::StevilkaStrani:
                p.besedilo = e.besedilo + QString::number(m_stran.stevilka);
                break;
            case VrstaElementa::Crta:
                p.vrsta = PostavljenElement::Vrsta::Crta;
                break;
            case VrstaElementa::Pravokotnik:
                p.vrsta = PostavljenElement::Vrsta::Pravokotnik;
                break;
            }
            m_stran.elementi.append(std::move(p));
        }
        if (pas.crtaSpodaj)
            crta(y0 + pas.visina);
        m_y += pas.visina;
    }

    const Porocilo& m_p;
    VirVrstic& m_vir;
    QDateTime m_zdaj;
    const std::function<void(const Stran&)>& m_naStran;
    QSizeF m_velikost;
    double m_vrh = 0, m_dno = 0, m_sirinaPolja = 0;
    QString m_datumCas;
    QStringList m_polja; // upper case
    int m_poljeSkupine = -1;
    QList<QList<PripravljenElement>> m_elementi;
    QList<QList<double>> m_vsote;
    QList<QVariant> m_trenutna; // the fields of the current row
    QList<QVariant> m_zadnja;   // and of the row placed before it
    Stran m_stran;
    bool m_imaStran = false;
    double m_y = 0;
    double m_vrhTelesa = 0;
};

} // namespace

QStringList Stran::besedila() const
{
    QStringList b;
    for (const PostavljenElement& e : elementi)
        if (e.vrsta == PostavljenElement::Vrsta::Besedilo)
            b << e.besedilo;
    return b;
}

QString besediloVrednosti(const QVariant& vrednost, const QString& maska, const QLocale& jezik)
{
    if (vrednost.isNull())
        return {};
    if (!maska.isEmpty()) {
        bool ok = false;
        const double d = vrednost.toDouble(&ok);
        if (ok)
            return oblikujMasko(d, maska, jezik);
    }
    switch (vrednost.typeId()) {
    case QMetaType::QDate:
        return jezik.toString(vrednost.toDate(), QLocale::ShortFormat);
    case QMetaType::QDateTime:
        return jezik.toString(vrednost.toDateTime(), QLocale::ShortFormat);
    case QMetaType::Double:
    case QMetaType::Float: {
        QLocale brezSkupin = jezik;
        brezSkupin.setNumberOptions(QLocale::OmitGroupSeparator);
        return brezSkupin.toString(vrednost.toDouble(), 'g', 15);
    }
    default:
        return vrednost.toString();
    }
}

int postavi(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj,
            const std::function<void(const Stran&)>& naStran)
{
    Postavljalnik p(porocilo, vir, zdaj, naStran);
    return p.izvedi();
}

QList<Stran> postaviVse(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj)
{
    QList<Stran> strani;
    postavi(porocilo, vir, zdaj, [&](const Stran& s) { strani.append(s); });
    return strani;
}

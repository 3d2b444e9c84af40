#include "postavitev.h"

#include "maska.h"

#include <QHash>
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
        // Parsed sum expressions and their totals, per band and item; the fields that
        // the bands printed after a row has passed read from a copy of that row.
        for (const Pas& pas : p.pasovi) {
            QList<QList<Clen>> izrazi;
            for (const Element& e : pas.elementi) {
                izrazi.append(e.vrsta == VrstaElementa::Vsota ? razcleni(e.polje) : QList<Clen>());
                if (e.vrsta == VrstaElementa::Polje && !m_poljaZadnje.contains(e.polje.toUpper()))
                    m_poljaZadnje.append(e.polje.toUpper());
            }
            m_izrazi.append(izrazi);
            m_vsote.append(QList<double>(pas.elementi.size(), 0.0));
        }
    }

    int izvedi()
    {
        const bool skupine = !m_p.skupina.isEmpty();
        bool ima = m_vir.prvi();
        if (!ima && m_p.praznoBrezStrani)
            return 0;
        novaStran(true);
        if (ima) {
            QVariant skupina = skupine ? m_vir.vrednost(m_p.skupina) : QVariant();
            if (skupine)
                postaviPasove(VrstaPasu::GlavaSkupine, true);
            for (;;) {
                pristej();
                postaviPasove(VrstaPasu::Podrobnosti, true);
                zapomniVrstico();
                ima = m_vir.naslednji();
                if (skupine) {
                    const QVariant nova = ima ? m_vir.vrednost(m_p.skupina) : QVariant();
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
    // Adds the current row to every sum.
    void pristej()
    {
        for (int b = 0; b < m_izrazi.size(); ++b) {
            for (int e = 0; e < m_izrazi.at(b).size(); ++e) {
                const QList<Clen>& cleni = m_izrazi.at(b).at(e);
                if (cleni.isEmpty())
                    continue;
                double v = 0;
                for (const Clen& c : cleni)
                    v += c.predznak * kotStevilo(m_vir.vrednost(c.polje));
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

    void zapomniVrstico()
    {
        for (const QString& ime : std::as_const(m_poljaZadnje))
            m_zadnja.insert(ime, m_vir.vrednost(ime));
    }

    QVariant polje(const QString& ime, bool trenutna)
    {
        if (trenutna)
            return m_vir.vrednost(ime);
        return m_zadnja.value(ime.toUpper());
    }

    void novaStran(bool trenutna)
    {
        if (m_imaStran)
            m_naStran(m_stran);
        const int stevilka = m_imaStran ? m_stran.stevilka + 1 : 1;
        m_imaStran = true;
        m_stran = Stran();
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
                p.besedilo = e.besedilo + besediloVrednosti(polje(e.polje, trenutna), e.maska, m_p.jezik);
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
            m_stran.elementi.append(p);
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
    QList<QList<QList<Clen>>> m_izrazi;
    QList<QList<double>> m_vsote;
    QStringList m_poljaZadnje;
    QHash<QString, QVariant> m_zadnja;
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

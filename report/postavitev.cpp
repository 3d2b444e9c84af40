#include "postavitev.h"

#include "maska.h"

#include <QMetaType>
#include <QRegularExpression>

#include <limits>

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
    Postavljalnik(const Porocilo& p, VirVrstic& vir, const QDateTime& zdaj, std::function<void(const Stran&)> naStran)
        : m_p(p), m_vir(vir), m_zdaj(zdaj), m_naStran(std::move(naStran))
    {
        m_velikost = p.velikostMm();
        m_vrh = p.robovi.top();
        m_dno = m_velikost.height() - p.robovi.bottom();
        m_sirinaPolja = m_velikost.width() - p.robovi.left() - p.robovi.right();
        m_datumCas = kratkiDatumCas(zdaj, p.jezik);
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

    // Lays out up to `vrstic` rows (the headers and the summary go with the first and
    // the last) and returns true once the report is complete.
    bool korak(qint64 vrstic)
    {
        if (m_konec)
            return true;
        const bool skupine = !m_p.skupina.isEmpty();
        if (!m_zacetek) {
            m_zacetek = true;
            m_ima = m_vir.prvi();
            if (!m_ima && m_p.praznoBrezStrani) {
                m_konec = true;
                return true;
            }
            preberiVrstico(m_ima);
            novaStran(true);
            if (m_ima) {
                m_skupina = skupine ? m_trenutna.at(m_poljeSkupine) : QVariant();
                if (skupine)
                    postaviPasove(VrstaPasu::GlavaSkupine, true);
            }
        }
        for (qint64 n = 0; m_ima && n < vrstic; ++n) {
            pristej();
            postaviPasove(VrstaPasu::Podrobnosti, true);
            ++m_vrstic;
            // The row just placed becomes the last one; the next is read in its place.
            m_trenutna.swap(m_zadnja);
            m_ima = m_vir.naslednji();
            preberiVrstico(m_ima);
            if (skupine) {
                const QVariant nova = m_ima ? m_trenutna.at(m_poljeSkupine) : QVariant();
                if (!m_ima || nova != m_skupina) {
                    postaviPasove(VrstaPasu::NogaSkupine, false);
                    ponastaviSkupinske();
                    if (m_ima) {
                        m_skupina = nova;
                        postaviPasove(VrstaPasu::GlavaSkupine, true);
                    }
                }
            }
        }
        if (m_ima)
            return false;
        postaviPasove(VrstaPasu::Povzetek, false);
        m_naStran(m_stran);
        m_strani = m_stran.stevilka;
        m_konec = true;
        return true;
    }

    bool konec() const { return m_konec; }
    int strani() const { return m_strani; }
    qint64 vrstic() const { return m_vrstic; }

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
            case VrstaElementa::Besedilo: p.besedilo = e.besedilo; break;
            case VrstaElementa::Polje:
                p.besedilo = e.besedilo + besediloPolja(pripravljeni[i], e, vrstica.at(pripravljeni.at(i).polje));
                break;
            case VrstaElementa::Vsota:
                p.besedilo = e.besedilo + besediloVrednosti(m_vsote.at(b).at(i), e.maska, m_p.jezik);
                break;
            case VrstaElementa::DatumCas: p.besedilo = e.besedilo + m_datumCas; break;
            case VrstaElementa::StevilkaStrani: p.besedilo = e.besedilo + QString::number(m_stran.stevilka); break;
            case VrstaElementa::Crta: p.vrsta = PostavljenElement::Vrsta::Crta; break;
            case VrstaElementa::Pravokotnik: p.vrsta = PostavljenElement::Vrsta::Pravokotnik; break;
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
    std::function<void(const Stran&)> m_naStran;
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
    // Where a stepwise layout stands.
    bool m_zacetek = false; // the first row has been read and the first page opened
    bool m_ima = false;     // a row is waiting to be placed
    bool m_konec = false;
    QVariant m_skupina; // the value of the group expression of the current group
    int m_strani = 0;
    qint64 m_vrstic = 0; // rows placed
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

namespace {

// A format's year of exactly two digits ("yy") becomes four ("yyyy").
QString stiriMestaLeta(QString oblika)
{
    static const QRegularExpression dveMesti(QStringLiteral("(?<!y)yy(?!y)"));
    return oblika.replace(dveMesti, QStringLiteral("yyyy"));
}

} // namespace

QString kratkiDatum(const QDate& datum, const QLocale& jezik)
{
    return jezik.toString(datum, stiriMestaLeta(jezik.dateFormat(QLocale::ShortFormat)));
}

QString kratkiDatumCas(const QDateTime& cas, const QLocale& jezik)
{
    return jezik.toString(cas, stiriMestaLeta(jezik.dateTimeFormat(QLocale::ShortFormat)));
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
    case QMetaType::QDate: return kratkiDatum(vrednost.toDate(), jezik);
    case QMetaType::QDateTime: return kratkiDatumCas(vrednost.toDateTime(), jezik);
    case QMetaType::Double:
    case QMetaType::Float: {
        QLocale brezSkupin = jezik;
        brezSkupin.setNumberOptions(QLocale::OmitGroupSeparator);
        return brezSkupin.toString(vrednost.toDouble(), 'g', 15);
    }
    default: return vrednost.toString();
    }
}

struct Postavljanje::Stanje : Postavljalnik {
    using Postavljalnik::Postavljalnik;
};

Postavljanje::Postavljanje(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj,
                           std::function<void(const Stran&)> naStran)
    : m_s(std::make_unique<Stanje>(porocilo, vir, zdaj, std::move(naStran)))
{
}

Postavljanje::~Postavljanje() = default;

bool Postavljanje::korak(qint64 vrstic) { return m_s->korak(vrstic); }

bool Postavljanje::konec() const { return m_s->konec(); }

int Postavljanje::strani() const { return m_s->strani(); }

qint64 Postavljanje::vrstic() const { return m_s->vrstic(); }

int postavi(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj,
            const std::function<void(const Stran&)>& naStran)
{
    Postavljanje p(porocilo, vir, zdaj, naStran);
    while (!p.korak(std::numeric_limits<qint64>::max())) {
    }
    return p.strani();
}

QList<Stran> postaviVse(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj)
{
    QList<Stran> strani;
    postavi(porocilo, vir, zdaj, [&](const Stran& s) { strani.append(s); });
    return strani;
}

#include "preverjanje.h"
#include "narecje.h"
#include "pogon.h"

#include "besedilo1250.h"
#include "iskanje.h"
#include "knjizba.h"
#include "napaka.h"
#include "poizvedba.h"
#include "povezava.h"
#include "prenos.h"
#include "register.h"
#include "rezultat.h"
#include "belezenje.h"
#include "zneski.h"

#include <QIODevice>
#include <QSqlError>

namespace {

enum class Oblika {
    Besedilo,  // any characters of the code page
    Stevke,    // digits only
    Datum,     // YYYYMMDD, a calendar date
    Valuta,    // "%3.3s" of a numeric code: blanks in front, then digits
    Predznak,  // '+' or '-'
    Presledki, // blanks only
    Tocno,     // exactly the text given
};

struct Polje {
    const char* ime;
    int zacetek; // from 0, in a line whose sequence number has four digits
    int dolzina;
    Oblika oblika;
    const char* besedilo = nullptr; // for Tocno
};

// The detail line, field by field.
const Polje kPodrobna[] = {
    {"polje 1 (oznaka)", 0, 5, Oblika::Tocno, "VP888"},
    {"polje 2 (datum knjiženja)", 5, 8, Oblika::Datum},
    {"polje 3", 13, 3, Oblika::Tocno, "001"},
    {"polje 4 (zaporedna številka)", 16, 4, Oblika::Stevke},
    {"polje 5 (šifra partnerja)", 20, 8, Oblika::Stevke},
    {"polje 6 (konto)", 28, 10, Oblika::Besedilo},
    {"polje 7", 38, 7, Oblika::Tocno, "0000000"},
    {"polje 8 (organizacija)", 45, 3, Oblika::Besedilo},
    {"polje 9 (datum valute)", 48, 8, Oblika::Datum},
    {"polje 10 (valuta)", 56, 3, Oblika::Valuta},
    {"polje 11 (znesek v breme)", 59, 15, Oblika::Stevke},
    {"polje 12 (predznak bremena)", 74, 1, Oblika::Predznak},
    {"polje 13 (znesek v dobro)", 75, 15, Oblika::Stevke},
    {"polje 14 (predznak dobra)", 90, 1, Oblika::Predznak},
    {"polje 15 (stran)", 91, 1, Oblika::Besedilo},
    {"polje 16 (domači znesek v breme)", 92, 15, Oblika::Stevke},
    {"polje 17 (predznak domačega bremena)", 107, 1, Oblika::Predznak},
    {"polje 18 (domači znesek v dobro)", 108, 15, Oblika::Stevke},
    {"polje 19 (predznak domačega dobra)", 123, 1, Oblika::Predznak},
    {"polje 20", 124, 1, Oblika::Tocno, "O"},
    {"polje 21", 125, 2, Oblika::Tocno, "00"},
    {"polje 22 (datum valute)", 127, 8, Oblika::Datum},
    {"polje 23", 135, 16, Oblika::Presledki},
    {"polje 24", 151, 1, Oblika::Tocno, "O"},
};
enum { p4 = 3, p9 = 8, p11 = 10, p12, p13, p14, p15, p16, p17, p18, p19, p22 = 21 };
constexpr int kDolzinaPodrobne = 152;
constexpr int kDolzinaUvodne = 33;

// Bytes `od` to `od + n` of a view, as far as it reaches.
QByteArrayView kos(QByteArrayView v, qsizetype od, qsizetype n = -1)
{
    od = std::min(od, v.size());
    const qsizetype ostane = v.size() - od;
    return v.sliced(od, n < 0 ? ostane : std::min(n, ostane));
}

// Bytes that Windows-1250 leaves undefined.
bool nedefiniran1250(unsigned char b) { return b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98; }

// A field's bytes as a finding shows them: the characters of the code page, with
// control characters and blanks made visible.
QString prikazi(QByteArrayView b)
{
    QString s;
    for (const char c : b) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\r')
            s += QStringLiteral("<CR>");
        else if (u == '\n')
            s += QStringLiteral("<LF>");
        else if (u < 0x20 || u == 0x7f || nedefiniran1250(u))
            s += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0'));
        else
            s += izWin1250(QByteArray(1, c));
    }
    return u'"' + s + u'"';
}

bool samoStevke(QByteArrayView b)
{
    for (const char c : b) {
        if (c < '0' || c > '9')
            return false;
    }
    return !b.isEmpty();
}

QString opisOblike(const Polje& p)
{
    switch (p.oblika) {
    case Oblika::Besedilo: return QStringLiteral("znaki Windows-1250");
    case Oblika::Stevke: return QStringLiteral("%1 števk").arg(p.dolzina);
    case Oblika::Datum: return QStringLiteral("datum LLLLMMDD");
    case Oblika::Valuta: return QStringLiteral("številčna šifra valute, desno poravnana");
    case Oblika::Predznak: return QStringLiteral("+ ali -");
    case Oblika::Presledki: return QStringLiteral("%1 presledkov").arg(p.dolzina);
    case Oblika::Tocno: return prikazi(QByteArrayView(p.besedilo));
    }
    return {};
}

bool ustreza(const Polje& p, QByteArrayView b)
{
    switch (p.oblika) {
    case Oblika::Besedilo: return true;
    case Oblika::Stevke: return samoStevke(b);
    case Oblika::Datum:
        return samoStevke(b) && QDate::fromString(QString::fromLatin1(b), QStringLiteral("yyyyMMdd")).isValid();
    case Oblika::Valuta: {
        qsizetype i = 0;
        while (i < b.size() && b[i] == ' ')
            ++i;
        return i == b.size() || samoStevke(kos(b, i));
    }
    case Oblika::Predznak: return b == "+" || b == "-";
    case Oblika::Presledki: return b.count(' ') == b.size();
    case Oblika::Tocno: return b == QByteArrayView(p.besedilo);
    }
    return false;
}

int stevk(qint64 n) { return int(QByteArray::number(n).size()); }

// A detail line's field, its place moved by the extra digits of the sequence number.
QByteArrayView vPolju(QByteArrayView vrstica, const Polje& p, int premik)
{
    const int zacetek = p.zacetek + (p.zacetek > kPodrobna[p4].zacetek ? premik : 0);
    const int dolzina = p.dolzina + (&p == &kPodrobna[p4] ? premik : 0);
    return kos(vrstica, zacetek, dolzina);
}

// The closing line taken apart: date and name, count, two totals with their signs.
struct Zakljucna {
    bool celovita = false;
    QByteArray datum;
    QByteArray oznaka;
    QByteArray stevilo;
    QByteArray breme;
    char predznakBremena = 0;
    QByteArray dobro;
    char predznakDobra = 0;
};

// The closing line of a file with `vrstic` detail lines: the count takes six digits
// (more for a million lines and over), each total an optional minus and 15 digits.
Zakljucna razstavi(QByteArrayView z, qint64 vrstic)
{
    Zakljucna r;
    int i = 33;
    const int dolzinaStevila = std::max(6, stevk(vrstic));
    if (z.size() < i + dolzinaStevila)
        return r;
    r.datum = kos(z, 5, 8).toByteArray();
    r.oznaka = kos(z, 13, 20).toByteArray();
    r.stevilo = kos(z, i, dolzinaStevila).toByteArray();
    i += dolzinaStevila;
    const auto znesek = [&](QByteArray& v, char& predznak) {
        const int minus = i < z.size() && z[i] == '-' ? 1 : 0;
        if (z.size() < i + minus + 16)
            return false;
        v = kos(z, i, minus + 15).toByteArray();
        predznak = z[i + minus + 15];
        i += minus + 16;
        return true;
    };
    r.celovita = znesek(r.breme, r.predznakBremena) && znesek(r.dobro, r.predznakDobra) && i == z.size();
    return r;
}

QByteArray stotine(double vsota)
{
    ZapisVrstice v;
    dodajCelo(v, VStotine(vsota), 15);
    return vBajte(v);
}

class Preverjanje {
public:
    Preverjanje(IzidPreverjanja& izid, PonovitevPrenosa* ponovitev) : m_izid(izid), m_ponovitev(ponovitev) {}

    // One line as read, with its line end; `stevilka` from 1.
    QByteArrayView vsebina(qint64 stevilka, QByteArrayView vrstica)
    {
        if (vrstica.endsWith("\r\n")) {
            vrstica.chop(2);
        } else {
            const bool lf = vrstica.endsWith('\n');
            najdba(stevilka, QStringLiteral("konec vrstice"), QStringLiteral("CR LF"),
                   lf ? QStringLiteral("LF brez CR") : QStringLiteral("brez konca vrstice"));
            vrstica.chop(lf ? 1 : 0);
        }
        for (qsizetype i = 0; i < vrstica.size(); ++i) {
            const auto b = static_cast<unsigned char>(vrstica[i]);
            if (b < 0x20 || b == 0x7f || nedefiniran1250(b)) {
                najdba(stevilka, QStringLiteral("znak na mestu %1").arg(i + 1), QStringLiteral("znak Windows-1250"),
                       prikazi(kos(vrstica, i, 1)));
                break;
            }
        }
        return vrstica;
    }

    void uvodna(QByteArrayView v)
    {
        if (v.size() != kDolzinaUvodne) {
            najdba(1, QStringLiteral("dolžina uvodne vrstice"), QString::number(kDolzinaUvodne),
                   QString::number(v.size()));
            return;
        }
        m_datum = kos(v, 5, 8).toByteArray();
        preveriGlavo(1, v, " 0000", QStringLiteral("uvodna vrstica"));
    }

    void podrobna(qint64 stevilka, QByteArrayView v)
    {
        const qint64 zaporedna = ++m_izid.podrobnihVrstic;
        const int premik = std::max(4, stevk(zaporedna)) - 4;
        if (m_ponovitev) {
            const std::optional<QByteArray> p = m_ponovitev->naslednja();
            if (!p)
                najdba(stevilka, QStringLiteral("podrobna vrstica"),
                       QStringLiteral("ni vrstice (ponovitev zapiše %1 podrobnih vrstic)")
                           .arg(m_ponovitev->datoteka().steviloVrstic()),
                       prikazi(v));
            else
                primerjaj(stevilka, *p, v, premik);
        }
        if (v.size() != kDolzinaPodrobne + premik) {
            najdba(stevilka, QStringLiteral("dolžina podrobne vrstice"), QString::number(kDolzinaPodrobne + premik),
                   QString::number(v.size()));
            m_vsoteVeljavne = false;
            return;
        }
        bool vsaPolja = true;
        for (const Polje& p : kPodrobna) {
            const QByteArrayView b = vPolju(v, p, premik);
            if (!ustreza(p, b)) {
                najdba(stevilka, QString::fromUtf8(p.ime), opisOblike(p), prikazi(b));
                vsaPolja = false;
            }
        }
        const QByteArray stZap = PoljeCelo(zaporedna, 4);
        if (const QByteArrayView b = vPolju(v, kPodrobna[p4], premik); samoStevke(b) && b != stZap)
            najdba(stevilka, QString::fromUtf8(kPodrobna[p4].ime), prikazi(stZap), prikazi(b));
        if (const QByteArrayView b = vPolju(v, kPodrobna[p22], premik); b != vPolju(v, kPodrobna[p9], premik))
            najdba(stevilka, QString::fromUtf8(kPodrobna[p22].ime),
                   QStringLiteral("enako polju 9 ") + prikazi(vPolju(v, kPodrobna[p9], premik)), prikazi(b));
        if (!vsaPolja) {
            m_vsoteVeljavne = false;
            return;
        }
        // The totals as the run keeps them: each domestic amount rounded to cents and
        // added in the run's arithmetic; the signs in the postings' currencies as far
        // as the lines tell them.
        const auto znesek = [&](int polje, int predznak) {
            const qint64 centi = vPolju(v, kPodrobna[polje], premik).toLongLong();
            return double(vPolju(v, kPodrobna[predznak], premik) == "-" ? -centi : centi) / 100.0;
        };
        PristejZaokrozeno(m_breme, znesek(p16, p17));
        PristejZaokrozeno(m_dobro, znesek(p18, p19));
        m_predznakiBremena |= vPolju(v, kPodrobna[p12], premik) == "-" ? 2 : 1;
        m_predznakiDobra |= vPolju(v, kPodrobna[p14], premik) == "-" ? 2 : 1;
    }

    void zakljucna(qint64 stevilka, QByteArrayView v)
    {
        const qint64 vrstic = m_izid.podrobnihVrstic;
        m_izid.breme = m_breme;
        m_izid.dobro = m_dobro;
        if (m_ponovitev) {
            // Lines of the repeat that the file lacks.
            qint64 manjka = 0;
            while (m_ponovitev->naslednja())
                ++manjka;
            if (manjka > 0)
                najdba(stevilka, QStringLiteral("podrobne vrstice"),
                       QStringLiteral("%1 podrobnih vrstic").arg(m_ponovitev->datoteka().steviloVrstic()),
                       QStringLiteral("%1 podrobnih vrstic").arg(vrstic));
        }
        const Zakljucna z = razstavi(v, vrstic);
        if (!z.celovita || !v.startsWith("99999")) {
            najdba(stevilka, QStringLiteral("zaključna vrstica"),
                   QStringLiteral("99999, datum, oznaka, število vrstic, dve vsoti s predznakoma (%1 bajtov ali "
                                  "več pri negativni vsoti)")
                       .arg(33 + std::max(6, stevk(vrstic)) + 32),
                   QStringLiteral("%1 bajtov: ").arg(v.size()) + prikazi(v));
            return;
        }
        preveriGlavo(stevilka, v, "99999", QStringLiteral("zaključna vrstica"));
        if (!m_datum.isEmpty() && z.datum != m_datum)
            najdba(stevilka, QStringLiteral("datum datoteke"),
                   QStringLiteral("datum uvodne vrstice ") + prikazi(m_datum), prikazi(z.datum));
        const QByteArray steviloTekst = PoljeCelo(vrstic, 6);
        if (z.stevilo != steviloTekst)
            najdba(stevilka, QStringLiteral("število podrobnih vrstic"), prikazi(steviloTekst), prikazi(z.stevilo));
        const auto predznak = [](int predznaki) -> char { return predznaki == 2 ? '-' : '+'; };
        if (m_vsoteVeljavne) {
            vsota(stevilka, QStringLiteral("vsota v breme"), stotine(m_breme), z.breme);
            vsota(stevilka, QStringLiteral("vsota v dobro"), stotine(m_dobro), z.dobro);
            // Debits all negative give '-', all non-negative '+'; mixed signs in the
            // postings' currencies cannot be summed from the file.
            if (m_predznakiBremena != 3)
                znak(stevilka, QStringLiteral("predznak vsote v breme"), predznak(m_predznakiBremena),
                     z.predznakBremena);
            if (m_predznakiDobra != 3)
                znak(stevilka, QStringLiteral("predznak vsote v dobro"), predznak(m_predznakiDobra), z.predznakDobra);
        }
        if (m_ponovitev) {
            const DatotekaGk& gk = m_ponovitev->datoteka();
            const QString baza = QStringLiteral(" (po bazi)");
            if (gk.steviloVrstic() != vrstic)
                najdba(stevilka, QStringLiteral("število podrobnih vrstic") + baza,
                       prikazi(PoljeCelo(gk.steviloVrstic(), 6)), prikazi(z.stevilo));
            vsota(stevilka, QStringLiteral("vsota v breme") + baza, stotine(gk.vsote().zaokrozenaBremeSit), z.breme);
            vsota(stevilka, QStringLiteral("vsota v dobro") + baza, stotine(gk.vsote().zaokrozenoDobroSit), z.dobro);
            znak(stevilka, QStringLiteral("predznak vsote v breme") + baza, Predznak(gk.vsote().breme),
                 z.predznakBremena);
            znak(stevilka, QStringLiteral("predznak vsote v dobro") + baza, Predznak(gk.vsote().dobro),
                 z.predznakDobra);
        }
    }

    void najdba(qint64 vrstica, const QString& polje, const QString& pricakovano, const QString& najdeno)
    {
        m_izid.dodaj({vrstica, polje, pricakovano, najdeno});
    }

private:
    // Positions 1 to 33 of the opening and the closing line: the mark, the file date,
    // and "VP-" with the date, left-aligned in 20.
    void preveriGlavo(qint64 stevilka, QByteArrayView v, const char* oznaka, const QString& vrsta)
    {
        if (v.first(5) != QByteArrayView(oznaka))
            najdba(stevilka, vrsta + QStringLiteral(", polje 1"), prikazi(QByteArrayView(oznaka)), prikazi(v.first(5)));
        const QByteArrayView datum = kos(v, 5, 8);
        if (!ustreza({"", 0, 8, Oblika::Datum}, datum))
            najdba(stevilka, vrsta + QStringLiteral(", polje 2 (datum datoteke)"), QStringLiteral("datum LLLLMMDD"),
                   prikazi(datum));
        const QByteArray ime = PoljeLevo(QByteArray("VP-") + datum.toByteArray(), 20);
        if (kos(v, 13, 20) != ime)
            najdba(stevilka, vrsta + QStringLiteral(", polje 3 (oznaka)"), prikazi(ime), prikazi(kos(v, 13, 20)));
    }

    void vsota(qint64 stevilka, const QString& polje, const QByteArray& pricakovano, const QByteArray& najdeno)
    {
        if (pricakovano != najdeno)
            najdba(stevilka, polje, prikazi(pricakovano), prikazi(najdeno));
    }

    void znak(qint64 stevilka, const QString& polje, char pricakovan, char najden)
    {
        if (pricakovan != najden)
            najdba(stevilka, polje, prikazi(QByteArrayView(&pricakovan, 1)), prikazi(QByteArrayView(&najden, 1)));
    }

    // A detail line against the repeat's line at its place: field by field where both
    // have the layout's length, else as whole lines.
    void primerjaj(qint64 stevilka, const QByteArray& pricakovana, QByteArrayView najdena, int premik)
    {
        if (pricakovana == najdena)
            return;
        if (pricakovana.size() != najdena.size()) {
            najdba(stevilka, QStringLiteral("podrobna vrstica (po bazi)"), prikazi(pricakovana), prikazi(najdena));
            return;
        }
        for (const Polje& p : kPodrobna) {
            const QByteArrayView a = vPolju(pricakovana, p, premik);
            const QByteArrayView b = vPolju(najdena, p, premik);
            if (a != b)
                najdba(stevilka, QString::fromUtf8(p.ime) + QStringLiteral(" (po bazi)"), prikazi(a), prikazi(b));
        }
    }

    IzidPreverjanja& m_izid;
    PonovitevPrenosa* m_ponovitev;
    QByteArray m_datum; // the opening line's file date
    double m_breme = 0;
    double m_dobro = 0;
    int m_predznakiBremena = 0; // bit 1: a '+' seen, bit 2: a '-' seen
    int m_predznakiDobra = 0;
    bool m_vsoteVeljavne = true; // every detail line could be read for the totals
};

} // namespace

void IzidPreverjanja::dodaj(Ugotovitev u)
{
    ++vseh;
    if (ugotovitve.size() < kNajvecUgotovitev)
        ugotovitve << std::move(u);
}

struct PonovitevPrenosa::Stanje {
    explicit Stanje(const QSqlDatabase& db) : db(db), q(db), iskanje(db), gk(iskanje) {}
    ~Stanje()
    {
        r.zapri();
        if (vTransakciji && !db.rollback())
            qCInfo(lcTransfer).noquote() << "Transakcija preverjanja ni preklicana:" << db.lastError().text();
    }
    QSqlDatabase db;
    Poizvedba q;
    // Where the driver would hold the whole result in memory (a server), the postings
    // come as the run reads them, a row or a group at a time, in a read-only
    // transaction of one snapshot.
    Rezultat r;
    bool vRezultatu = false;
    bool vTransakciji = false;
    bool prva = true; // the result stands on its first row once opened
    // Each contract and partner asked once, as the run asks them.
    IskanjeSPomnilnikom iskanje;
    DatotekaGk gk;
    std::optional<StolpciKnjizbe> stolpci;
    bool konec = false;
};

PonovitevPrenosa::PonovitevPrenosa(const QString& baza, qint64 stevilka)
{
    const std::optional<VrsticaRegistra> r = najdiPrenos(baza, stevilka);
    if (!r)
        throw Napaka(QStringLiteral("Prenosa številka %1 ni v registru prenosov.").arg(stevilka));
    m_datum1 = r->datum1;
    m_datum2 = r->datum2;
    QSqlDatabase db = povezava::zaIme(baza);
    m_s = std::make_unique<Stanje>(db);
    const QVariantMap datumi{{QStringLiteral("DATUM1"), m_datum1}, {QStringLiteral("DATUM2"), m_datum2}};
    const std::unique_ptr<Pogon> pogon = Pogon::za(db);
    if (pogon->beriSKazalcem()) {
        if (!db.transaction())
            throw Napaka(narecje::besedilo(db.lastError()));
        m_s->vTransakciji = true;
        if (const QString posnetek = pogon->stavekPosnetka(); !posnetek.isEmpty()) {
            QSqlQuery nastavi(db);
            if (!nastavi.exec(posnetek))
                throw Napaka(narecje::besedilo(nastavi.lastError()));
        }
        m_s->r.odpriNaPosnetku(db, stavekKnjizb(), datumi, 10000);
        m_s->vRezultatu = true;
        m_s->stolpci.emplace(m_s->r);
        return;
    }
    // The look-ups run on the same connection while the postings are read.
    const bool samoNaprej = pogon->enosmerniRezultatVzporedno();
    m_s->q.odpri(stavekKnjizb(), datumi, samoNaprej);
    m_s->stolpci.emplace(m_s->q.q().record());
}

PonovitevPrenosa::~PonovitevPrenosa() = default;

std::optional<QByteArray> PonovitevPrenosa::naslednja()
{
    while (!m_s->konec) {
        if (m_s->vRezultatu) {
            const bool ima = m_s->prva ? !m_s->r.eof() : m_s->r.naslednji();
            m_s->prva = false;
            if (!ima) {
                m_s->konec = true;
                if (const QString n = m_s->r.napaka(); !n.isEmpty())
                    throw Napaka(n);
                break;
            }
        } else if (!m_s->q.naslednji()) {
            m_s->konec = true;
            if (m_s->q.q().lastError().isValid())
                throw Napaka(m_s->q.q().lastError().text());
            break;
        }
        PodrobnaVrstica p =
            m_s->gk.dodaj(m_s->vRezultatu ? m_s->stolpci->beri(m_s->r) : m_s->stolpci->beri(m_s->q.q()));
        if (p.zapisi)
            return std::move(p.vrstica);
    }
    return std::nullopt;
}

const DatotekaGk& PonovitevPrenosa::datoteka() const { return m_s->gk; }

IzidPreverjanja preveriDatotekoGk(QIODevice& datoteka, PonovitevPrenosa* ponovitev, const std::function<bool()>& ustavi)
{
    IzidPreverjanja izid;
    Preverjanje pr(izid, ponovitev);
    // Each line is known to be a detail line only once the next one has been read;
    // the last one is the closing line.
    QByteArray prejsnja;
    qint64 stevilka = 0;
    while (!datoteka.atEnd()) {
        if (ustavi && ustavi()) {
            izid.ustavljeno = true;
            return izid;
        }
        const QByteArray vrstica = datoteka.readLine();
        if (vrstica.isEmpty())
            break;
        ++stevilka;
        if (stevilka == 1)
            pr.uvodna(pr.vsebina(1, vrstica));
        else if (stevilka > 2)
            pr.podrobna(stevilka - 1, pr.vsebina(stevilka - 1, prejsnja));
        prejsnja = vrstica;
    }
    if (stevilka < 2) {
        pr.najdba(0, QStringLiteral("vrstice"), QStringLiteral("uvodna in zaključna vrstica"),
                  stevilka == 0 ? QStringLiteral("prazna datoteka") : QStringLiteral("ena vrstica"));
        return izid;
    }
    pr.zakljucna(stevilka, pr.vsebina(stevilka, prejsnja));
    return izid;
}

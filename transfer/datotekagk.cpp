#include "datotekagk.h"

#include "poti.h"
#include "napaka.h"
#include "polja.h"
#include "zneski.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

// A one-letter code compared in upper case ("t" counts as "T").
bool jeKoda(const QString& besedilo, char crka)
{
    return besedilo.size() == 1
           && (besedilo.at(0) == QLatin1Char(crka)
               || besedilo.at(0) == QLatin1Char(static_cast<char>(crka + ('a' - 'A'))));
}

// Accounts whose lines always carry the partner code 51798309.
bool jePosebenKonto(const QString& konto)
{
    for (const char* k : {"09001", "09002", "9788010", "9788011", "090010", "090020"}) {
        if (konto == QLatin1StringView(k))
            return true;
    }
    return false;
}

// A bank code counts when it is a decimal integer of the 32-bit range; blanks around
// it (a CHAR column padded by the server) are allowed, anything else leaves 195.
qint64 sifraPartnerja(const Knjizba& k, const QString& vrstaPartnerja)
{
    qint64 sifra = 195;
    bool ok = false;
    if (jeKoda(k.SALDAKONTEN, 'T')) {
        const int banka = k.KRTBNK.toInt(&ok, 10);
        if (ok)
            sifra = banka;
    }
    if (jeKoda(k.SALDAKONTEN, 'I')) {
        const int banka = k.KRTBNK1.toInt(&ok, 10);
        if (ok)
            sifra = banka;
    }
    if (jeKoda(k.SALDAKONTEN, 'N') || vrstaPartnerja == QLatin1StringView("F"))
        sifra = 195;
    if (jePosebenKonto(k.KONTO))
        sifra = 51798309;
    return sifra;
}

// The side code as "%1.1s": "1" for "B", "2" for "D", "3" for "b", "4" for "d", any
// other STRAN as it is.
void dodajKodoStrani(ZapisVrstice& vrstica, const QString& stran)
{
    if (stran.size() == 1) {
        switch (stran.at(0).unicode()) {
        case u'B': vrstica.append('1'); return;
        case u'D': vrstica.append('2'); return;
        case u'b': vrstica.append('3'); return;
        case u'd': vrstica.append('4'); return;
        default: break;
        }
    }
    dodajBesediloDesno(vrstica, stran, 1);
}

// "%8.8s" of DatumPolje: for years 1 to 9999 DatumPolje is eight bytes already.
void dodajDatum8(ZapisVrstice& vrstica, const QDate& datum)
{
    int leto;
    int mesec;
    int dan;
    const QDate d = datum.isValid() ? datum : dan0();
    d.getDate(&leto, &mesec, &dan);
    if (leto >= 1 && leto <= 9999) {
        dodajCelo(vrstica, leto, 4);
        dodajCelo(vrstica, mesec, 2);
        dodajCelo(vrstica, dan, 2);
    } else {
        dodajDesno(vrstica, QByteArrayView(DatumPolje(d)), 8);
    }
}

// "VP-" followed by DatumPolje of the date, as "%-20.20s".
void dodajOznakoDatoteke(ZapisVrstice& vrstica, const QDate& datum)
{
    ZapisVrstice oznaka;
    dodaj(oznaka, "VP-");
    dodajDatumPolje(oznaka, datum);
    dodajLevo(vrstica, QByteArrayView(oznaka.data(), oznaka.size()), 20);
}

} // namespace

void pristejKVsotam(VsoteGk& vsote, const Knjizba& k)
{
    PristejZaokrozeno(vsote.zaokrozenaBremeSit, k.BZNESEKSIT);
    PristejZaokrozeno(vsote.zaokrozenoDobroSit, k.DZNESEKSIT);
    PristejNezaokrozeno(vsote.breme, k.BZNESEK);
    PristejNezaokrozeno(vsote.dobro, k.DZNESEK);
}

PodrobnaVrstica zgradiPodrobnoVrstico(const Knjizba& k, qint64 zapisanih, Iskanje& iskanje)
{
    PodrobnaVrstica p;
    p.KONTO = k.KONTO;
    p.SFDJV = k.SFDJV;

    const qint64 pogodba = k.IDMASTER != 0 ? k.IDPOG : k.KIDPOG;
    // The look-up is made even where the activity code decides: its failure ends the run.
    p.sifraOrganizacije = obrezi(iskanje.organizacija(pogodba));
    if (k.SFDJV == QLatin1StringView("N") || k.SFDJV == QLatin1StringView("U"))
        p.sifraOrganizacije = QStringLiteral("025");

    p.sifraPartnerja = sifraPartnerja(k, iskanje.vrstaPartnerja(k.SFOSB));
    ZapisVrstice sifraPartnerja8;
    dodajCelo(sifraPartnerja8, p.sifraPartnerja, 8);
    p.sifraPartnerja8 = QString::fromLatin1(sifraPartnerja8.data(), sifraPartnerja8.size());

    p.zapisi = k.DZNESEK != 0 || k.BZNESEK != 0 || k.DZNESEKSIT != 0 || k.BZNESEKSIT != 0;
    if (!p.zapisi)
        return p;

    const bool domaca = k.VALUTA != QLatin1StringView("E") && !jeKoda(k.DEVIZEN, 'D');

    ZapisVrstice v;
    dodaj(v, "VP888");                                        //   1-5
    dodajDatum8(v, k.DATUMK);                                 //   6-13
    dodaj(v, "001");                                          //  14-16
    dodajCelo(v, zapisanih + 1, 4);                           //  17-20 sequence number
    v.append(sifraPartnerja8.data(), sifraPartnerja8.size()); //  21-28 partner code
    dodajBesediloLevo(v, k.KONTO, 10);                        //  29-38
    dodaj(v, "0000000");                                      //  39-45
    dodajBesediloLevo(v, p.sifraOrganizacije, 3);             //  46-48
    const qsizetype zacetekDatumaV = v.size();
    dodajDatum8(v, k.DATUMV); //  49-56
    char datumV[8];           // always eight bytes
    std::memcpy(datumV, v.data() + zacetekDatumaV, sizeof datumV);
    if (domaca) //  57-59 currency
        dodaj(v, "978");
    else
        dodajBesediloDesno(v, k.STVALUTE, 3);
    dodajPoljeZneska(v, domaca ? k.BZNESEKSIT : k.BZNESEK); //  60-74
    v.append(Predznak(k.BZNESEK));                          //  75
    dodajPoljeZneska(v, domaca ? k.DZNESEKSIT : k.DZNESEK); //  76-90
    v.append(Predznak(k.DZNESEK));                          //  91
    dodajKodoStrani(v, k.STRAN);                            //  92 side code
    dodajPoljeZneska(v, k.BZNESEKSIT);                      //  93-107
    v.append(Predznak(k.BZNESEKSIT));                       // 108
    dodajPoljeZneska(v, k.DZNESEKSIT);                      // 109-123
    v.append(Predznak(k.DZNESEKSIT));                       // 124
    dodaj(v, "O00");                                        // 125-127
    dodaj(v, QByteArrayView(datumV, sizeof datumV));        // 128-135 value date again
    dodaj(v, "                ");                           // 136-151 sixteen spaces
    v.append('O');                                          // 152
    p.vrstica = vBajte(v);
    return p;
}

QByteArray UvodnaVrstica(const QDate& datumDatoteke)
{
    ZapisVrstice v;
    dodaj(v, " 0000");
    dodajDatumPolje(v, datumDatoteke);
    dodajOznakoDatoteke(v, datumDatoteke);
    return vBajte(v);
}

QByteArray ZakljucnaVrstica(const QDate& datumDatoteke, qint64 steviloVrstic, const VsoteGk& vsote)
{
    ZapisVrstice v;
    dodaj(v, "99999");
    dodajDatumPolje(v, datumDatoteke);
    dodajOznakoDatoteke(v, datumDatoteke);
    dodajCelo(v, steviloVrstic, 6);
    // The amounts are the signed rounded domestic totals; the signs follow the
    // unrounded totals in the postings' own currencies.
    dodajCelo(v, VStotine(vsote.zaokrozenaBremeSit), 15);
    v.append(Predznak(vsote.breme));
    dodajCelo(v, VStotine(vsote.zaokrozenoDobroSit), 15);
    v.append(Predznak(vsote.dobro));
    return vBajte(v);
}

namespace {

// An amount field holds 15 digits of cents.
constexpr qint64 kMejaPolja = 1'000'000'000'000'000;

bool ustrezaPolju(double znesek)
{
    if (!std::isfinite(znesek))
        return false;
    const qint64 c = VStotine(znesek);
    return c > -kMejaPolja && c < kMejaPolja;
}

} // namespace

void preveriZneske(const Knjizba& k)
{
    const struct {
        const char* ime;
        double znesek;
    } zneski[] = {
        {"BZNESEK", k.BZNESEK}, {"DZNESEK", k.DZNESEK}, {"BZNESEKSIT", k.BZNESEKSIT}, {"DZNESEKSIT", k.DZNESEKSIT}};
    for (const auto& z : zneski) {
        if (!ustrezaPolju(z.znesek))
            throw Napaka(
                QStringLiteral("Znesek %1 knjižbe CTRL=%2 (%3) ne gre v polje datoteke s 15 mesti; "
                               "prenos ni opravljen.")
                    .arg(QLatin1StringView(z.ime), QString::number(k.CTRL), QString::number(z.znesek, 'g', 17)));
    }
}

PodrobnaVrstica DatotekaGk::dodaj(const Knjizba& k)
{
    preveriZneske(k);
    PodrobnaVrstica p = zgradiPodrobnoVrstico(k, m_zapisanih, m_iskanje);
    pristejKVsotam(m_vsote, k);
    if (!ustrezaPolju(m_vsote.zaokrozenaBremeSit) || !ustrezaPolju(m_vsote.zaokrozenoDobroSit))
        throw Napaka(QStringLiteral("Vsota zneskov do knjižbe CTRL=%1 ne gre v polje zaključne vrstice s 15 "
                                    "mesti; prenos ni opravljen.")
                         .arg(k.CTRL));
    if (p.zapisi)
        ++m_zapisanih;
    return p;
}

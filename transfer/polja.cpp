#include "polja.h"

#include "besedilo1250.h"
#include "zneski.h"

#include <cstdint>
#include <cstring>

namespace {

std::uint64_t velikostOd(qint64 n)
{
    // Unsigned, so that the smallest qint64 has a magnitude too.
    return n < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
}

void dodajZnake(ZapisVrstice& vrstica, qsizetype koliko, char znak)
{
    if (koliko <= 0)
        return;
    const qsizetype zacetek = vrstica.size();
    vrstica.resize(zacetek + koliko);
    std::memset(vrstica.data() + zacetek, znak, static_cast<std::size_t>(koliko));
}

void dodajStevke(ZapisVrstice& vrstica, bool minus, std::uint64_t velikost, int stevk)
{
    char stevke[20]; // filled from the end; 20 digits hold any 64-bit magnitude
    int zacetek = sizeof stevke;
    do {
        stevke[--zacetek] = static_cast<char>('0' + velikost % 10);
        velikost /= 10;
    } while (velikost != 0);
    const int dolzina = static_cast<int>(sizeof stevke) - zacetek;

    if (minus)
        vrstica.append('-');
    dodajZnake(vrstica, stevk - dolzina, '0');
    vrstica.append(stevke + zacetek, dolzina);
}

// Whether the first `n` characters are printable ASCII, the same bytes in the code page.
bool asciiZacetek(const QString& besedilo, qsizetype n)
{
    const QChar* znaki = besedilo.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = znaki[i].unicode();
        if (c < 0x20 || c >= 0x7f)
            return false;
    }
    return true;
}

// A control character (a line break above all) would break the line's layout: it
// becomes a blank, as do the Unicode line and paragraph separators.
QByteArray vPoljeBesedila(const QString& besedilo)
{
    QString t = besedilo;
    for (QChar& c : t) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || u == 0x2028 || u == 0x2029)
            c = u' ';
    }
    return vWin1250(t);
}

void dodajAscii(ZapisVrstice& vrstica, const QString& besedilo, qsizetype n)
{
    const QChar* znaki = besedilo.constData();
    const qsizetype zacetek = vrstica.size();
    vrstica.resize(zacetek + n);
    char* cilj = vrstica.data() + zacetek;
    for (qsizetype i = 0; i < n; ++i)
        cilj[i] = static_cast<char>(znaki[i].unicode());
}

} // namespace

void dodajCelo(ZapisVrstice& vrstica, qint64 n, int stevk) { dodajStevke(vrstica, n < 0, velikostOd(n), stevk); }

QByteArray PoljeCelo(qint64 n, int stevk)
{
    ZapisVrstice polje;
    dodajCelo(polje, n, stevk);
    return vBajte(polje);
}

void dodajDesno(ZapisVrstice& vrstica, QByteArrayView besedilo, int sirina)
{
    const QByteArrayView del = besedilo.first(qMin<qsizetype>(besedilo.size(), sirina));
    dodajZnake(vrstica, sirina - del.size(), ' ');
    dodaj(vrstica, del);
}

QByteArray PoljeDesno(QByteArrayView besedilo, int sirina)
{
    ZapisVrstice polje;
    dodajDesno(polje, besedilo, sirina);
    return vBajte(polje);
}

void dodajLevo(ZapisVrstice& vrstica, QByteArrayView besedilo, int sirina)
{
    const QByteArrayView del = besedilo.first(qMin<qsizetype>(besedilo.size(), sirina));
    dodaj(vrstica, del);
    dodajZnake(vrstica, sirina - del.size(), ' ');
}

QByteArray PoljeLevo(QByteArrayView besedilo, int sirina)
{
    ZapisVrstice polje;
    dodajLevo(polje, besedilo, sirina);
    return vBajte(polje);
}

void dodajBesediloDesno(ZapisVrstice& vrstica, const QString& besedilo, int sirina)
{
    const qsizetype n = qMin<qsizetype>(besedilo.size(), sirina);
    if (!asciiZacetek(besedilo, n)) {
        dodajDesno(vrstica, QByteArrayView(vPoljeBesedila(besedilo)), sirina);
        return;
    }
    dodajZnake(vrstica, sirina - n, ' ');
    dodajAscii(vrstica, besedilo, n);
}

void dodajBesediloLevo(ZapisVrstice& vrstica, const QString& besedilo, int sirina)
{
    const qsizetype n = qMin<qsizetype>(besedilo.size(), sirina);
    if (!asciiZacetek(besedilo, n)) {
        dodajLevo(vrstica, QByteArrayView(vPoljeBesedila(besedilo)), sirina);
        return;
    }
    dodajAscii(vrstica, besedilo, n);
    dodajZnake(vrstica, sirina - n, ' ');
}

void dodajPoljeZneska(ZapisVrstice& vrstica, double znesek)
{
    // Rounding is symmetric, so the cents of the magnitude are the magnitude of the cents.
    dodajStevke(vrstica, false, velikostOd(VStotine(znesek)), 15);
}

QByteArray PoljeZneska(double znesek)
{
    ZapisVrstice polje;
    dodajPoljeZneska(polje, znesek);
    return vBajte(polje);
}

char Predznak(double vrednost) { return vrednost < 0 ? '-' : '+'; }

void dodajDatumPolje(ZapisVrstice& vrstica, const QDate& datum)
{
    int leto;
    int mesec;
    int dan;
    (datum.isValid() ? datum : dan0()).getDate(&leto, &mesec, &dan);
    dodajCelo(vrstica, leto, 4);
    dodajCelo(vrstica, mesec, 2);
    dodajCelo(vrstica, dan, 2);
}

QByteArray DatumPolje(const QDate& datum)
{
    ZapisVrstice polje;
    dodajDatumPolje(polje, datum);
    return vBajte(polje);
}

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

// Whether the first `n` characters are plain ASCII, the same bytes in the code page.
bool asciiZacetek(const QString& besedilo, qsizetype n)
{
    const QChar* znaki = besedilo.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (znaki[i].unicode() >= 0x80)
            return false;
    }
    return true;
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

void dodajCelo(ZapisVrstice& vrstica, qint64 n, int stevk)
{
    dodajStevke(vrstica, n < 0, velikostOd(n), stevk);
}

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
        dodajDesno(vrstica, QByteArrayView(vWin1250(besedilo)), sirina);
        return;
    }
    dodajZnake(vrstica, sirina - n, ' ');
    dodajAscii(vrstica, besedilo, n);
}

void dodajBesediloLevo(ZapisVrstice& vrstica, const QString& besedilo, int sirina)
{
    const qsizetype n = qMin<qsizetype>(besedilo.size(), sirina);
    if (!asciiZacetek(besedilo, n)) {
        dodajLevo(vrstica, QByteArrayView(vWin1250(besedilo)), sirina);
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

char Predznak(double vrednost)
{
    return vrednost < 0 ? '-' : '+';
}

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

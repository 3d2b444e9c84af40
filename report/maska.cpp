#include "maska.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// Decimal digits of |v| rounded half up at `decimalke` places after the point,
// starting from the value's 18 significant digits. Returns the integer and the
// fraction digits.
void decimalniZapis(double v, int decimalke, std::string& celi, std::string& ulomek)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v)); // 18 significant digits
    // buf: d.ddddddddddddddddde±XX
    std::string mantisa;
    mantisa += buf[0];
    int i = 2;
    while (buf[i] != 'e')
        mantisa += buf[i++];
    const int eksponent = std::atoi(buf + i + 1);
    // Digits with the point after position eksponent+1.
    std::string cifre = mantisa;
    int tocka = eksponent + 1; // number of integer digits
    if (tocka <= 0) {
        cifre.insert(0, static_cast<size_t>(-tocka + 1), '0');
        tocka = 1;
    }
    while (static_cast<int>(cifre.size()) < tocka + decimalke + 1)
        cifre += '0';
    // Round half up at position tocka + decimalke.
    const int rez = tocka + decimalke;
    const bool gor = cifre[rez] >= '5';
    cifre.resize(rez);
    if (gor) {
        int k = rez - 1;
        while (k >= 0) {
            if (cifre[k] == '9') {
                cifre[k] = '0';
                --k;
            } else {
                ++cifre[k];
                break;
            }
        }
        if (k < 0) {
            cifre.insert(cifre.begin(), '1');
            ++tocka;
        }
    }
    celi = cifre.substr(0, tocka);
    ulomek = cifre.substr(tocka);
    size_t z = 0;
    while (z + 1 < celi.size() && celi[z] == '0')
        ++z;
    celi.erase(0, z);
}

} // namespace

QString oblikujMasko(double vrednost, const QString& maska, const QLocale& locale)
{
    const qsizetype tocka = maska.indexOf(u'.');
    const QString celiDel = tocka < 0 ? maska : maska.left(tocka);
    const QString ulomekDel = tocka < 0 ? QString() : maska.mid(tocka + 1);
    const bool skupine = celiDel.contains(u',');
    const int najmanjCelih = static_cast<int>(celiDel.count(u'0'));
    int obvezne = 0, vse = 0;
    for (QChar c : ulomekDel) {
        if (c == u'0') {
            ++vse;
            obvezne = vse;
        } else if (c == u'#') {
            ++vse;
        }
    }

    std::string celi, ulomek;
    if (std::isfinite(vrednost))
        decimalniZapis(vrednost, vse, celi, ulomek);
    else
        return QString::number(vrednost);

    while (static_cast<int>(ulomek.size()) > obvezne && !ulomek.empty() && ulomek.back() == '0')
        ulomek.pop_back();
    if (celi == "0" && najmanjCelih == 0)
        celi.clear();
    while (static_cast<int>(celi.size()) < najmanjCelih)
        celi.insert(celi.begin(), '0');

    QString izhod;
    const QString skupina = locale.groupSeparator();
    for (size_t k = 0; k < celi.size(); ++k) {
        if (skupine && k > 0 && (celi.size() - k) % 3 == 0)
            izhod += skupina;
        izhod += QLatin1Char(celi[k]);
    }
    if (!ulomek.empty()) {
        izhod += locale.decimalPoint();
        izhod += QString::fromLatin1(ulomek.c_str());
    }
    const bool niNic = std::any_of(celi.begin(), celi.end(), [](char c) { return c != '0'; })
                       || std::any_of(ulomek.begin(), ulomek.end(), [](char c) { return c != '0'; });
    if (vrednost < 0 && niNic)
        izhod.prepend(u'-');
    return izhod;
}

#include "isodatum.h"

bool zapisiIsoDatum(const QDate& datum, char (&iso)[10])
{
    int leto, mesec, dan;
    datum.getDate(&leto, &mesec, &dan);
    if (!datum.isValid() || leto < 1 || leto > 9999)
        return false;
    const auto stevke = [&iso](int od, int n, int vrednost) {
        for (int i = od + n - 1; i >= od; --i, vrednost /= 10)
            iso[i] = char('0' + vrednost % 10);
    };
    stevke(0, 4, leto);
    iso[4] = '-';
    stevke(5, 2, mesec);
    iso[7] = '-';
    stevke(8, 2, dan);
    return true;
}

bool preberiIsoDatum(const char* t, QDate* datum)
{
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (t[i] < '0' || t[i] > '9')
            return false;
    if (t[4] != '-' || t[7] != '-')
        return false;
    const auto st = [t](int i, int dolzina) {
        int v = 0;
        for (int k = i; k < i + dolzina; ++k)
            v = v * 10 + (t[k] - '0');
        return v;
    };
    const int leto = st(0, 4);
    if (leto < 1)
        return false;
    *datum = QDate(leto, st(5, 2), st(8, 2));
    return true;
}

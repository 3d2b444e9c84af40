#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

// One row of a test table "ZOKDLL.DB"; an unset value is stored empty (null).
struct ZokVnos {
    std::optional<QString> konto;
    std::optional<double> obrrev30;
    std::optional<double> obrrev180;
    std::optional<double> obrrev999;
};

// Writes a Paradox table with KONTOGLV (alpha of `dolzinaKonta` characters, code
// page 1250) and the three amounts OBRREV30, OBRREV180, OBRREV999 (numbers).
// Returns false when pxlib could not make it.
bool ustvariZokdll(const QString& pot, const QList<ZokVnos>& vrstice, int dolzinaKonta = 15);

// A field of a test table: pxlib's type (pxfAlpha, pxfLong, ...), length and name;
// `decimalke` is the number of decimals of a BCD field.
struct PoljePx {
    const char* ime;
    char vrsta;
    int dolzina;
    int decimalke = 0;
};

// Writes a Paradox table with the given fields and rows (each row one value per field;
// a null QVariant leaves the field empty). Values: QString for alpha, an integer for
// short, long and auto-increment, double for number and currency, a text of digits
// for BCD, bool for logical, QDate, QTime and QDateTime. Returns false when pxlib
// could not make it.
bool ustvariTabelo(const QString& pot, const QList<PoljePx>& polja, const QList<QVariantList>& vrstice);

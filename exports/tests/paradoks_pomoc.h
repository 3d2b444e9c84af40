#pragma once

#include <QList>
#include <QString>
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

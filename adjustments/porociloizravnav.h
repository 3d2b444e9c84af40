#pragma once

#include "porocilo.h"

#include <QLocale>

// The printed list of rounding adjustments: A4 landscape, 10 mm margins, Arial 10
// point; the bank's name, the title, the date and time and the page number at the
// top of every page, the column captions under them, one line per row in the order
// of the result, and the sums of the amount, the rounded amount and the difference
// at the end. An empty result gives no pages. `jezik` gives the separators of the
// amounts and the format of dates.
Porocilo opisIzravnav(const QLocale& jezik = QLocale());

#pragma once

#include <QLocale>
#include <QString>

// Formats a number by a display mask such as "####0.00", "#,###,##0.00" or
// "###,###,##0.0000000000000", with the locale's decimal and group separators:
//  - '0' before the decimal point sets the least number of integer digits;
//  - a ',' anywhere before the point groups the integer part by thousands;
//  - '0' after the point is a decimal always shown, '#' one shown when not zero.
// The value is rounded half away from zero on its 18-digit decimal form, so 2.675
// (binary 2.67499999...) shows 2.67 and 0.125 shows 0.13. A negative value gets a
// plain "-" whatever the locale prefers.
QString oblikujMasko(double vrednost, const QString& maska, const QLocale& locale = QLocale());

#pragma once

#include <QString>

// The revaluation table of the demo book: "ZOKDLL.DB", a Paradox table with KONTOGLV
// (alpha 15, code page 1250) and the numbers OBRREV30, OBRREV180 and OBRREV999,
// nine rows over four accounts whose sums a reader can check by hand:
//
//   KONTOGLV  OBRREV30  OBRREV180  OBRREV999
//   1000        100.00      20.00       1.00
//   1000         50.50      -5.25       2.00
//   1200       1000.00       0.00     250.00
//   1200       -300.00     125.00     (empty)
//   2100         12.34      56.78       3.00
//   4000         10.10       1.00       0.00
//   4000         20.20       2.00       0.00
//   4000         30.30       3.00       0.00
//   4000        (empty)    (empty)     (empty)
//
// so that the summary has 1000: 150.50 and 14.75; 1200: 700.00 and 125.00;
// 2100: 12.34 and 56.78; 4000: 60.60 and 6.00 (OBRREV999 is not summed).
// Writes it at `pot` when there is no file there; only a complete table takes the
// name. Returns an empty text on success (or when the file exists), else the reason.
QString ustvariDemoZokdll(const QString& pot);

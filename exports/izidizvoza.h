#pragma once

#include <QString>

// How an export that wrote nothing ended, beside the fixed message the operator sees:
// the reason of its failure (a refused path, a table that cannot be read, the system's
// text of a failed write), which the log gets and the batch command prints, and whether
// the stop request ended it (the previous file then stays as it was).
struct IzidIzvoza {
    QString razlog;
    bool ustavljen = false;
};

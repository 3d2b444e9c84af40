#pragma once

#include "izvajanje.h"

#include <QString>

// The settings file "LEDGXFER.INI" (where: kjeJe(Datoteka::Nastavitve)): line 1 the monthly
// output folder, line 2 the revaluation summary's output file. 8-bit Windows-1250
// text, each line ended by CR LF.
QString potNastavitev();

// Reads the file into `vrednosti`. Returns false, changing nothing, when it cannot be
// opened. Line 1 gets a trailing separator when it is not empty and lacks one; line 2
// is taken as it stands; further lines are ignored. `zokPolje` receives line 2 (empty
// when the file has no second line).
bool preberiNastavitve(Izvajanje& vrednosti, QString& zokPolje);

// Writes both values anew. Returns empty when they are saved, else the message that
// says where and why not ("Nastavitev ni mogoče zapisati v PATH : REASON"), which is
// logged too.
QString zapisiNastavitve(const Izvajanje& vrednosti);

#pragma once

#include "poti.h"

#include <QString>

// Run-time values shared by the whole program for the length of one run.
struct Izvajanje {
    QString Baza;               // database alias, also the name of the one connection
    QString Uporabnik;          // database user
    QString Geslo;              // database password
    QString ImeDatoteke;        // file-name part of the current output file (caption)
    QString MesecniDirektorij;  // output folder of the monthly transfer, ends with a separator
    QString ZokIzhodnaDatoteka; // output file of the revaluation summary
    bool KonecZahtevan = false; // the end command has been issued
    bool PrvaAktivacija = true; // the first activation is still to come
};

#pragma once

#include "okna.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The ten windows made as the program makes them, in a temporary application
// directory with its own aliases file; message boxes and the final quit are
// recorded instead of shown or carried out.
struct TestniProgram {
    explicit TestniProgram(const QStringList& argumenti);
    ~TestniProgram();

    // An SQLite database with the alias LB in the aliases file.
    void ustvariBazoLB();

    QTemporaryDir dir;
    Okna okna;
    QStringList sporocila;
    int konec = 0; // how often the program was asked to end
    QStringList prikazaniDialogi; // objectNames of the modal dialogs shown
};

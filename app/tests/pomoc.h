#pragma once

#include "okna.h"
#include "testnestoritve.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The ten windows made as the program makes them, in a temporary application
// directory with its own aliases file. The program is the main window's desktop:
// message boxes, modal dialogs and the final quit are recorded (TestneStoritve);
// modal dialogs are answered at once, the initiator prompt with a name, the login
// dialog as it stands.
struct TestniProgram : TestneStoritve {
    explicit TestniProgram(const QStringList& argumenti);
    ~TestniProgram();

    // An SQLite database with the alias LB in the aliases file.
    void ustvariBazoLB();

    QTemporaryDir dir;
    Okna okna;
};

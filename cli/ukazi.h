#pragma once

#include "terminalokolje.h"

#include <QStringList>

// One subcommand of ledgxfer-batch: gets the arguments after its name and returns
// the exit code (moznosti.h: 0 done, 1 failed, 2 usage refused, 3 completed with
// warnings or nothing written, 130 stopped by a signal).
struct Ukaz {
    const char* ime;
    const char* opis; // one line of the global help, UTF-8
    int (*izvedi)(const QStringList& argumenti, TerminalOkolje& okolje);
    // The command draws (fonts, painting): it runs under the GUI application, on the
    // offscreen platform unless QT_QPA_PLATFORM names another, so no display is needed.
    bool risanje = false;
    // The command honours the stop request: SIGINT and SIGTERM raise it instead of
    // ending the process.
    bool ustavljiv = false;
};

int ukazDemo(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazTransfer(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazVerify(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazRevaluation(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazParties(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazJournal(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazAdjustments(const QStringList& argumenti, TerminalOkolje& okolje);

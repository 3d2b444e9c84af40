#pragma once

#include "terminalokolje.h"

#include <QStringList>

// One subcommand of ledgxfer-batch: gets the arguments after its name and returns
// the exit code (0 after success, non-zero after any failure).
struct Ukaz {
    const char* ime;
    const char* opis;
    int (*izvedi)(const QStringList& argumenti, TerminalOkolje& okolje);
    // The command draws (fonts, painting): it runs under the GUI application, on the
    // offscreen platform unless QT_QPA_PLATFORM names another, so no display is needed.
    bool risanje = false;
};

int ukazDemo(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazTransfer(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazRevaluation(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazParties(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazJournal(const QStringList& argumenti, TerminalOkolje& okolje);
int ukazAdjustments(const QStringList& argumenti, TerminalOkolje& okolje);

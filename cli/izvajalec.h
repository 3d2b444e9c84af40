#pragma once

#include "terminalokolje.h"

#include <QStringList>
#include <functional>

// The one runner of ledgxfer-batch's commands. A command gives its exit code
// (moznosti.h: IzhodnaKoda); whatever it throws instead ends here and is mapped alike
// for every command: the project's own error (Napaka) and any other std::exception say
// their text, anything else says that an unknown failure happened, each on standard
// output and in the log; the command then failed (1), or, for a command that honours
// the stop request after SIGINT or SIGTERM, was stopped (130). A code that is not one
// of the documented ones is logged and reported as failed.
using IzvediUkaz = std::function<int(const QStringList& argumenti, TerminalOkolje& okolje)>;
int zazeniUkaz(const IzvediUkaz& izvedi, const QStringList& argumenti, TerminalOkolje& okolje, bool ustavljiv);

// The exit code of a failure that escaped the command: 130 after a signal for a
// command that honours the stop request, else 1.
int kodaNeuspeha(bool ustavljiv, bool signalPrejet);

// Whether `koda` is one of ledgxfer-batch's documented exit codes.
bool jeIzhodnaKoda(int koda);

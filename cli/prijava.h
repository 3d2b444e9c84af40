#pragma once

#include "terminalokolje.h"

#include <QCommandLineParser>

// The login of a batch command: opens the connection under --alias with --user and
// --password, as the window's start-up does. A refused login shows the window's
// failed-connection message and returns false.
bool prijaviSe(const QCommandLineParser& p, TerminalOkolje& okolje);

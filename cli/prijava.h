#pragma once

#include "moznosti.h"
#include "terminalokolje.h"

// The login of a batch command: opens the connection under --alias with --user and
// the password (--password, --password-stdin or LEDGXFER_PASSWORD), as the window's
// start-up does. A refused login shows the window's failed-connection message with
// the reason and returns false.
bool prijaviSe(UkaznaVrstica& u, TerminalOkolje& okolje);

#pragma once

#include "moznosti.h"
#include "terminalokolje.h"

#include <optional>

// The login of a batch command: opens the connection under --alias with --user and
// the password (--password, --password-stdin or LEDGXFER_PASSWORD), through the same
// login step as the window's start-up (prijaviVBazo). A failed login prints the
// window's message, the database's reason on its next line, and returns false.
bool prijaviSe(UkaznaVrstica& u, TerminalOkolje& okolje);

// For a batch command that wrote nothing into `pot`: whether an older file of that name
// remains (so that a scheduled job does not take it for a new one), as one sentence.
QString staraDatoteka(const QString& pot);

// A blank output path (empty or spaces only) is refused as usage; the text says so.
std::optional<QString> prazenIzhod(const QString& moznost, const QString& pot);

#pragma once

#include <QString>
#include <optional>

// The one reading of a whole number that the operator typed (number fields, ranges,
// command-line options): a decimal integer of 64 bits, optionally signed, blanks
// around it allowed; nothing for anything else ("2x", "", "1.5", out of range).
std::optional<qint64> celoStevilo(const QString& besedilo);

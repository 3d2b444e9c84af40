#pragma once

#include <QDate>

// Dates as "yyyy-mm-dd" bytes, for the statements and results that go past the drivers.
// Both give exactly what Qt's ISO form gives for the years 1 to 9999.

// Writes the ten bytes of a valid date of the years 1 to 9999; false for any other.
bool zapisiIsoDatum(const QDate& datum, char (&iso)[10]);

// Reads the ten bytes at `t` (there must be ten) when they are "yyyy-mm-dd" with a
// year from 1; false for anything else. The date is invalid where the month or day
// is out of range, as Qt's ISO reading gives it.
bool preberiIsoDatum(const char* t, QDate* datum);

#pragma once

#include <QDate>
#include <QString>
#include <optional>

// A range of booking dates as the operator gives it (date fields, --from/--to).

// The dates as the date fields show them: "25.10.2026".
QString besediloDatuma(const QDate& datum);

// "od 25.10.2026 do 1.11.2026".
QString besediloObdobja(const QDate& od, const QDate& doo);

// Why the range cannot be taken (a start after the end), or nothing when it can.
// Every command that works on a range says it with this text before it starts.
std::optional<QString> zavrnitevObdobja(const QDate& od, const QDate& doo);

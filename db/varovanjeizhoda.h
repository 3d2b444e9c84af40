#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

// Why the output path cannot take a ledger file (a folder, a device, a FIFO, a
// symbolic link, the database's own file, a missing folder, a blank name), or nothing
// when it can.
std::optional<QString> zavrnitevIzhoda(const QString& pot, const QSqlDatabase& db);

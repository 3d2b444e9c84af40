#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

// The one guard of every output file of the program (the transfer file, both exports,
// both PDF files, the settings file): why `pot` cannot be written, in words for the
// operator, or nothing when it can. Refused:
// - what IzhodnaDatoteka::zavrni() refuses (a blank name, a folder, a device, a FIFO,
//   a socket, a symbolic link, a missing folder);
// - the files in which a database lives (SQLite: the file, its -wal, -shm and
//   -journal), of `db` and of every connection the program holds open;
// - the program's own files in the application directory (ZOKDLL.DB in any case of
//   its name, LEDGXFER.INI, ledgxfer.log) and the aliases file, except `lastna`, the
//   one of them the caller writes itself;
// - every file in `vhodi`, which the same command reads.
// A file counts as the same under another name too (a hard link, "..", a link in the
// folder's path).
std::optional<QString> zavrnitevIzhoda(const QString& pot, const QSqlDatabase& db = QSqlDatabase(),
                                       const QStringList& vhodi = {}, const QString& lastna = QString());

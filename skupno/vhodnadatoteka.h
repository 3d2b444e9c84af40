#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// Opens an input file only when it is a regular file of at most `najvec` bytes: a
// device (/dev/zero), a FIFO, a folder or a file larger than the bound is refused
// without reading one byte of it, and the opening never waits for a FIFO's writer.
// A symbolic link is followed; what it leads to must be a regular file. On success
// `datoteka` is open for reading; otherwise the reason, in words for the operator
// ("pot je cev (FIFO), ne datoteka", the system's text of a failed open), is returned.
std::optional<QString> odpriVhodnoDatoteko(QFile& datoteka, const QString& pot, qint64 najvec);

// The whole contents of such a file, read within the bound (a file that grows past it
// while being read is refused as well). Nothing, with `razlog` set, when it is refused.
std::optional<QByteArray> preberiVhodnoDatoteko(const QString& pot, qint64 najvec, QString& razlog);

// The file's size in words ("5368709120 bajtov") and the bound, for refusals.
QString prevelikaDatoteka(qint64 velikost, qint64 najvec);

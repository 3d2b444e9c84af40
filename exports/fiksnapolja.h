#pragma once

#include <QByteArray>
#include <QString>

// Fixed-width fields of the 8-bit export files. The text is first put into the
// system's code page (one byte per character), so widths are counted in bytes.

// Left-aligned, filled up with spaces and cut to `sirina` bytes ("%-N.Ns"). A control
// character (CR, LF, NUL, tab, the Unicode line separators) would break the line: it
// becomes a blank, as in the transfer file. A character that Windows-1250 cannot hold
// is written as '?' and counted in `nepredstavljivih` when it is given.
QByteArray levoPolje(const QString& besedilo, int sirina, qsizetype* nepredstavljivih = nullptr);

// Right-aligned in `sirina` bytes, filled with spaces on the left, and cut to its
// first `sirina` bytes when it is longer ("%N.Ns").
QByteArray desnoPolje(const QByteArray& besedilo, int sirina);

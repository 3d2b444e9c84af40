#pragma once

#include <QString>

// The calls the program makes on the operating system itself, in one place: the file
// system calls of the writer of output files (unnamed files, links, flushing to disk,
// space reservation), the stop request by a signal and the terminal. One file per
// platform implements them: platforma_posix.cpp (Linux and other Unix systems) and
// platforma_windows.cpp. Every call that can fail returns 0 or an error number of
// <cerrno> (EACCES, ENOSPC ...), which the caller turns into the system's text.
namespace platforma {

// --- Files ---------------------------------------------------------------------------

// A new file without a name in folder `mapa`, open for writing; its descriptor, or -1
// with the error number in `koda` (ENOTSUP where the system has no such files). A run
// that is killed before the file gets a name leaves nothing behind.
int odpriNeimenovano(const QString& mapa, int& koda);

// Closes a descriptor that no file object took over.
void zapri(int rocaj);

// Gives the unnamed file of descriptor `rocaj` (odpriNeimenovano) the name `ime`; an
// existing name is never replaced (EEXIST).
int poimenujNeimenovano(int rocaj, const QString& ime);

// A second name `ime` of the existing file `pot`; an existing name is never replaced.
int povezi(const QString& pot, const QString& ime);

// The file of descriptor `rocaj` takes the permissions of the file `pot`, which is not
// followed if it is a symbolic link.
int prevzemiDovoljenja(int rocaj, const QString& pot);

// Writes the data of the open file `rocaj` from the system's buffers to the disk.
int naDisk(int rocaj);

// Writes folder `mapa`'s entries (a new name, a rename) to the disk. 0 as well where
// the system keeps a folder's entries durable by itself.
int mapaNaDisk(const QString& mapa);

// Reserves `velikost` bytes for the file `rocaj`, so that a full disk fails before
// anything is written. 0 as well where the file system cannot reserve space: the
// writing then goes ahead without it.
int rezervirajProstor(int rocaj, qint64 velikost);

// --- The stop request and the terminal -----------------------------------------------

// From now on the operator's stop (SIGINT, SIGTERM; Ctrl+C and the console's close on
// Windows) calls `obZahtevi` once, from the signal's context: it may only set lock-free
// atomics. A second stop ends the process at once, as the system ends it. A read that
// the signal interrupts goes on.
void prestreziZahtevoKonca(void (*obZahtevi)());

// Whether standard error is a terminal (the progress line is shown only there).
bool napakeNaTerminalu();

// Ends the process at once, as the system's kill ends it: no clean-up, no handler runs
// (the fault tests' point of a killed run).
[[noreturn]] void koncajTakoj();

} // namespace platforma

// The operating system's calls on Windows (see platforma.h). Windows has no unnamed
// files: the writer of output files uses a hidden temporary name instead.
#include "platforma.h"

#include <QString>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <io.h>
#include <windows.h>

namespace platforma {

namespace {

// The error number of <cerrno> closest to the system's last error.
int kodaNapake(DWORD napaka)
{
    switch (napaka) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED: return ENOTSUP;
    default: return EIO;
    }
}

std::wstring sirokaPot(const QString& pot) { return pot.toStdWString(); }

} // namespace

int odpriNeimenovano(const QString&, int& koda)
{
    koda = ENOTSUP;
    return -1;
}

void zapri(int rocaj) { ::_close(rocaj); }

int poimenujNeimenovano(int, const QString&) { return ENOTSUP; }

int povezi(const QString& pot, const QString& ime)
{
    if (!::CreateHardLinkW(sirokaPot(ime).c_str(), sirokaPot(pot).c_str(), nullptr))
        return kodaNapake(::GetLastError());
    return 0;
}

int prevzemiDovoljenja(int, const QString&)
{
    // The writer copies the read-only attribute itself (QFile::setPermissions).
    return 0;
}

int naDisk(int rocaj)
{
    if (::_commit(rocaj) != 0)
        return errno;
    return 0;
}

int mapaNaDisk(const QString&)
{
    // NTFS keeps a folder's entries durable with the file's own flush.
    return 0;
}

int rezervirajProstor(int, qint64)
{
    return 0; // written without a reservation
}

namespace {

std::atomic<bool> g_prejet{false};
void (*g_obZahtevi)() = nullptr;

BOOL WINAPI obDogodkuKonzole(DWORD dogodek)
{
    switch (dogodek) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        // The second stop: the system's own handler ends the process.
        if (g_prejet.exchange(true))
            return FALSE;
        if (g_obZahtevi)
            g_obZahtevi();
        return TRUE;
    default: return FALSE;
    }
}

} // namespace

void prestreziZahtevoKonca(void (*obZahtevi)())
{
    g_obZahtevi = obZahtevi;
    ::SetConsoleCtrlHandler(obDogodkuKonzole, TRUE);
}

bool napakeNaTerminalu() { return ::_isatty(::_fileno(stderr)) != 0; }

void koncajTakoj()
{
    ::TerminateProcess(::GetCurrentProcess(), 137);
    std::abort(); // TerminateProcess does not return for the current process
}

} // namespace platforma

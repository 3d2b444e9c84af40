// The operating system's calls on Linux and other Unix systems (see platforma.h).
#include "platforma.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platforma {

int odpriNeimenovano(const QString& mapa, int& koda)
{
#ifdef O_TMPFILE
    const int fd = ::open(QFile::encodeName(mapa).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    koda = fd < 0 ? errno : 0;
    return fd;
#else
    Q_UNUSED(mapa);
    koda = ENOTSUP;
    return -1;
#endif
}

void zapri(int rocaj) { ::close(rocaj); }

int poimenujNeimenovano(int rocaj, const QString& ime)
{
#ifdef O_TMPFILE
    // The descriptor's own entry in /proc names the unnamed file.
    const QByteArray fdPot = "/proc/self/fd/" + QByteArray::number(rocaj);
    if (::linkat(AT_FDCWD, fdPot.constData(), AT_FDCWD, QFile::encodeName(ime).constData(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    return 0;
#else
    Q_UNUSED(rocaj);
    Q_UNUSED(ime);
    return ENOTSUP;
#endif
}

int povezi(const QString& pot, const QString& ime)
{
    if (::link(QFile::encodeName(pot).constData(), QFile::encodeName(ime).constData()) != 0)
        return errno;
    return 0;
}

int prevzemiDovoljenja(int rocaj, const QString& pot)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(pot).constData(), &st) != 0 || ::fchmod(rocaj, st.st_mode & 07777) != 0)
        return errno;
    return 0;
}

int naDisk(int rocaj)
{
    if (::fsync(rocaj) != 0)
        return errno;
    return 0;
}

int mapaNaDisk(const QString& mapa)
{
    const int fd = ::open(QFile::encodeName(mapa).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int koda = ::fsync(fd) != 0 ? errno : 0;
    ::close(fd);
    return koda;
}

int rezervirajProstor(int rocaj, qint64 velikost)
{
    const int r = ::posix_fallocate(rocaj, 0, velikost);
    if (r == EOPNOTSUPP || r == EINVAL || r == ENOSYS)
        return 0; // the file system cannot reserve space
    return r;
}

namespace {

// Set by the first signal. Lock-free atomics are async-signal-safe.
std::atomic<bool> g_prejet{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// Set before the handlers are installed, only read in them.
void (*g_obZahtevi)() = nullptr;

extern "C" void obSignalu(int st)
{
    if (g_prejet.exchange(true)) {
        // The second signal: the operator means it. Default action, at once.
        std::signal(st, SIG_DFL);
        std::raise(st);
        return;
    }
    if (g_obZahtevi)
        g_obZahtevi();
}

} // namespace

void prestreziZahtevoKonca(void (*obZahtevi)())
{
    g_obZahtevi = obZahtevi;
    struct sigaction sa {};
    sa.sa_handler = obSignalu;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART; // a read of the password goes on after the signal
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool napakeNaTerminalu() { return ::isatty(STDERR_FILENO) == 1; }

void koncajTakoj()
{
    std::raise(SIGKILL);
    ::_exit(137); // SIGKILL cannot be caught; never reached
}

} // namespace platforma

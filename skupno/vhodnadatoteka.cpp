#include "vhodnadatoteka.h"

#include <QFileInfo>

#include <cerrno>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString sistemskiRazlog(int koda)
{
    return QString::fromLocal8Bit(std::error_code(koda, std::generic_category()).message());
}

} // namespace

QString prevelikaDatoteka(qint64 velikost, qint64 najvec)
{
    return QStringLiteral("datoteka ima %1 bajtov, največ dovoljenih je %2").arg(velikost).arg(najvec);
}

std::optional<QString> odpriVhodnoDatoteko(QFile& datoteka, const QString& pot, qint64 najvec)
{
    if (pot.trimmed().isEmpty())
        return QStringLiteral("ime datoteke je prazno");
#ifdef Q_OS_UNIX
    // O_NONBLOCK: opening a FIFO does not wait for a writer; the type is then known
    // from the open descriptor itself, so nothing can be swapped in between.
    const int fd = ::open(QFile::encodeName(pot).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return sistemskiRazlog(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int koda = errno;
        ::close(fd);
        return sistemskiRazlog(koda);
    }
    std::optional<QString> zavrnitev;
    if (S_ISDIR(st.st_mode))
        zavrnitev = QStringLiteral("pot je mapa, ne datoteka");
    else if (S_ISFIFO(st.st_mode))
        zavrnitev = QStringLiteral("pot je cev (FIFO), ne datoteka");
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        zavrnitev = QStringLiteral("pot je naprava, ne datoteka");
    else if (!S_ISREG(st.st_mode))
        zavrnitev = QStringLiteral("pot ni navadna datoteka");
    else if (st.st_size > najvec)
        zavrnitev = prevelikaDatoteka(st.st_size, najvec);
    if (zavrnitev) {
        ::close(fd);
        return zavrnitev;
    }
    // A regular file is read in the usual, blocking way.
    const int zastavice = ::fcntl(fd, F_GETFL);
    if (zastavice >= 0)
        ::fcntl(fd, F_SETFL, zastavice & ~O_NONBLOCK);
    datoteka.setFileName(pot);
    if (!datoteka.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return datoteka.errorString();
    }
    return std::nullopt;
#else
    const QFileInfo info(pot);
    if (!info.isFile())
        return QStringLiteral("pot ni navadna datoteka");
    if (info.size() > najvec)
        return prevelikaDatoteka(info.size(), najvec);
    datoteka.setFileName(pot);
    if (!datoteka.open(QIODevice::ReadOnly))
        return datoteka.errorString();
    return std::nullopt;
#endif
}

std::optional<QByteArray> preberiVhodnoDatoteko(const QString& pot, qint64 najvec, QString& razlog)
{
    QFile f;
    if (const auto zakaj = odpriVhodnoDatoteko(f, pot, najvec)) {
        razlog = *zakaj;
        return std::nullopt;
    }
    // Read in pieces, so that memory follows what the file really holds; a file that
    // grows past the bound meanwhile is refused.
    QByteArray bajti;
    bajti.reserve(f.size());
    for (;;) {
        const QByteArray kos = f.read(1 << 20);
        if (f.error() != QFileDevice::NoError) {
            razlog = f.errorString();
            return std::nullopt;
        }
        if (kos.isEmpty())
            break;
        bajti += kos;
        if (bajti.size() > najvec) {
            razlog = prevelikaDatoteka(bajti.size(), najvec);
            return std::nullopt;
        }
    }
    return bajti;
}

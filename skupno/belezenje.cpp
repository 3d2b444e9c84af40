#include "belezenje.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcDb, "ledgxfer.db", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTransfer, "ledgxfer.transfer", QtInfoMsg)
Q_LOGGING_CATEGORY(lcReport, "ledgxfer.report", QtInfoMsg)
Q_LOGGING_CATEGORY(lcReview, "ledgxfer.review", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAdjustments, "ledgxfer.adjustments", QtInfoMsg)
Q_LOGGING_CATEGORY(lcGroups, "ledgxfer.groups", QtInfoMsg)
Q_LOGGING_CATEGORY(lcExports, "ledgxfer.exports", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "ledgxfer.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCli, "ledgxfer.cli", QtInfoMsg)

namespace {

QMutex g_zaklep;
QFile* g_datoteka = nullptr;

// The line: "YYYY-MM-DD HH:MM:SS.zzz category level: text", the time local. As in every
// Qt program, QT_MESSAGE_PATTERN takes its place when it is set.
constexpr char kVzorec[] = "%{time yyyy-MM-dd HH:mm:ss.zzz} %{category} %{type}: %{message}";

void obravnava(QtMsgType vrsta, const QMessageLogContext& kontekst, const QString& besedilo)
{
    // A message that comes without a category is under "default", as qDebug()'s are.
    const QByteArray v =
        (kontekst.category
             ? qFormatLogMessage(vrsta, kontekst, besedilo)
             : qFormatLogMessage(vrsta, QMessageLogContext(kontekst.file, kontekst.line, kontekst.function, "default"),
                                 besedilo))
            .toUtf8()
        + '\n';
    QMutexLocker zaklep(&g_zaklep);
    std::fwrite(v.constData(), 1, size_t(v.size()), stderr);
    std::fflush(stderr);
    if (g_datoteka) {
        g_datoteka->write(v);
        g_datoteka->flush();
    }
}

} // namespace

namespace belezenje {

QString privzetaDatoteka(const QString& direktorijAplikacije)
{
    return QDir(direktorijAplikacije).filePath(QStringLiteral("ledgxfer.log"));
}

void namesti(const QString& datoteka)
{
    {
        QMutexLocker zaklep(&g_zaklep);
        delete g_datoteka;
        g_datoteka = nullptr;
    }
    qSetMessagePattern(QString::fromLatin1(kVzorec));
    qInstallMessageHandler(obravnava);
    if (datoteka.isEmpty())
        return;
    auto* f = new QFile(datoteka);
#ifdef Q_OS_UNIX
    // The log is a regular file of its own: never followed through a symbolic link,
    // never waited on as a FIFO (O_NONBLOCK, then refused by its type), created
    // readable by its owner only, and only ever appended to.
    const int fd = ::open(QFile::encodeName(datoteka).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    QString razlog;
    struct stat st {};
    if (fd < 0)
        razlog = errno == ELOOP ? QStringLiteral("pot je simbolna povezava; dnevnik mora biti navadna datoteka")
                                : qt_error_string(errno);
    else if (::fstat(fd, &st) != 0)
        razlog = qt_error_string(errno);
    else if (!S_ISREG(st.st_mode))
        razlog = QStringLiteral("pot ni navadna datoteka");
    if (razlog.isEmpty()) {
        // A log an earlier version made readable by everyone is closed to others.
        if ((st.st_mode & 077) != 0 && st.st_uid == ::geteuid() && ::fchmod(fd, st.st_mode & 0700) != 0)
            razlog = qt_error_string(errno);
        const int zastavice = ::fcntl(fd, F_GETFL);
        if (razlog.isEmpty() && (zastavice < 0 || ::fcntl(fd, F_SETFL, zastavice & ~O_NONBLOCK) != 0))
            razlog = qt_error_string(errno);
    }
    if (razlog.isEmpty() && !f->open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle))
        razlog = f->errorString();
    if (!razlog.isEmpty()) {
        if (fd >= 0 && !f->isOpen())
            ::close(fd);
        delete f;
        qCWarning(lcApp).noquote() << "Dnevnika ne morem odpreti:" << datoteka << "-" << razlog;
        return;
    }
#else
    if (!f->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        const QString razlog = f->errorString();
        delete f;
        qCWarning(lcApp).noquote() << "Dnevnika ne morem odpreti:" << datoteka << "-" << razlog;
        return;
    }
#endif
    QMutexLocker zaklep(&g_zaklep);
    g_datoteka = f;
}

} // namespace belezenje

#include "belezenje.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <cstdio>

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

const char* imeVrste(QtMsgType vrsta)
{
    switch (vrsta) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "warning";
}

void obravnava(QtMsgType vrsta, const QMessageLogContext& kontekst, const QString& besedilo)
{
    const QByteArray v = belezenje::vrstica(vrsta, kontekst.category ? kontekst.category : "default", besedilo)
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

QString vrstica(QtMsgType vrsta, const char* kategorija, const QString& besedilo)
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + u' '
           + QString::fromLatin1(kategorija) + u' ' + QString::fromLatin1(imeVrste(vrsta))
           + QStringLiteral(": ") + besedilo;
}

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
    qInstallMessageHandler(obravnava);
    if (datoteka.isEmpty())
        return;
    auto* f = new QFile(datoteka);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        const QString razlog = f->errorString();
        delete f;
        qCWarning(lcApp).noquote() << "Dnevnika ne morem odpreti:" << datoteka << "-" << razlog;
        return;
    }
    QMutexLocker zaklep(&g_zaklep);
    g_datoteka = f;
}

} // namespace belezenje

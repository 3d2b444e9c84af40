#include "batchpomoc.h"

#include <QProcess>
#include <QProcessEnvironment>

IzidBatch zazeniBatch(const TestnaBaza& baza, QStringList argumenti)
{
    if (!baza.uporabnik().isEmpty())
        argumenti << QStringLiteral("--user") << baza.uporabnik() << QStringLiteral("--password") << baza.geslo();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("sl_SI.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LEDGXFER_BUILD_DIR "/ledgxfer-batch"), argumenti);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString besediloPdf(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

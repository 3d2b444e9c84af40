#include "batch.h"

QString programBatch() { return QStringLiteral(LEDGXFER_BUILD_DIR "/ledgxfer-batch"); }

IzidBatch izidBatch(QProcess& p)
{
    return {p.exitStatus() == QProcess::NormalExit && p.state() == QProcess::NotRunning ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

IzidBatch zazeniBatch(const QStringList& argumenti, const QProcessEnvironment& okolje)
{
    QProcess p;
    p.setProcessEnvironment(okolje);
    p.start(programBatch(), argumenti);
    p.closeWriteChannel();
    p.waitForFinished(300000);
    return izidBatch(p);
}

IzidBatch zazeniBatch(const TestnaBaza& baza, QStringList argumenti)
{
    if (!baza.uporabnik().isEmpty())
        argumenti << QStringLiteral("--user") << baza.uporabnik() << QStringLiteral("--password") << baza.geslo();
    QProcessEnvironment okolje = QProcessEnvironment::systemEnvironment();
    okolje.insert(QStringLiteral("LC_ALL"), QStringLiteral("sl_SI.UTF-8"));
    return zazeniBatch(argumenti, okolje);
}

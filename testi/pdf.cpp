#include "pdf.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// Standard output of a poppler tool run on the file.
QByteArray poppler(const QString& orodje, const QStringList& argumenti)
{
    QProcess p;
    p.start(orodje, argumenti);
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

} // namespace

bool imaPdftotext() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

QString besediloPdf(const QString& pdf)
{
    return QString::fromUtf8(
        poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
}

QString podatkiPdf(const QString& pdf) { return QString::fromUtf8(poppler(QStringLiteral("pdfinfo"), {pdf})); }

QList<BesedaPdf> besedePdf(const QString& pdf, QList<QSizeF>* strani)
{
    const QString izhod = pdf + QStringLiteral(".html");
    poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, izhod});
    QFile f(izhod);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(f.readAll());
    static const QRegularExpression reStran(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression reBeseda(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    QList<BesedaPdf> besede;
    int stran = 0;
    qsizetype i = 0;
    for (;;) {
        const QRegularExpressionMatch s = reStran.match(html, i);
        const QRegularExpressionMatch b = reBeseda.match(html, i);
        if (s.hasMatch() && (!b.hasMatch() || s.capturedStart() < b.capturedStart())) {
            ++stran;
            if (strani)
                strani->append(QSizeF(s.captured(1).toDouble(), s.captured(2).toDouble()));
            i = s.capturedEnd();
        } else if (b.hasMatch()) {
            QString t = b.captured(5);
            t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            besede.append({t, b.captured(1).toDouble(), b.captured(2).toDouble(), b.captured(3).toDouble(),
                           b.captured(4).toDouble(), stran});
            i = b.capturedEnd();
        } else {
            break;
        }
    }
    return besede;
}

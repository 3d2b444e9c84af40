// Opens the preview of one transfer's journal as "&Izpis" opens it (over the shared
// result the grid holds) and measures, on the offscreen platform:
//   - the time from the command to the first page on the screen,
//   - the time until every page is laid out,
//   - the longest time the event loop did not answer while the pages were laid out,
//   - the time to print the whole preview to a PDF file, and the longest stall then,
//   - the peak memory of the process.
//
//   bench_predogled ALIASES ALIAS TRANSFER PDF
//
// The book is the one bench/predogled.sh makes; the script runs `ledgxfer-batch
// journal` on the same transfer in the same sitting for comparison.

#include "dnevnik.h"
#include "jezik.h"
#include "povezava.h"
#include "pregled.h"
#include "register.h"
#include "rezultat.h"
#include "tform4.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

long vrhPomnilnikaMb()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    jezik::namesti();
    if (argc < 5) {
        std::fprintf(stderr, "uporaba: bench_predogled ALIASES ALIAS PRENOS PDF\n");
        return 2;
    }
    const QString aliasi = QString::fromLocal8Bit(argv[1]);
    const QString alias = QString::fromLocal8Bit(argv[2]);
    const qint64 prenos = QByteArray(argv[3]).toLongLong();
    const QString pdf = QString::fromLocal8Bit(argv[4]);
    if (const QString napaka = povezava::odpri(alias, alias, {}, {}, Aliasi::preberi(aliasi)); !napaka.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(napaka));
        return 1;
    }
    // The transfer's postings as the review panel loads them into the grid: its range
    // from the register.
    QSqlQuery q(povezava::zaIme(alias));
    q.prepare(QStringLiteral("SELECT DATUM1, DATUM2 FROM LEDGXFER WHERE STPRENOSA = ?"));
    q.addBindValue(prenos);
    if (!q.exec() || !q.next()) {
        std::fprintf(stderr, "transfer %lld is not in the register\n", prenos);
        return 1;
    }
    const QVariantMap parametri{{QStringLiteral("DATUM1"), QDate::fromString(q.value(0).toString(), Qt::ISODate)},
                                {QStringLiteral("DATUM2"), QDate::fromString(q.value(1).toString(), Qt::ISODate)}};
    QElapsedTimer t;
    t.start();
    Rezultat Q1;
    Q1.odpri(povezava::zaIme(alias), stavekKnjizbPrenosa(prenos), parametri);
    const int vrstic = Q1.steviloVrstic();
    const qint64 nalaganje = t.elapsed();
    const long poNalaganjuMb = vrhPomnilnikaMb();

    // The event loop's pulse: a timer that fires as often as the loop lets it; the
    // longest gap between two pulses is the longest stall.
    QElapsedTimer utrip;
    qint64 zadnji = -1, najdaljsi = 0;
    bool merim = false;
    QTimer pulz;
    pulz.setInterval(1);
    QObject::connect(&pulz, &QTimer::timeout, [&] {
        const qint64 zdaj = utrip.nsecsElapsed();
        if (merim && zadnji >= 0)
            najdaljsi = std::max(najdaljsi, zdaj - zadnji);
        zadnji = zdaj;
    });

    qint64 prvaStran = -1, vseStrani = -1, tisk = -1, zastojPriprave = 0, zastojTiska = 0;
    int strani = 0;
    TForm4 form4;
    QElapsedTimer ukaz;
    const auto prikazi = [&](QDialog& d) {
        if (d.objectName() == u"tiskanje") {
            auto& tiskanje = static_cast<QPrintDialog&>(d);
            tiskanje.printer()->setOutputFormat(QPrinter::PdfFormat);
            tiskanje.printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        }
        d.show();
        auto* list = d.findChild<QLabel*>(QStringLiteral("lblList"));
        auto* stevec = d.findChild<QLabel*>(QStringLiteral("lblStrani"));
        utrip.start();
        zadnji = -1;
        merim = true;
        pulz.start();
        QEventLoop zanka;
        QTimer gledam;
        gledam.setInterval(1);
        QObject::connect(&gledam, &QTimer::timeout, [&] {
            if (prvaStran < 0 && !list->pixmap().isNull())
                prvaStran = ukaz.elapsed();
            if (!stevec->text().isEmpty() && !stevec->text().endsWith(QStringLiteral("...")))
                zanka.quit();
        });
        gledam.start();
        zanka.exec();
        vseStrani = ukaz.elapsed();
        zastojPriprave = najdaljsi;
        najdaljsi = 0;
        zadnji = -1;
        strani = d.findChild<QSpinBox*>(QStringLiteral("sbStran"))->maximum();
        QElapsedTimer tiskanje;
        tiskanje.start();
        d.findChild<QPushButton*>(QStringLiteral("btnNatisni"))->click();
        tisk = tiskanje.elapsed();
        merim = false;
        pulz.stop();
        zastojTiska = najdaljsi;
        return int(QDialog::Accepted);
    };
    ukaz.start();
    form4.izpis(Q1, QStringLiteral("1"), QStringLiteral("bench"), prikazi);

    std::printf("postings %d (loaded into the shared result in %.2f s, %ld MB), %d pages\n", vrstic, nalaganje / 1000.0,
                poNalaganjuMb, strani);
    std::printf("first page %.3f s, every page laid out %.2f s, longest event-loop stall %.1f ms\n", prvaStran / 1000.0,
                vseStrani / 1000.0, zastojPriprave / 1e6);
    std::printf("preview printed to PDF %.2f s (%lld kB), longest event-loop stall while printing %.1f ms\n",
                tisk / 1000.0, QFileInfo(pdf).size() / 1024, zastojTiska / 1e6);
    std::printf("peak memory %ld MB\n", vrhPomnilnikaMb());
    povezava::zapriVse();
    return prvaStran >= 0 && QFileInfo(pdf).size() > 0 ? 0 : 1;
}

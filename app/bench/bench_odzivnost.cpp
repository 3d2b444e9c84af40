// How long the main window stops answering during a transfer (not a test): the
// window's own transfer, started with its button on a real book, while a timer that
// should fire every 5 ms measures the gaps of the event loop. Reports the longest
// gap under each text of the status line, and the whole run's time.
//
//   LEDGXFER_ALIASES=aliases.ini bench_odzivnost ALIAS OD DO IZHOD [PONOVI]
//   (OD, DO: YYYY-MM-DD; the save dialog answers IZHOD, a question about registered
//   transfers is answered yes; PONOVI: the number of a transfer to repeat; on a server
//   the login takes LEDGXFER_PG_USER and LEDGXFER_PG_PASSWORD)

#include "belezenje.h"
#include "jezik.h"
#include "okna.h"
#include "poljedatuma.h"
#include "storitveokna.h"
#include "tform1.h"
#include "tform6.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class Storitve : public StoritveOkna {
public:
    QString izhod;
    int prikaziModalno(QDialog& d) override
    {
        if (auto* f6 = qobject_cast<TForm6*>(&d))
            f6->eIniciator()->setText(QStringLiteral("Merjenje"));

        return QDialog::Accepted;
    }
    void sporocilo(QWidget*, const QString& b) override { std::printf("sporočilo: %s\n", qPrintable(b)); }
    bool vprasanje(QWidget*, const QString&) override { return true; }
    std::optional<QString> shraniDatoteko(QWidget*, const DialogShrani&) override { return izhod; }
    void koncaj() override {}
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "uporaba: bench_odzivnost ALIAS OD DO IZHOD [PONOVI]\n");
        return 2;
    }
    QApplication app(argc, argv);
    jezik::namesti();
    Storitve storitve;
    storitve.izhod = QString::fromLocal8Bit(argv[4]);
    const Okna okna = ustvariOkna({QString::fromLocal8Bit(argv[1]), qEnvironmentVariable("LEDGXFER_PG_USER"),
                                   qEnvironmentVariable("LEDGXFER_PG_PASSWORD")},
                                  storitve);
    TForm1* f = okna.Form1;
    f->show();
    f->AppActivate();
    f->findChild<PoljeDatuma*>(QStringLiteral("Datum1"))
        ->setDate(QDate::fromString(QString::fromLatin1(argv[2]), Qt::ISODate));
    f->findChild<PoljeDatuma*>(QStringLiteral("Datum2"))
        ->setDate(QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate));
    f->findChild<QLineEdit*>(QStringLiteral("eStevilkaPrenosa"))
        ->setText(argc == 6 ? QString::fromLatin1(argv[5]) : QString());

    auto* status = f->findChild<QLabel*>(QStringLiteral("lblOpozorilo"));
    QMap<QString, qint64> najdaljsi; // status text: longest gap in ms
    QElapsedTimer ura;
    qint64 zadnji = 0;
    // A gap counts under the status line that the window showed while it stood still
    // (the one seen at the tick before the gap).
    QString prejsnji = QStringLiteral("(brez statusa)");
    QTimer merilnik;
    merilnik.setTimerType(Qt::PreciseTimer);
    QObject::connect(&merilnik, &QTimer::timeout, [&] {
        const qint64 zdaj = ura.elapsed();
        najdaljsi[prejsnji] = std::max(najdaljsi.value(prejsnji), zdaj - zadnji);
        zadnji = zdaj;
        prejsnji = status->isHidden() ? QStringLiteral("(brez statusa)") : status->text();
    });
    QTimer::singleShot(0, f, [&] {
        ura.start();
        merilnik.start(5);
        f->findChild<QPushButton*>(QStringLiteral("btnPrenosMesecnih"))->click();
        const qint64 skupaj = ura.elapsed();
        merilnik.stop();
        std::printf("čas prenosa: %.2f s\nnajdaljši zastoj zanke dogodkov po statusu:\n", skupaj / 1000.0);
        for (auto it = najdaljsi.cbegin(); it != najdaljsi.cend(); ++it)
            std::printf("  %6lld ms  %s\n", static_cast<long long>(it.value()), qPrintable(it.key()));
        QCoreApplication::exit(0);
    });
    return app.exec();
}

#include "predogled.h"

#include "belezenje.h"
#include "izris.h"
#include "izhodnadatoteka.h"
#include "shrambastrani.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QEventLoop>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScopeGuard>
#include <QScrollBar>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr double kMmNaPalec = 25.4;
// One slice of the layout takes about this long before the event loop has its turn.
constexpr qint64 kRezinaMs = 15;
// Rows placed between two looks at the clock.
constexpr qint64 kVrsticNaKorak = 64;

// The zoom choices: the whole page, the page's width, or a fixed scale (1 = the paper's
// own size on the screen).
struct Povecava {
    enum class Nacin { CelaStran, SirinaStrani, Stalna };
    Nacin nacin = Nacin::CelaStran;
    double faktor = 1;
};

const double kStalne[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};

// A scale as the zoom shows it: whole percent, a blank before the sign, as Slovenian
// texts write it ("52 %").
QString besediloPovecave(double faktor) { return QString::number(qRound(faktor * 100)) + QStringLiteral(" %"); }

// The preview window: the report's pages, laid out in slices while the window answers,
// drawn one at a time as the operator pages to them, and printed from the pages kept.
class OknoPredogleda : public QDialog {
public:
    OknoPredogleda(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars,
                   const std::function<int(QDialog&)>& prikazi, const std::function<void(const QString&)>& stanje,
                   const QDateTime& zdaj, const IzhodPredogleda& izhod)
        : QDialog(stars), m_p(porocilo), m_vir(vir), m_prikazi(prikazi), m_stanje(stanje), m_zdaj(zdaj), m_izhod(izhod)
    {
        setObjectName(QStringLiteral("predogled"));
        setWindowTitle(porocilo.naslov.isEmpty() ? QStringLiteral("Predogled") : porocilo.naslov);
        setSizeGripEnabled(true);
        zgradi();
        resize(900, 700);
        // The layout starts as soon as the window's event loop runs: the window shows
        // itself first, then the first page as soon as it is laid out.
        m_postavljanje = std::make_unique<Postavljanje>(m_p, m_vir, m_zdaj, [this](const Stran& s) { novaStran(s); });
        m_rezina.setSingleShot(true);
        m_rezina.setInterval(0);
        connect(&m_rezina, &QTimer::timeout, this, [this] { nadaljuj(); });
        zacniPripravo();
    }

    ~OknoPredogleda() override { koncajPripravo(); }

    void done(int r) override
    {
        // Closing the preview stops the layout where it is, and a print under way.
        koncajPripravo();
        if (m_ustaviTisk)
            m_ustaviTisk();
        QDialog::done(r);
    }

private:
    void zgradi()
    {
        auto* ukazi = new QHBoxLayout;
        auto gumb = [&](const char* ime, const QString& besedilo, const QString& namig) {
            auto* g = new QPushButton(besedilo, this);
            g->setObjectName(QString::fromLatin1(ime));
            g->setToolTip(namig);
            g->setAutoDefault(false);
            ukazi->addWidget(g);
            return g;
        };
        m_natisni = gumb("btnNatisni", QStringLiteral("&Natisni ..."), QStringLiteral("Natisni poročilo"));
        ukazi->addSpacing(12);
        m_prva = gumb("btnPrva", QStringLiteral("|<"), QStringLiteral("Prva stran"));
        m_prejsnja = gumb("btnPrejsnja", QStringLiteral("<"), QStringLiteral("Prejšnja stran"));
        m_stran = new QSpinBox(this);
        m_stran->setObjectName(QStringLiteral("sbStran"));
        m_stran->setRange(1, 1);
        m_stran->setKeyboardTracking(false);
        m_stran->setToolTip(QStringLiteral("Stran"));
        ukazi->addWidget(m_stran);
        m_strani = new QLabel(this);
        m_strani->setObjectName(QStringLiteral("lblStrani"));
        ukazi->addWidget(m_strani);
        m_naslednja = gumb("btnNaslednja", QStringLiteral(">"), QStringLiteral("Naslednja stran"));
        m_zadnja = gumb("btnZadnja", QStringLiteral(">|"), QStringLiteral("Zadnja stran"));
        ukazi->addSpacing(12);
        m_pomanjsaj = gumb("btnPomanjsaj", QStringLiteral("-"), QStringLiteral("Pomanjšaj"));
        m_izbiraPovecave = new QComboBox(this);
        m_izbiraPovecave->setObjectName(QStringLiteral("cbPovecava"));
        m_izbiraPovecave->addItem(QStringLiteral("Cela stran"));
        m_izbiraPovecave->addItem(QStringLiteral("Širina strani"));
        for (double f : kStalne)
            m_izbiraPovecave->addItem(besediloPovecave(f), f);
        m_izbiraPovecave->setToolTip(QStringLiteral("Povečava"));
        ukazi->addWidget(m_izbiraPovecave);
        m_povecaj = gumb("btnPovecaj", QStringLiteral("+"), QStringLiteral("Povečaj"));
        m_povecava = new QLabel(this);
        m_povecava->setObjectName(QStringLiteral("lblPovecava"));
        m_povecava->setMinimumWidth(48);
        ukazi->addWidget(m_povecava);
        ukazi->addStretch(1);
        m_napredek = new QProgressBar(this);
        m_napredek->setObjectName(QStringLiteral("pbPriprava"));
        m_napredek->setMaximumWidth(160);
        m_napredek->setFormat(QStringLiteral("%p %"));
        ukazi->addWidget(m_napredek);
        m_zapri = gumb("btnZapri", QStringLiteral("&Zapri"), QStringLiteral("Zapri predogled"));

        m_list = new QLabel;
        m_list->setObjectName(QStringLiteral("lblList"));
        m_list->setAlignment(Qt::AlignCenter);
        m_pogled = new QScrollArea(this);
        m_pogled->setObjectName(QStringLiteral("saStran"));
        m_pogled->setAlignment(Qt::AlignCenter);
        m_pogled->setBackgroundRole(QPalette::Dark);
        m_pogled->setWidget(m_list);
        m_pogled->setWidgetResizable(false);

        auto* glavna = new QVBoxLayout(this);
        glavna->addLayout(ukazi);
        glavna->addWidget(m_pogled, 1);

        connect(m_prva, &QPushButton::clicked, this, [this] { m_stran->setValue(1); });
        connect(m_prejsnja, &QPushButton::clicked, this, [this] { m_stran->setValue(m_stran->value() - 1); });
        connect(m_naslednja, &QPushButton::clicked, this, [this] { m_stran->setValue(m_stran->value() + 1); });
        connect(m_zadnja, &QPushButton::clicked, this, [this] { m_stran->setValue(m_stran->maximum()); });
        connect(m_stran, &QSpinBox::valueChanged, this, [this] { prikaziStran(); });
        connect(m_izbiraPovecave, &QComboBox::activated, this, [this](int i) {
            if (i == 0)
                m_povecavaNacin = {Povecava::Nacin::CelaStran, 1};
            else if (i == 1)
                m_povecavaNacin = {Povecava::Nacin::SirinaStrani, 1};
            else
                m_povecavaNacin = {Povecava::Nacin::Stalna, m_izbiraPovecave->itemData(i).toDouble()};
            prikaziStran();
        });
        connect(m_povecaj, &QPushButton::clicked, this, [this] { korakPovecave(+1); });
        connect(m_pomanjsaj, &QPushButton::clicked, this, [this] { korakPovecave(-1); });
        connect(m_natisni, &QPushButton::clicked, this, [this] { natisni(); });
        connect(m_zapri, &QPushButton::clicked, this, [this] { accept(); });
        osveziUkaze();
    }

    // ---- the layout in slices ----

    void zacniPripravo()
    {
        m_pripravlja = true;
        QApplication::setOverrideCursor(Qt::BusyCursor);
        if (m_stanje)
            m_stanje(QStringLiteral("Priprava izpisa ..."));
        m_napredek->setRange(0, 0);
        m_napredek->show();
        osveziUkaze();
        m_rezina.start();
    }

    // Ends the preparation: at the last page, or when the window closes before it.
    void koncajPripravo()
    {
        m_rezina.stop();
        if (!m_pripravlja)
            return;
        m_pripravlja = false;
        if (m_stanje)
            m_stanje(QString());
        QApplication::restoreOverrideCursor();
        if (m_napredek)
            m_napredek->hide();
        if (m_koncanaPriprava)
            m_koncanaPriprava();
    }

    void nadaljuj()
    {
        if (!m_pripravlja)
            return;
        QElapsedTimer cas;
        cas.start();
        const int prej = m_shramba.steviloStrani();
        bool konec = false;
        try {
            do {
                konec = m_postavljanje->korak(kVrsticNaKorak);
                // The first page is shown as soon as it is ready.
                if (prej == 0 && m_shramba.steviloStrani() > 0)
                    break;
            } while (!konec && cas.elapsed() < kRezinaMs);
        } catch (const std::exception& e) {
            qCWarning(lcReport).noquote() << "priprava izpisa se je ustavila:" << e.what();
            koncajPripravo();
            sporoci(QStringLiteral("Izpisa ni mogoče pripraviti: ") + QString::fromUtf8(e.what()));
            return;
        }
        if (m_vrstic < 0)
            m_vrstic = m_vir.steviloVrstic();
        if (konec)
            koncajPripravo();
        else
            m_rezina.start();
        osveziStrani(prej);
    }

    void novaStran(const Stran& s) { m_shramba.dodaj(s); }

    // ---- showing ----

    void osveziStrani(int prej)
    {
        const int strani = m_shramba.steviloStrani();
        m_stran->blockSignals(true);
        m_stran->setRange(strani > 0 ? 1 : 0, std::max(strani, 1));
        m_stran->blockSignals(false);
        m_strani->setText(m_pripravlja ? QStringLiteral("od %1 ...").arg(strani) : QStringLiteral("od %1").arg(strani));
        if (m_pripravlja && m_vrstic > 0) {
            m_napredek->setRange(0, 1000);
            m_napredek->setValue(int(1000 * m_postavljanje->vrstic() / m_vrstic));
        }
        if (prej == 0 && strani > 0)
            prikaziStran();
        osveziUkaze();
    }

    void osveziUkaze()
    {
        const int strani = m_shramba.steviloStrani();
        const int i = m_stran->value();
        m_prva->setEnabled(strani > 0 && i > 1);
        m_prejsnja->setEnabled(strani > 0 && i > 1);
        m_naslednja->setEnabled(i < strani);
        m_zadnja->setEnabled(i < strani);
        m_natisni->setEnabled((strani > 0 || m_pripravlja) && !m_tiska);
    }

    // The scale at which the page is drawn now.
    double faktor() const
    {
        const QSizeF mm = m_p.velikostMm();
        const double dpi = logicalDpiX();
        const double sirina = mm.width() / kMmNaPalec * dpi;
        const double visina = mm.height() / kMmNaPalec * logicalDpiY();
        const QSize prostor = m_pogled->viewport()->size() - QSize(16, 16);
        switch (m_povecavaNacin.nacin) {
        case Povecava::Nacin::CelaStran:
            return std::max(0.05, std::min(prostor.width() / sirina, prostor.height() / visina));
        case Povecava::Nacin::SirinaStrani:
            return std::max(0.05, (prostor.width() - m_pogled->verticalScrollBar()->sizeHint().width()) / sirina);
        case Povecava::Nacin::Stalna: break;
        }
        return m_povecavaNacin.faktor;
    }

    void korakPovecave(int smer)
    {
        const double f = faktor();
        double nov = f;
        if (smer > 0) {
            nov = kStalne[std::size(kStalne) - 1];
            for (double s : kStalne)
                if (s > f + 1e-6) {
                    nov = s;
                    break;
                }
        } else {
            nov = kStalne[0];
            for (double s : kStalne)
                if (s < f - 1e-6)
                    nov = s;
        }
        m_povecavaNacin = {Povecava::Nacin::Stalna, nov};
        prikaziStran();
    }

    // Draws the current page at the current scale: only this page is drawn, from the
    // kept layout, whatever the number of pages.
    void prikaziStran()
    {
        osveziUkaze();
        const int strani = m_shramba.steviloStrani();
        const double f = faktor();
        m_povecava->setText(besediloPovecave(f));
        // The choice shows the mode in force, or the fixed scale.
        int izbira = m_povecavaNacin.nacin == Povecava::Nacin::CelaStran ? 0 : 1;
        if (m_povecavaNacin.nacin == Povecava::Nacin::Stalna)
            izbira = m_izbiraPovecave->findData(m_povecavaNacin.faktor);
        m_izbiraPovecave->setCurrentIndex(izbira);
        if (strani == 0)
            return;
        const int i = std::clamp(m_stran->value(), 1, strani) - 1;
        const qreal razmerje = devicePixelRatioF();
        const double dpi = logicalDpiX() * f * razmerje;
        const QSizeF mm = m_p.velikostMm();
        QImage slika(
            QSize(int(std::ceil(mm.width() / kMmNaPalec * dpi)), int(std::ceil(mm.height() / kMmNaPalec * dpi))),
            QImage::Format_RGB32);
        slika.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
        slika.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
        slika.fill(Qt::white);
        // The fonts and glyphs of a scale are kept while the scale stays, on a device of
        // their own that lives as long as they do.
        if (!m_risar || m_risarDpi != slika.logicalDpiX()) {
            m_risar.reset();
            m_risarNaprava = QImage(1, 1, QImage::Format_RGB32);
            m_risarNaprava.setDotsPerMeterX(slika.dotsPerMeterX());
            m_risarNaprava.setDotsPerMeterY(slika.dotsPerMeterY());
            m_risar = std::make_unique<RisarStrani>(m_p, &m_risarNaprava);
            m_risarDpi = slika.logicalDpiX();
        }
        {
            QPainter slikar(&slika);
            slikar.setRenderHint(QPainter::Antialiasing);
            slikar.setRenderHint(QPainter::TextAntialiasing);
            m_risar->narisi(slikar, m_shramba.stran(i));
        }
        QPixmap pm = QPixmap::fromImage(slika);
        pm.setDevicePixelRatio(razmerje);
        m_list->setPixmap(pm);
        m_list->resize(pm.deviceIndependentSize().toSize());
    }

    void resizeEvent(QResizeEvent* e) override
    {
        QDialog::resizeEvent(e);
        if (m_povecavaNacin.nacin != Povecava::Nacin::Stalna && m_shramba.steviloStrani() > 0)
            prikaziStran();
    }

    void sporoci(const QString& b)
    {
        if (m_izhod.sporocilo)
            m_izhod.sporocilo(b);
        else
            QMessageBox::warning(this, windowTitle(), b);
    }

    // ---- printing ----

    void natisni()
    {
        QPrinter tiskalnik(QPrinter::HighResolution);
        tiskalnik.setFullPage(true);
        tiskalnik.setDocName(m_p.naslov);
        tiskalnik.setCreator(QStringLiteral("ledgxfer"));
        // The dialogs start with the report's own paper and orientation.
        pripraviNapravo(tiskalnik, m_p);
        QPrintDialog dialog(&tiskalnik, this);
        dialog.setObjectName(QStringLiteral("tiskanje"));
        dialog.setWindowTitle(QStringLiteral("Tiskanje"));
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
        dialog.setMinMax(1, m_pripravlja ? std::numeric_limits<int>::max() : std::max(1, m_shramba.steviloStrani()));
        const int odgovor = m_prikazi ? m_prikazi(dialog) : dialog.exec();
        if (odgovor != QDialog::Accepted)
            return;
        // Printed to a file: the file is opened only when the painting begins, so a
        // refused one is never touched.
        if (const QString datoteka = tiskalnik.outputFileName(); !datoteka.isEmpty() && m_izhod.zavrni) {
            if (const std::optional<QString> zakaj = m_izhod.zavrni(datoteka)) {
                const QString b = QStringLiteral("Ne morem pisati v datoteko ") + datoteka + u'\n' + *zakaj;
                qCWarning(lcReport).noquote() << b;
                sporoci(b);
                return;
            }
        }
        // Every page is printed: what is not laid out yet is laid out first, the window
        // answering meanwhile.
        if (m_pripravlja) {
            QEventLoop cakam;
            m_koncanaPriprava = [&cakam] { cakam.quit(); };
            cakam.exec();
            m_koncanaPriprava = nullptr;
            if (m_pripravlja || !m_postavljanje->konec()) {
                qCInfo(lcReport).noquote() << "tiskanje opuščeno: predogled je bil zaprt med pripravo strani";
                return;
            }
        }
        const int strani = m_shramba.steviloStrani();
        int od = 1, dokonca = strani;
        if (tiskalnik.printRange() == QPrinter::PageRange) {
            od = std::max(1, tiskalnik.fromPage());
            dokonca = std::min(strani, tiskalnik.toPage());
        } else if (tiskalnik.printRange() == QPrinter::CurrentPage) {
            od = dokonca = std::clamp(m_stran->value(), 1, std::max(1, strani));
        }
        if (tiskalnik.outputFormat() == QPrinter::PdfFormat && !tiskalnik.outputFileName().isEmpty())
            natisniVPdf(tiskalnik, od, dokonca);
        else
            natisniNa(tiskalnik, tiskalnik, od, dokonca);
    }

    // A PDF file is written as every output file of the program: it replaces the
    // previous file only when it is complete, so a failed or stopped print leaves it.
    void natisniVPdf(const QPrinter& tiskalnik, int od, int dokonca)
    {
        const QString pot = tiskalnik.outputFileName();
        IzhodnaDatoteka datoteka(pot);
        if (!datoteka.odpri()) {
            const QString b = QStringLiteral("Ne morem pisati v datoteko ") + pot + u'\n' + datoteka.razlog();
            qCWarning(lcReport).noquote() << b;
            sporoci(b);
            return;
        }
        bool narisano = false;
        {
            QPdfWriter pdf(datoteka.naprava());
            pdf.setResolution(600);
            pdf.setTitle(m_p.naslov);
            pdf.setCreator(QStringLiteral("ledgxfer"));
            pdf.setPageLayout(tiskalnik.pageLayout());
            narisano = natisniNa(pdf, tiskalnik, od, dokonca);
        }
        if (!narisano)
            return;
        if (!datoteka.potrdi()) {
            const QString b = QStringLiteral("Ne morem pisati v datoteko ") + pot + u'\n' + datoteka.razlog();
            qCWarning(lcReport).noquote() << b;
            sporoci(b);
        }
    }

    // Draws pages od..dokonca on the device on a thread of its own, each onto the sheet
    // the device has, while the window shows how far it has come. False when the device
    // could not be painted on or the window was closed meanwhile.
    bool natisniNa(QPagedPaintDevice& naprava, const QPrinter& tiskalnik, int od, int dokonca)
    {
        std::atomic<int> natisnjenih{0};
        std::atomic<bool> ustavi{false};
        bool zacel = false;
        const QPageLayout postavitev = naprava.pageLayout();
        const int dpi = naprava.logicalDpiX();
        std::unique_ptr<QThread> risar(QThread::create([&] {
            QPainter slikar;
            if (!slikar.begin(&naprava))
                return;
            zacel = true;
            // The report's page goes onto the chosen sheet whole: scaled down and centred
            // when the sheet is smaller or turned the other way, never cut.
            const QTransform t =
                naList(m_p.velikostMm(), postavitev.fullRectPixels(dpi), naprava.logicalDpiX(), naprava.logicalDpiY());
            const RisarStrani risanje(m_p, &naprava);
            for (int i = od; i <= dokonca && !ustavi; ++i) {
                if (i > od)
                    naprava.newPage();
                slikar.setTransform(t);
                risanje.narisi(slikar, m_shramba.stran(i - 1));
                ++natisnjenih;
            }
            slikar.end();
        }));
        m_tiska = true;
        m_ustaviTisk = [&ustavi] { ustavi = true; };
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_napredek->setRange(0, std::max(1, dokonca - od + 1));
        m_napredek->setValue(0);
        m_napredek->show();
        m_natisni->setEnabled(false);
        QEventLoop cakam;
        QTimer pogled;
        pogled.setInterval(50);
        QObject::connect(&pogled, &QTimer::timeout, &cakam, [&] { m_napredek->setValue(natisnjenih); });
        QObject::connect(risar.get(), &QThread::finished, &cakam, &QEventLoop::quit);
        pogled.start();
        risar->start();
        cakam.exec();
        risar->wait();
        m_ustaviTisk = nullptr;
        m_tiska = false;
        QApplication::restoreOverrideCursor();
        m_napredek->hide();
        osveziUkaze();
        if (!zacel) {
            const QString b = QStringLiteral("Izpisa ni mogoče natisniti: tiskalnik ni pripravljen.");
            qCWarning(lcReport).noquote() << b << tiskalnik.printerName() << tiskalnik.outputFileName();
            sporoci(b);
            return false;
        }
        if (ustavi) {
            qCInfo(lcReport).noquote() << "tiskanje ustavljeno, ker je bil predogled zaprt; natisnjenih strani:"
                                       << int(natisnjenih);
            return false;
        }
        return true;
    }

    const Porocilo& m_p;
    VirVrstic& m_vir;
    std::function<int(QDialog&)> m_prikazi;
    std::function<void(const QString&)> m_stanje;
    QDateTime m_zdaj;
    IzhodPredogleda m_izhod;

    std::unique_ptr<Postavljanje> m_postavljanje;
    ShrambaStrani m_shramba;
    QTimer m_rezina;
    bool m_pripravlja = false;
    qint64 m_vrstic = -1;
    std::function<void()> m_koncanaPriprava; // a print that waits for the last page
    bool m_tiska = false;
    std::function<void()> m_ustaviTisk;

    Povecava m_povecavaNacin;
    QImage m_risarNaprava;
    std::unique_ptr<RisarStrani> m_risar;
    int m_risarDpi = 0;

    QPushButton *m_natisni = nullptr, *m_prva = nullptr, *m_prejsnja = nullptr, *m_naslednja = nullptr,
                *m_zadnja = nullptr, *m_pomanjsaj = nullptr, *m_povecaj = nullptr, *m_zapri = nullptr;
    QSpinBox* m_stran = nullptr;
    QLabel *m_strani = nullptr, *m_povecava = nullptr, *m_list = nullptr;
    QComboBox* m_izbiraPovecave = nullptr;
    QProgressBar* m_napredek = nullptr;
    QScrollArea* m_pogled = nullptr;
};

} // namespace

int predogled(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars, const std::function<int(QDialog&)>& prikazi,
              const std::function<void(const QString&)>& stanje, const QDateTime& zdaj, const IzhodPredogleda& izhod)
{
    OknoPredogleda okno(porocilo, vir, stars, prikazi, stanje, zdaj, izhod);
    return prikazi ? prikazi(okno) : okno.exec();
}

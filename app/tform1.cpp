#include "tform1.h"
#include "ui_tform1.h"

#include "barve.h"
#include "belezenje.h"
#include "cakajoca.h"
#include "napaka.h"
#include "obsegprenosa.h"
#include "nastavitve.h"
#include "ploscapregleda.h"
#include "pregled.h"
#include "povezava.h"
#include "prijavabaze.h"
#include "oknoprenosa.h"
#include "prenos.h"
#include "rezultatmodel.h"
#include "tfgeslo.h"
#include "tform2.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "prenososb.h"
#include "tform3.h"
#include "tform7.h"
#include "zokdll.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QStyle>
#include <QUrl>

namespace {

const QString kNapisZacetek = QStringLiteral("PRENOS PODATKOV ");
const QString kNapisZagon = QStringLiteral("V GLAVNO KNJIGO (Banka Morvik d.d.)");

} // namespace

// The outside world of the engine, served by the main window's widgets.
class TForm1::OknoOkolje : public Okolje {
public:
    explicit OknoOkolje(TForm1& f) : m_f(f) {}

    void sporocilo(const QString& besedilo) override { m_f.m_storitve.sporocilo(&m_f, besedilo); }
    bool vprasanje(const QString& besedilo) override
    {
        // Once the program is ending nobody is asked: the answer is no.
        if (m_f.m_konecAplikacije)
            return false;
        return m_f.m_storitve.vprasanje(&m_f, besedilo);
    }
    void statusnaVrstica(const QString& besedilo) override
    {
        m_f.ui->lblOpozorilo->setText(besedilo);
        m_f.ui->lblOpozorilo->adjustSize();
        m_f.ui->lblOpozorilo->show();
        m_f.ui->lblOpozorilo->repaint();
    }
    void skrijStatusnoVrstico() override { m_f.ui->lblOpozorilo->hide(); }
    void prikaziNapredek(bool viden) override
    {
        m_f.ui->ProgressBar1->setVisible(viden);
        m_f.ui->lblProcenti->setVisible(viden);
    }
    void napredek(int procent) override
    {
        m_f.ui->ProgressBar1->setValue(procent);
        procentiBesedilo(QString::number(procent) + QStringLiteral(" %"));
    }
    void procentiBesedilo(const QString& b) override
    {
        m_f.ui->lblProcenti->setText(b);
        m_f.ui->lblProcenti->adjustSize();
    }
    void obdelajDogodke() override { QCoreApplication::processEvents(); }
    // A few dozen times a second at most: a statement calls back thousands of times.
    void medStavkom() override
    {
        if (m_osvezeno.isValid() && m_osvezeno.elapsed() < 40)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_osvezeno.start();
    }
    bool konecZahtevan() const override { return m_f.V.KonecZahtevan; }
    void pocistiKonec() override { m_f.V.KonecZahtevan = false; }
    void odpriVUrejevalniku(const QString& pot) override { QDesktopServices::openUrl(QUrl::fromLocalFile(pot)); }
    std::optional<QString> shraniDatoteko(const DialogShrani& d) override
    {
        if (m_f.m_konecAplikacije)
            return std::nullopt;
        return m_f.m_storitve.shraniDatoteko(&m_f, d);
    }

private:
    TForm1& m_f;
    QElapsedTimer m_osvezeno;
};

TForm1::TForm1(const QStringList& argumenti, StoritveOkna& storitve, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::TForm1), m_storitve(storitve), m_argumenti(argumenti)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm1"));
    m_okolje = new OknoOkolje(*this);

    Q1 = new Rezultat(this);
    Q1->setObjectName(QStringLiteral("Q1"));
    DataSource1 = new PodatkovniVir(Q1, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    m_model = new RezultatModel(DataSource1, this);
    ui->DBGrid1->setModel(m_model);
    ui->DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Rows one line of text high, as a data grid shows them.
    ui->DBGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(ui->DBGrid1->font()).height() + 4);
    connect(m_model, &RezultatModel::stolpciSpremenjeni, this, [this] {
        // A column is as wide as its display width, and never narrower than its title.
        const QFontMetrics fm(ui->DBGrid1->font());
        const int znak = fm.horizontalAdvance(u'0');
        QHeaderView* glava = ui->DBGrid1->horizontalHeader();
        const int robovi = 2 * glava->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, glava) + 4;
        for (int s = 0; s < m_model->columnCount(); ++s) {
            const int naslov = glava->fontMetrics().horizontalAdvance(
                                   m_model->headerData(s, Qt::Horizontal, Qt::DisplayRole).toString())
                               + robovi;
            ui->DBGrid1->setColumnWidth(s, std::max(m_model->sirinaZnakov(s) * znak + 8, naslov));
        }
    });

    // Colours of the design.
    // The menu bar keeps the desktop's colours; the client area is navy.
    barve::ozadje(ui->centralwidget, barve::navy);
    for (QLabel* l : {ui->Label2, ui->Label3, ui->Label5}) {
        barve::pisava(l, barve::bela);
        l->adjustSize(); // labels size themselves to their caption
    }
    barve::pisava(ui->lblOpozorilo, barve::rdeca);
    barve::pisava(ui->lblProcenti, barve::bela);
    barve::ozadje(ui->pnlLogo, barve::navy);
    // The review panel is a plain panel in the desktop's face colour.
    barve::ozadje(ui->pnlPonovitev, QApplication::palette().color(QPalette::Button));
    barve::pisava(ui->lblVerzija, barve::rumena);
    barve::ozadje(ui->pnlVprasanje, barve::rdeca);
    ui->lblProcenti->setText(QStringLiteral("0"));

    // The review panel's commands read and write its controls and the shared result.
    m_ploscaPregleda = new PloscaPregleda(
        {ui->eStevilkaPrenosa, ui->Datum1, ui->Datum2, ui->lblSteviloZapisov, ui->pnlVprasanje, ui->lblVprasanje,
         ui->btnOdgovorNe, ui->DBGrid1},
        *Q1, [this] { Sume(); }, [this](int tipka) { return DBGrid1KeyPress(tipka); }, this);
    m_pregled = std::make_unique<Pregled>(*Q1, *m_ploscaPregleda, okolje(), V.Baza);
    connect(ui->btnZgodovina, &QPushButton::clicked, this, [this] { ukaz([this] { btnZgodovinaClick(); }); });
    connect(ui->DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { ukaz([this] { DBGrid1DblClick(); }); });
    connect(ui->btnZadnji, &QPushButton::clicked, this, [this] { ukaz([this] { btnZadnjiClick(); }); });
    connect(ui->btnBrisiPrenos, &QPushButton::clicked, this, [this] { ukaz([this] { btnBrisiPrenosClick(); }); });
    connect(ui->btnOdgovorDa, &QPushButton::clicked, this, [this] { ukaz([this] { btnOdgovorDaClick(); }); });
    connect(ui->btnOdgovorNe, &QPushButton::clicked, this, [this] { ukaz([this] { btnOdgovorNeClick(); }); });
    connect(ui->Button1, &QPushButton::clicked, this, [this] { ukaz([this] { Button1Click(); }); });

    // Tab skips these controls.
    ui->btnPonovi->setFocusPolicy(Qt::ClickFocus);
    ui->Button1->setFocusPolicy(Qt::ClickFocus);
    ui->DBGrid1->setFocusPolicy(Qt::ClickFocus);
    ui->btnOdgovorDa->setFocusPolicy(Qt::ClickFocus);

    connect(ui->btnKonec, &QPushButton::clicked, this, [this] { ukaz([this] { btnKonecClick(); }); });
    connect(ui->btnPonovi, &QPushButton::clicked, this, [this] { ukaz([this] { btnPonoviClick(); }); });
    connect(ui->btnPrenosMesecnih, &QPushButton::clicked, this, [this] { ukaz([this] { btnPrenosMesecnihClick(); }); });
    connect(ui->btnPrenos, &QPushButton::clicked, this, [this] { ukaz([this] { btnPrenosClick(); }); });
    connect(ui->btnGrupe, &QPushButton::clicked, this, [this] { ukaz([this] { btnGrupeClick(); }); });
    connect(ui->btnIzravnave, &QPushButton::clicked, this, [this] { ukaz([this] { btnIzravnaveClick(); }); });
    connect(ui->Direktorijodlagalia1, &QAction::triggered, this,
            [this] { ukaz([this] { Direktorijodlagalia1Click(); }); });
    connect(ui->Prepis1, &QAction::triggered, this, [this] { ukaz([this] { Prepis1Click(); }); });
    connect(ui->btnPrenosOSB, &QPushButton::clicked, this, [this] { ukaz([this] { btnPrenosOSBClick(); }); });
    // A typed date that is refused is said like every other message of the window.
    for (PoljeDatuma* d : {ui->Datum1, ui->Datum2})
        d->nastaviOkolje(&okolje());
    connect(ui->Datum1, &PoljeDatuma::dateChanged, this, [this] { Datum1Change(); });
    connect(ui->Datum2, &PoljeDatuma::dateChanged, this, [this] { Datum2Change(); });

    FormCreate();
}

TForm1::~TForm1()
{
    delete m_okolje;
    delete ui;
}

Okolje& TForm1::okolje() { return *m_okolje; }

void TForm1::FormCreate()
{
    // The start-up sequence runs on the first activation of the application.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            AppActivate();
    });
    V.PrvaAktivacija = true;
    V.ImeDatoteke.clear();
    if (!m_argumenti.isEmpty())
        V.ImeDatoteke = imeDatotekeIzPoti(m_argumenti.at(0));
}

bool TForm1::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && V.PrvaAktivacija)
        QMetaObject::invokeMethod(
            this, [this] { AppActivate(); }, Qt::QueuedConnection);
    return QMainWindow::event(e);
}

void TForm1::nastaviNapis(const QString& nadaljevanje) { setWindowTitle(kNapisZacetek + V.ImeDatoteke + nadaljevanje); }

void TForm1::AppActivate()
{
    if (!V.PrvaAktivacija)
        return;
    V.PrvaAktivacija = false;

    resize(width(), 162);

    TForm6* f6 = m_okna.Form6;
    TfGeslo* geslo = m_okna.fGeslo;
    if (f6) {
        connect(f6, &TForm6::konecZahtevan, this, &TForm1::zahtevajKonec, Qt::UniqueConnection);
        prikaziModalno(*f6);
    }

    const int n = m_argumenti.size();
    if (n >= 1) {
        V.Baza = m_argumenti.at(0);
        if (geslo)
            geslo->eBaza()->setText(V.Baza);
    }
    if (n >= 2) {
        V.Uporabnik = m_argumenti.at(1);
        if (geslo)
            geslo->eUser()->setText(V.Uporabnik);
    }
    if (n >= 3) {
        V.Geslo = m_argumenti.at(2);
        if (geslo)
            geslo->eGeslo()->setText(V.Geslo);
    }

    const QDate danes = okolje().danes();
    {
        // Setting the dates is not the operator changing them: the number field stays.
        const QSignalBlocker b1(ui->Datum1);
        const QSignalBlocker b2(ui->Datum2);
        ui->Datum1->setDate(danes);
        ui->Datum2->setDate(danes);
    }
    if (m_okna.Form5) {
        m_okna.Form5->nastaviDatume(danes);
    }
    // The daily transfer's dialog offers the file of the command line, in lower case.
    SaveDialog1.imeDatoteke = V.ImeDatoteke.toLower();

    V.KonecZahtevan = false;
    ui->lblProcenti->setText(QString());

    nastaviNapis(kNapisZagon);
    repaint();

    QString zokPolje;
    if (preberiNastavitve(V, zokPolje) && m_okna.Form7)
        m_okna.Form7->eZokIzhodniDirektorij()->setText(zokPolje);

    if (n < 3 && geslo) {
        prikaziModalno(*geslo);
        V.Baza = geslo->eBaza()->text();
        V.Uporabnik = geslo->eUser()->text();
        V.Geslo = geslo->eGeslo()->text();
    }

    QCoreApplication::processEvents();

    const IzidPrijave prijava = prijaviVBazo(V.Baza, V.Uporabnik, V.Geslo);
    if (!prijava.uspela()) {
        m_prijavaNeuspela = true;
        okolje().sporocilo(prijava.sporocilo());
        zahtevajKonec();
    }
}

void TForm1::btnKonecClick()
{
    if (m_prenosTece) {
        // The end waits for the run's result message. Before the point of no return
        // the run stops at its next posting and changes nothing; once it is
        // completing, it is not stopped: the operator learns how it ended first.
        m_konecPoPrenosu = true;
        if (m_zakljucevanje) {
            qCInfo(lcApp) << "Konec med zaključevanjem prenosa: program se konča, ko je prenos zaključen.";
            okolje().statusnaVrstica(QStringLiteral("Zaključujem prenos: program se bo končal, ko bo prenos "
                                                    "zaključen ..."));
        } else {
            qCInfo(lcApp) << "Konec med prenosom: prenos se ustavi brez sprememb, nato se program konča.";
            V.KonecZahtevan = true;
        }
        return;
    }
    V.KonecZahtevan = true;
    povezava::prekini(V.Baza);
    // Settings that cannot be saved are said before the program ends.
    const QString neshranjeno = zapisiNastavitve(V);
    if (!neshranjeno.isEmpty())
        okolje().sporocilo(neshranjeno);
    zahtevajKonec();
}

void TForm1::Datum1Change() { ui->eStevilkaPrenosa->setText(QString()); }

void TForm1::Datum2Change() { ui->eStevilkaPrenosa->setText(QString()); }

void TForm1::btnPonoviClick()
{
    const bool prikazi = ui->pnlPonovitev->isHidden();
    ui->pnlPonovitev->setVisible(prikazi);
    ui->pnlLogo->setVisible(prikazi);
    if (prikazi) {
        ui->btnPonovi->setText(QStringLiteral("Zapri p&regled"));
        resize(width(), 460);
        DataSource1->nastaviOmogocen(true);
        // A transfer whose file a kill or a lost connection left beside its output in
        // the monthly folder is said at once.
        if (povezava::jeOdprta(V.Baza)) {
            for (const QString& opozorilo :
                 opozoriloCakajocih(povezava::zaIme(V.Baza), QDir::fromNativeSeparators(V.MesecniDirektorij)))
                okolje().sporocilo(opozorilo);
        }
    } else {
        ui->eStevilkaPrenosa->setText(QStringLiteral("0"));
        ui->btnPonovi->setText(QStringLiteral("P&regled"));
        resize(width(), 162);
        DataSource1->nastaviOmogocen(false);
    }
}

void TForm1::btnGrupeClick()
{
    if (m_okna.Form2)
        m_okna.Form2->Prikazi(okolje(), [this](QDialog& d) { return prikaziModalno(d); });
}

// "Pregled &izravnav": the rounding-adjustment review, shown modally; its preview
// goes through the same modal hook.
void TForm1::btnIzravnaveClick()
{
    TForm5* f5 = m_okna.Form5;
    if (!f5)
        return;
    f5->povezi(okolje(), m_okna.DM, m_okna.fIzravna, [this](QDialog& d) { return prikaziModalno(d); });
    prikaziModalno(*f5);
}

// The main window's part in a transfer run.
class TForm1::OknoZaPrenos : public OknoPrenosa {
public:
    explicit OknoZaPrenos(TForm1& f) : m_f(f) {}
    void nastaviStevilkoPrenosa(const QString& b) override { m_f.ui->eStevilkaPrenosa->setText(b); }
    void nastaviSteviloZapisov(const QString& b) override { m_f.ui->lblSteviloZapisov->setText(b); }
    void povezavaMreze(bool v) override { m_f.DataSource1->nastaviOmogocen(v); }
    void Sume() override { m_f.Sume(); }
    void zacetekZakljucka() override { m_f.m_zakljucevanje = true; }

private:
    TForm1& m_f;
};

void TForm1::btnPrenosMesecnihClick()
{
    if (m_prenosTece)
        return; // one run at a time
    const std::optional<bool> dovoljeno = obsegPrenosaVeljaven();
    if (!dovoljeno)
        return;
    if (SaveDialog2.zacetniDirektorij.isEmpty()) {
        SaveDialog2.zacetniDirektorij = V.MesecniDirektorij;
        SaveDialog2.imeDatoteke = V.MesecniDirektorij + QStringLiteral("GKDODAT2.TXT");
    }
    const std::optional<QString> pot = okolje().shraniDatoteko(SaveDialog2);
    if (!pot)
        return;
    // The dialog keeps the folder and the file of its last use.
    SaveDialog2.imeDatoteke = *pot;
    SaveDialog2.zacetniDirektorij = QFileInfo(*pot).absolutePath();
    V.ImeDatoteke = imeDatotekeIzPoti(*pot).toLower();
    V.MesecniDirektorij = direktorijSSeparatorjem(QDir::toNativeSeparators(QFileInfo(*pot).absolutePath()));
    zapisiNastavitve(V);
    zacniPrenos(*pot, *dovoljeno);
}

void TForm1::btnPrenosClick()
{
    if (m_prenosTece)
        return;
    const std::optional<bool> dovoljeno = obsegPrenosaVeljaven();
    if (!dovoljeno)
        return;
    SaveDialog1.naslov = QStringLiteral("DNEVNI  PRENOS");
    SaveDialog1.privzetaKoncnica = QStringLiteral("055");
    SaveDialog1.filter = QStringLiteral("Tekst datoteka (*.055)|*.055|Vse datoteke (*.*)|*.*");
    const std::optional<QString> pot = okolje().shraniDatoteko(SaveDialog1);
    if (!pot)
        return;
    SaveDialog1.imeDatoteke = *pot;
    V.ImeDatoteke = imeDatotekeIzPoti(*pot).toLower();
    zacniPrenos(*pot, *dovoljeno);
}

std::optional<bool> TForm1::obsegPrenosaVeljaven()
{
    // What the fields ask for is settled before the file is asked for: a date typed
    // but not yet taken, a number that names no transfer or a repeat over another
    // range is refused, and a new transfer over registered ones is asked about; a
    // refusal changes nothing.
    if (!ui->Datum1->potrdi() || !ui->Datum2->potrdi())
        return std::nullopt;
    NalogaPrenosa naloga;
    naloga.stevilkaPrenosa = ui->eStevilkaPrenosa->text();
    naloga.datum1 = ui->Datum1->date();
    naloga.datum2 = ui->Datum2->date();
    naloga.baza = V.Baza;
    const ObsegPrenosa obseg = preveriObseg(naloga, okolje());
    if (obseg.izid != ObsegPrenosa::Izid::Dovoljen)
        return std::nullopt;
    return obseg.prekrivanjePotrjeno;
}

void TForm1::zacniPrenos(const QString& pot, bool prekrivanjePotrjeno)
{
    // The run works on the dates and the number of this moment: the controls that
    // hold them are locked until it ends, and so is a second start.
    m_prenosTece = true;
    const QList<QWidget*> zaklenjeni{ui->btnPrenos, ui->btnPonovi, ui->btnZadnji,       ui->btnZgodovina,
                                     ui->Datum1,    ui->Datum2,    ui->eStevilkaPrenosa};
    for (QWidget* w : zaklenjeni)
        w->setEnabled(false);
    okolje().statusnaVrstica(ui->lblOpozorilo->text());
    ui->ProgressBar1->setValue(0);
    okolje().prikaziNapredek(true);
    nastaviNapis(QStringLiteral(" V GLAVNO KNJIGO (Banka Morvik d.d.)"));
    okolje().obdelajDogodke();

    m_zakljucevanje = false;
    const auto konec = qScopeGuard([this, &zaklenjeni] {
        m_prenosTece = false;
        m_zakljucevanje = false;
        if (V.KonecZahtevan || konecAplikacijeZahtevan())
            povezava::prekini(V.Baza); // the end command came during the run
        for (QWidget* w : zaklenjeni)
            w->setEnabled(true);
        ui->ProgressBar1->hide();
        ui->lblProcenti->hide();
        ui->lblOpozorilo->hide();
        QCoreApplication::processEvents();
    });

    OknoZaPrenos okno(*this);
    const IzidPrenosa izid =
        Zapis({pot, ui->eStevilkaPrenosa->text(), ui->Datum1->date(), ui->Datum2->date(), V.Baza, prekrivanjePotrjeno},
              *Q1, okno, okolje());
    if (izid == IzidPrenosa::Ustavljen && m_konecPoPrenosu)
        okolje().sporocilo(QStringLiteral("Prenos je ustavljen. Baza in izhodna datoteka sta ostali nespremenjeni."));
}

// Output file of the revaluation summary: whatever closes the dialog, the edited path
// is taken and kept in the settings file; a path chosen with "..." is kept at once.
void TForm1::Direktorijodlagalia1Click()
{
    TForm7* f7 = m_okna.Form7;
    if (!f7)
        return;
    f7->povezi(okolje(), [this](const QString& pot) {
        V.ZokIzhodnaDatoteka = pot;
        zapisiNastavitve(V);
    });
    prikaziModalno(*f7);
    V.ZokIzhodnaDatoteka = f7->eZokIzhodniDirektorij()->text();
    zapisiNastavitve(V);
}

void TForm1::Prepis1Click() { prepisZokdll(okolje(), V.ZokIzhodnaDatoteka); }

// Party register export: the contract range, then the file through SaveDialog1.
void TForm1::btnPrenosOSBClick()
{
    TForm3* f3 = m_okna.Form3;
    if (!f3)
        return;
    if (prikaziModalno(*f3) != QDialog::Accepted)
        return;
    PrenosOsb prenos;
    prenos.baza = V.Baza;
    prenos.obseg = f3->obseg();
    prenos.prvaNastavljena = [f3](const QString& besedilo) { f3->ePrvaOsb()->setText(besedilo); };
    prenos.izklopiPregled = [this] { DataSource1->nastaviOmogocen(false); };
    prenosOsb(okolje(), SaveDialog1, V.MesecniDirektorij, prenos);
}

void TForm1::Sume()
{
    DataSource1->nastaviOmogocen(false);
    try {
        if (Q1->zadnji()) {
            while (Q1->prejsnji()) {
            }
        }
    } catch (const std::exception&) {
        // A failure ends the walk without a message.
    }
    DataSource1->nastaviOmogocen(true);
}

void TForm1::zahtevajKonec()
{
    m_konecAplikacije = true;
    // A modal dialog that is still open closes at once as cancelled.
    if (QWidget* modalni = QApplication::activeModalWidget()) {
        if (auto* d = qobject_cast<QDialog*>(modalni))
            QMetaObject::invokeMethod(d, &QDialog::reject, Qt::QueuedConnection);
    }
    m_storitve.koncaj();
}

int TForm1::prikaziModalno(QDialog& dialog)
{
    if (m_konecAplikacije)
        return QDialog::Rejected;
    return m_storitve.prikaziModalno(dialog);
}

void TForm1::obnoviOkno()
{
    ui->lblOpozorilo->hide();
    ui->ProgressBar1->hide();
    ui->lblProcenti->hide();
    ui->lblProcenti->setText(QString());
    for (QWidget* w : {static_cast<QWidget*>(ui->btnPrenos), static_cast<QWidget*>(ui->btnPonovi),
                       static_cast<QWidget*>(ui->btnZadnji), static_cast<QWidget*>(ui->btnZgodovina)})
        w->setEnabled(true);
}

void TForm1::ukaz(const std::function<void()>& telo)
{
    try {
        telo();
    } catch (const Napaka& e) {
        obnoviOkno();
        okolje().sporocilo(e.besedilo());
    } catch (const std::exception& e) {
        obnoviOkno();
        okolje().sporocilo(QString::fromUtf8(e.what()));
    }
    // "&Konec" pressed during a run ends the program once the run's result has been said.
    if (m_konecPoPrenosu && !m_prenosTece) {
        m_konecPoPrenosu = false;
        btnKonecClick();
    }
}

// The review panel's handlers: the work is done by the panel's commands (pregled.h).
void TForm1::btnZgodovinaClick() { m_pregled->btnZgodovinaClick(); }
void TForm1::DBGrid1DblClick() { m_pregled->DBGrid1DblClick(); }

bool TForm1::DBGrid1KeyPress(int tipka)
{
    if (tipka != Qt::Key_Return && tipka != Qt::Key_Enter)
        return false;
    ukaz([this] { DBGrid1DblClick(); });
    return true;
}

void TForm1::btnZadnjiClick() { m_pregled->btnZadnjiClick(); }
void TForm1::SeznamPrenosa(qint64 stevilka) { m_pregled->SeznamPrenosa(stevilka); }
void TForm1::btnBrisiPrenosClick() { m_pregled->btnBrisiPrenosClick(); }
void TForm1::btnOdgovorDaClick() { m_pregled->btnOdgovorDaClick(); }
void TForm1::btnOdgovorNeClick() { m_pregled->btnOdgovorNeClick(); }

// "&Izpis": the transfer journal over what the grid shows.
void TForm1::Button1Click()
{
    if (!m_okna.Form4)
        return;
    // While a transfer runs, the shared result is not yet the transfer's list and its
    // totals are not final: a journal printed now would look genuine and be wrong.
    if (m_prenosTece) {
        okolje().sporocilo(QStringLiteral("Izpis ni mogoč, dokler prenos teče. Počakajte, da se prenos konča."));
        return;
    }
    const QString iniciator = m_okna.Form6 ? m_okna.Form6->eIniciator()->text() : QString();
    m_okna.Form4->izpis(
        *Q1, ui->eStevilkaTemeljnice->text(), iniciator, [this](QDialog& d) { return prikaziModalno(d); }, &okolje());
}

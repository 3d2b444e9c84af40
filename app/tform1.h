#pragma once

#include "izvajanje.h"
#include "okna.h"
#include "okolje.h"
#include "rezultat.h"
#include "storitveokna.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TForm1;
}
class QDialog;
class RezultatModel;
class Pregled;
class PloscaPregleda;

// Main window: the date range, the transfer and review commands, the shared result
// `Q1` with its grid, and the start-up sequence that runs on the first activation.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `argumenti`: the command line without the program name (alias, user, password).
    // `storitve`: the desktop's dialogs, message boxes and the end of the program; it
    // outlives the window.
    TForm1(const QStringList& argumenti, StoritveOkna& storitve, QWidget* parent = nullptr);
    ~TForm1() override;

    void nastaviOkna(const Okna& okna) { m_okna = okna; }
    const Okna& okna() const { return m_okna; }

    Izvajanje V;                // run-time values
    Rezultat* Q1;               // shared result
    PodatkovniVir* DataSource1; // its data link to DBGrid1
    Okolje& okolje();           // the outside world as the engine sees it

    // The two save dialogs: SaveDialog1 for the daily transfer and the party export,
    // SaveDialog2 for the monthly transfer. They keep their state between uses.
    DialogShrani SaveDialog1{QString(), QStringLiteral("055"),
                             QStringLiteral("Tekst datoteka (*.055)|*.055|Vse datoteke (*.*)|*.*"), QString(),
                             QString()};
    DialogShrani SaveDialog2{QStringLiteral("MESEČNI PRENOS"), QStringLiteral("TXT"),
                             QStringLiteral("TXT datoteke (*.TXT)|*.TXT|Vse datoteke (*.*)|*.*"), QString(),
                             QStringLiteral("GKDODAT2.TXT")};

    // Handlers.
    void FormCreate();
    void AppActivate();
    void btnKonecClick();
    void Datum1Change();
    void Datum2Change();
    void btnPonoviClick();
    void btnPrenosMesecnihClick();
    void btnPrenosClick();
    // Whether a transfer run is under way (a second start is refused meanwhile).
    bool prenosTece() const { return m_prenosTece; }
    void btnGrupeClick();
    void btnIzravnaveClick();
    void Direktorijodlagalia1Click();
    void Prepis1Click();
    void btnPrenosOSBClick();
    void Sume();

    // Caption of the window: "PRENOS PODATKOV " + ImeDatoteke + rest.
    void nastaviNapis(const QString& nadaljevanje);

    // Requests the end of the program: modal dialogs still open close as cancelled,
    // no further modal dialog opens, and the program ends back in the event loop.
    void zahtevajKonec();
    bool konecAplikacijeZahtevan() const { return m_konecAplikacije; }
    // The login of the start-up sequence failed: the program ends with exit code 1.
    bool prijavaNeuspela() const { return m_prijavaNeuspela; }

    // Shows a modal dialog unless termination has been requested (then: cancelled).
    int prikaziModalno(QDialog& dialog);

    // Runs a command inside the general error report: a failure it throws is shown
    // with its own text and the window is put back to idle.
    void ukaz(const std::function<void()>& telo);
    // Puts the window back to idle: status line, progress display and percentage
    // hidden, the buttons that long operations disable enabled again.
    void obnoviOkno();

    // Review panel: the register list, opening a transfer from its row (double click
    // or Enter), the last transfer, the deletion and its question, the journal.
    void btnZgodovinaClick();
    void DBGrid1DblClick();
    bool DBGrid1KeyPress(int tipka); // whether the key was consumed
    void btnZadnjiClick();
    void SeznamPrenosa(qint64 stevilka);
    void btnBrisiPrenosClick();
    void btnOdgovorDaClick();
    void btnOdgovorNeClick();
    void Button1Click();

protected:
    bool event(QEvent* e) override;

private:
    class OknoOkolje;
    class OknoZaPrenos;
    Ui::TForm1* ui;
    StoritveOkna& m_storitve;
    QStringList m_argumenti;
    Okna m_okna;
    OknoOkolje* m_okolje;
    RezultatModel* m_model;
    bool m_konecAplikacije = false;
    bool m_prijavaNeuspela = false;
    bool m_prenosTece = false;
    bool m_zakljucevanje = false;  // the run has passed its point of no return
    bool m_konecPoPrenosu = false; // "&Konec" came during a run: the end follows its result
    void zacniPrenos(const QString& pot, bool prekrivanjePotrjeno);
    // Nothing when the run must not start (said already); else whether the operator
    // confirmed a new transfer over registered ones.
    std::optional<bool> obsegPrenosaVeljaven();
    PloscaPregleda* m_ploscaPregleda = nullptr;
    std::unique_ptr<Pregled> m_pregled;
};

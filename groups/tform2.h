#pragma once

#include <QDialog>
#include <functional>

namespace Ui {
class TForm2;
}
class GrupiranjeDogodkov;
class Okolje;
class QKeyEvent;
class RezultatModel;

// Event-group dialog: the event list with each event's group, and the fields in which
// the operator gives the chosen event a group number and the group a name. Created
// once at start and reused; the fields, their colours and the open list stay between
// openings. It closes only through "&Zapri".
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Opening by "&Grupe": creates the group table when missing, switches the list's
    // data link on, opens the list unless it is open (throws Napaka when it cannot),
    // shows the dialog through `prikaziModalno` and switches the link off when it has
    // closed. Messages of the dialog go to `okolje`.
    int Prikazi(Okolje& okolje, const std::function<int(QDialog&)>& prikaziModalno);

    GrupiranjeDogodkov* grupe() const { return m_grupe; }

    // Handlers. The key handlers return true when they consume the key.
    void DBGrid2CellClick(int vrstica);
    void DBGrid2DblClick(int vrstica);
    bool DBGrid2KeyPress(QKeyEvent* e);
    void eIdGrupeEnter();
    void eNazivGrupeEnter();
    bool eIdGrupeKeyPress(QKeyEvent* e);
    void eIdGrupeExit();
    bool eNazivGrupeKeyPress(QKeyEvent* e);
    void btnAzurirajClick();
    void btnPotrdiGrupeClick();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void vPolja();         // edit fields -> engine
    void izPolj();         // engine -> edit fields and their colour
    void prikaziVrstico(); // the grid's current row follows the list's
    void PodatkiIzBaze();

    Ui::TForm2* ui;
    GrupiranjeDogodkov* m_grupe;
    RezultatModel* m_model;
    Okolje* m_okolje = nullptr;
};

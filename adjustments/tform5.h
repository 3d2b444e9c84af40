#pragma once

#include "izbiraizravnav.h"

#include <QDate>
#include <QDialog>
#include <functional>

namespace Ui {
class TForm5;
}
class Okolje;
class TDM;
class TfIzravna;
class QKeyEvent;
class QWidget;

// The rounding-adjustment review: all adjustments or those that match the filters,
// previewed as the printed list. Made once at start-up, so its choices, texts and
// dates stay from one opening to the next. It closes only through "&Zapri" (or when
// the program ends).
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // Both date pickers to one date (start-up sets them to today).
    void nastaviDatume(const QDate& datum);

    // What "Pregled" needs: the outside world for messages, the query container, the
    // report form, and the hook that shows the preview modally.
    void povezi(Okolje& okolje, TDM* dm, TfIzravna* porocilo, std::function<int(QDialog&)> prikazi);

    // The selection the controls hold now.
    IzbiraIzravnav izbira() const;

    // Handlers.
    void rbIzpisatiClick();       // a choice in "Izpisati "
    void cbDatumClick();          // the check box changed
    void btnIzpisIzravnavClick(); // "Pregled"
    void btnZapriClick();         // "&Zapri"

    // Grey and white of the filter controls: a control is white exactly when enabled.
    static QColor siva();
    static QColor bela();

protected:
    void keyPressEvent(QKeyEvent* dogodek) override;

private:
    Ui::TForm5* ui;
    static void omogoci(QWidget* kontrola, bool da);
    Okolje* m_okolje = nullptr;
    TDM* m_dm = nullptr;
    TfIzravna* m_porocilo = nullptr;
    std::function<int(QDialog&)> m_prikazi;
};

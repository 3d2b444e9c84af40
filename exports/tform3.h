#pragma once

#include "prenososb.h"

#include <QDialog>

namespace Ui {
class TForm3;
}
class QLineEdit;
class QSqlQueryModel;
class StoritveOkna;

// Selection dialog of the party register export: all contracts, or a range of IdPog
// picked from the contract list `Qpog` (read under the database name "LB") or typed.
// Created once and reused, so it keeps its choice and its fields between exports.
// A failure of the contract list is said through `storitve` over the dialog's owner,
// like the main window's other messages.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(StoritveOkna& storitve, QWidget* parent);
    ~TForm3() override;

    QLineEdit* ePrvaOsb() const;
    QLineEdit* eZadnjaOsb() const;

    // The choice as the export takes it.
    ObsegPog obseg() const;

    // Handlers.
    void RadioButton1Click();
    void RadioButton2Click();
    void ePrvaOsbClick();
    void eZadnjaOsbClick();
    void btnPotrdiOsbClick();
    void btnPrekiniOsbClick();

protected:
    bool eventFilter(QObject* objekt, QEvent* dogodek) override;

private:
    StoritveOkna& m_storitve;
    QSqlQueryModel* Qpog;
    Ui::TForm3* ui;

    void nastaviVidnostIzbire(bool vidno);
    // IdPog of the grid's current row as text; empty when the list has no row.
    QString idPogTekoceVrstice() const;
};

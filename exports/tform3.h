#pragma once

#include "prenososb.h"

#include <QDialog>
#include <functional>

namespace Ui { class TForm3; }
class QLineEdit;
class QSqlQueryModel;

// Selection dialog of the party register export: all contracts, or a range of IdPog
// picked from the contract list `Qpog` (read under the database name "LB") or typed.
// Created once and reused, so it keeps its choice and its fields between exports.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
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

    // Shows a failure of the contract list with its own text (the main window's
    // message box); a plain message box when not set.
    std::function<void(const QString&)> sporocilo;

    QSqlQueryModel* Qpog;
    Ui::TForm3* ui;

protected:
    bool eventFilter(QObject* objekt, QEvent* dogodek) override;

private:
    void nastaviVidnostIzbire(bool vidno);
    // IdPog of the grid's current row as text; empty when the list has no row.
    QString idPogTekoceVrstice() const;
};

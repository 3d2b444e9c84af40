#pragma once

#include <QDate>
#include <QDialog>

namespace Ui { class TForm5; }

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // Both date pickers to one date (start-up sets them to today).
    void nastaviDatume(const QDate& datum);

    Ui::TForm5* ui;
};

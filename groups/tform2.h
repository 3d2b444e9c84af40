#pragma once

#include <QDialog>

namespace Ui { class TForm2; }

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    Ui::TForm2* ui;
};

#pragma once

#include <QDialog>

namespace Ui { class TForm3; }

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    Ui::TForm3* ui;
};

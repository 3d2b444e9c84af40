#pragma once

#include <QDialog>

namespace Ui { class TForm7; }
class QLineEdit;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    QLineEdit* eZokIzhodniDirektorij() const;

    Ui::TForm7* ui;
};

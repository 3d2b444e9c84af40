#pragma once

#include <QDialog>

namespace Ui {
class TForm6;
}
class QLineEdit;

// The initiator prompt: the name of the person who initiates this run's work.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    QLineEdit* eIniciator() const;

    void btnPotrdClick();

signals:
    // Escape in the name field asks for the program to end (the prompt then closes as
    // cancelled); the main window decides what ending means.
    void konecZahtevan();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Ui::TForm6* ui;
};

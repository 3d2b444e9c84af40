#pragma once

#include <QDialog>
#include <functional>

namespace Ui { class TForm6; }
class QLineEdit;

// The initiator prompt: the name of the person who initiates this run's work.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    QLineEdit* eIniciator() const;
    // Escape asks for the program to end; the main window supplies what that does.
    std::function<void()> zahtevajKonec;

    void btnPotrdClick();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Ui::TForm6* ui;
};

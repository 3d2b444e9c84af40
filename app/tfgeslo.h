#pragma once

#include <QDialog>

namespace Ui {
class TfGeslo;
}
class QLineEdit;
class QPushButton;

// The login dialog: alias, user and password of the database connection.
class TfGeslo : public QDialog {
    Q_OBJECT
public:
    explicit TfGeslo(QWidget* parent = nullptr);
    ~TfGeslo() override;

    QLineEdit* eBaza() const;
    QLineEdit* eUser() const;
    QLineEdit* eGeslo() const;
    QPushButton* Button1() const;

    void FormActivate();
    void Button1Click();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    Ui::TfGeslo* ui;
};

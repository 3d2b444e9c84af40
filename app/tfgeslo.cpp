#include "tfgeslo.h"
#include "ui_tfgeslo.h"

#include "barve.h"
#include "izvajanje.h"

#include <QKeyEvent>

TfGeslo::TfGeslo(QWidget* parent) : QDialog(parent), ui(new Ui::TfGeslo)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TfGeslo"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    move(166, 55); // its place on the screen, not centred on the main window
    barve::ozadje(this, barve::navy);
    for (QWidget* l :
         {static_cast<QWidget*>(ui->Label1), static_cast<QWidget*>(ui->Label2), static_cast<QWidget*>(ui->Label3)})
        barve::pisava(l, barve::bela);
    // The right-aligned alias label keeps its right edge (61 + 58) and grows to the
    // left where the installed font is wider than the design's.
    const int desno = ui->Label3->geometry().right();
    const int sirina = std::max(ui->Label3->width(), ui->Label3->sizeHint().width());
    ui->Label3->setGeometry(desno + 1 - sirina, ui->Label3->y(), sirina, ui->Label3->height());
    // Tab order: user, password, "&Potrdi", alias, and round again.
    // The password shows "*" for every character, whatever the style would draw.
    ui->eGeslo->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    setTabOrder(ui->eUser, ui->eGeslo);
    setTabOrder(ui->eGeslo, ui->Button1);
    setTabOrder(ui->Button1, ui->eBaza);
    ui->Button1->setAutoDefault(true);
    connect(ui->Button1, &QPushButton::clicked, this, &TfGeslo::Button1Click);
    for (QLineEdit* e : {ui->eUser, ui->eBaza, ui->eGeslo})
        e->installEventFilter(this);
}

TfGeslo::~TfGeslo() { delete ui; }

QLineEdit* TfGeslo::eBaza() const { return ui->eBaza; }
QLineEdit* TfGeslo::eUser() const { return ui->eUser; }
QLineEdit* TfGeslo::eGeslo() const { return ui->eGeslo; }
QPushButton* TfGeslo::Button1() const { return ui->Button1; }

void TfGeslo::FormActivate()
{
    // The last empty field in the order password, user, alias takes the focus.
    if (obrezi(ui->eGeslo->text()).isEmpty())
        ui->eGeslo->setFocus();
    if (obrezi(ui->eUser->text()).isEmpty())
        ui->eUser->setFocus();
    if (obrezi(ui->eBaza->text()).isEmpty())
        ui->eBaza->setFocus();
}

void TfGeslo::Button1Click() { accept(); }

bool TfGeslo::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void TfGeslo::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
}

bool TfGeslo::eventFilter(QObject* o, QEvent* e)
{
    // eUserKeyPress (user and alias) and eGesloKeyPress: Enter moves to the next control.
    if (e->type() == QEvent::KeyPress && (o == ui->eUser || o == ui->eBaza || o == ui->eGeslo)) {
        const int tipka = static_cast<QKeyEvent*>(e)->key();
        if (tipka == Qt::Key_Return || tipka == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void TfGeslo::keyPressEvent(QKeyEvent* e)
{
    // The login has no cancel: Escape does nothing.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

#include "tform6.h"
#include "ui_tform6.h"

#include "barve.h"
#include "izvajanje.h"

#include <QCloseEvent>
#include <QKeyEvent>

TForm6::TForm6(QWidget* parent) : QDialog(parent), ui(new Ui::TForm6)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm6"));
    // No border icons: neither a close box nor a system menu.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    move(192, 114); // its place on the screen, not centred on the main window
    barve::ozadje(this, barve::navy);
    barve::pisava(ui->Label1, barve::bela);
    ui->btnPotrd->setAutoDefault(true);
    connect(ui->btnPotrd, &QPushButton::clicked, this, &TForm6::btnPotrdClick);
    ui->eIniciator->installEventFilter(this);
}

TForm6::~TForm6() { delete ui; }

QLineEdit* TForm6::eIniciator() const { return ui->eIniciator; }

void TForm6::btnPotrdClick()
{
    if (!obrezi(ui->eIniciator->text()).isEmpty())
        accept();
}

bool TForm6::eventFilter(QObject* o, QEvent* e)
{
    if (o == ui->eIniciator && e->type() == QEvent::KeyPress) { // eIniciatorKeyPress
        const int tipka = static_cast<QKeyEvent*>(e)->key();
        if (tipka == Qt::Key_Return || tipka == Qt::Key_Enter) {
            btnPotrdClick();
            return true;
        }
        if (tipka == Qt::Key_Escape) {
            emit konecZahtevan();
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void TForm6::keyPressEvent(QKeyEvent* e)
{
    // Escape outside the name field does not close the prompt.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TForm6::closeEvent(QCloseEvent* e)
{
    // Without a close box the prompt closes only through its own handlers.
    if (result() == QDialog::Accepted || !isVisible())
        e->accept();
    else
        e->ignore();
}

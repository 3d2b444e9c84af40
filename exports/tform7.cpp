#include "tform7.h"
#include "ui_tform7.h"

#include "barve.h"

#include <QKeyEvent>

TForm7::TForm7(QWidget* parent) : QDialog(parent), ui(new Ui::TForm7)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm7"));
    barve::ozadje(this, barve::navy);
    barve::pisava(ui->Label1, barve::bela);

    // Enter in the edit closes the dialog; the buttons are not defaults that Enter
    // would press instead.
    ui->btnZokIzhodnaDatoteka->setAutoDefault(false);
    ui->Button1->setAutoDefault(false);
    ui->eZokIzhodniDirektorij->installEventFilter(this);

    connect(ui->btnZokIzhodnaDatoteka, &QPushButton::clicked, this, [this] { btnZokIzhodnaDatotekaClick(); });
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TForm7::~TForm7() { delete ui; }

QLineEdit* TForm7::eZokIzhodniDirektorij() const { return ui->eZokIzhodniDirektorij; }

void TForm7::povezi(Okolje& okolje, std::function<void(const QString&)> potIzbrana)
{
    m_okolje = &okolje;
    m_potIzbrana = std::move(potIzbrana);
}

void TForm7::btnZokIzhodnaDatotekaClick()
{
    if (!m_okolje)
        return;
    const std::optional<QString> izbrana = m_okolje->shraniDatoteko(SaveDialog1);
    if (!izbrana)
        return;
    SaveDialog1.imeDatoteke = *izbrana;
    ui->eZokIzhodniDirektorij->setText(*izbrana);
    if (m_potIzbrana)
        m_potIzbrana(ui->eZokIzhodniDirektorij->text());
}

void TForm7::Button1Click() { accept(); }

bool TForm7::eventFilter(QObject* objekt, QEvent* dogodek)
{
    // eZokIzhodniDirektorijKeyPress: Enter is consumed and closes the dialog with OK.
    if (objekt == ui->eZokIzhodniDirektorij && dogodek->type() == QEvent::KeyPress) {
        const int tipka = static_cast<QKeyEvent*>(dogodek)->key();
        if (tipka == Qt::Key_Return || tipka == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(objekt, dogodek);
}

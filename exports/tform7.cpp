#include "tform7.h"
#include "ui_tform7.h"

#include "barve.h"

TForm7::TForm7(QWidget* parent) : QDialog(parent), ui(new Ui::TForm7)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm7"));
    barve::ozadje(this, barve::navy);
    barve::pisava(ui->Label1, barve::bela);
}

TForm7::~TForm7() { delete ui; }

QLineEdit* TForm7::eZokIzhodniDirektorij() const { return ui->eZokIzhodniDirektorij; }

#include "tform2.h"
#include "ui_tform2.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui(new Ui::TForm2)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm2"));
}

TForm2::~TForm2() { delete ui; }

#include "tform5.h"
#include "ui_tform5.h"

TForm5::TForm5(QWidget* parent) : QDialog(parent), ui(new Ui::TForm5)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm5"));
}

TForm5::~TForm5() { delete ui; }

void TForm5::nastaviDatume(const QDate& datum)
{
    ui->DateTimePicker1->setDate(datum);
    ui->DateTimePicker2->setDate(datum);
}

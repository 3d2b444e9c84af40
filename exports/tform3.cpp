#include "tform3.h"
#include "ui_tform3.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent), ui(new Ui::TForm3)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm3"));
}

TForm3::~TForm3() { delete ui; }

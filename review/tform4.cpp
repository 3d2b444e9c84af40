#include "tform4.h"

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("TForm4"));
}

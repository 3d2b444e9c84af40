#include "tfizravna.h"

TfIzravna::TfIzravna(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TfIzravna"));
    setWindowTitle(QStringLiteral("IZRAVNAVE"));
}

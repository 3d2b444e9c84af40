#include "tdm.h"

TDM::TDM(QObject* parent) : QObject(parent), Qizravnave(new Rezultat(this))
{
    setObjectName(QStringLiteral("TDM"));
    Qizravnave->setObjectName(QStringLiteral("Qizravnave"));
    Qizravnave->nastaviImeBaze(QStringLiteral("LB"));
}

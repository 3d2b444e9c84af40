#include "tform4.h"

#include "predogled.h"

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("TForm4"));
}

void TForm4::izpis(Rezultat& Q1, const QString& stevilkaTemeljnice, const QString& iniciator,
                   const std::function<int(QDialog&)>& prikazi)
{
    glava.stevilkaTemeljnice = stevilkaTemeljnice;
    glava.iniciator = iniciator;
    preberiDatumeGlave(Q1, glava);
    const Porocilo porocilo = opisDnevnika(glava);
    const std::unique_ptr<VirVrstic> vir = virDnevnika(Q1);
    predogled(porocilo, *vir, parentWidget() ? parentWidget() : this, prikazi);
}

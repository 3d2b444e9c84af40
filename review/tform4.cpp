#include "tform4.h"

#include "okolje.h"
#include "predogled.h"

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("TForm4"));
}

void TForm4::izpis(Rezultat& Q1, const QString& stevilkaTemeljnice, const QString& iniciator,
                   const std::function<int(QDialog&)>& prikazi, Okolje* okolje)
{
    glava.stevilkaTemeljnice = stevilkaTemeljnice;
    glava.iniciator = iniciator;
    preberiDatumeGlave(Q1, glava);
    const Porocilo porocilo = opisDnevnika(glava);
    const std::unique_ptr<VirVrstic> vir = virDnevnika(Q1);
    // The status line says that the journal is being prepared, until the preview opens.
    const auto stanje = [okolje](const QString& besedilo) {
        if (okolje)
            besedilo.isEmpty() ? okolje->skrijStatusnoVrstico() : okolje->statusnaVrstica(besedilo);
    };
    predogled(porocilo, *vir, parentWidget() ? parentWidget() : this, prikazi, stanje);
}

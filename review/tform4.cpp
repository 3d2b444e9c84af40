#include "tform4.h"

#include "okolje.h"
#include "predogled.h"
#include "varovanjeizhoda.h"

namespace {

// Printing to a file goes through the output guard of every command.
IzhodPredogleda izhodPredogleda(Okolje* okolje)
{
    IzhodPredogleda izhod;
    izhod.zavrni = [](const QString& pot) { return zavrnitevIzhoda(pot); };
    if (okolje)
        izhod.sporocilo = [okolje](const QString& b) { okolje->sporocilo(b); };
    return izhod;
}

} // namespace

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
    predogled(porocilo, *vir, parentWidget() ? parentWidget() : this, prikazi, stanje, QDateTime::currentDateTime(),
              izhodPredogleda(okolje));
}

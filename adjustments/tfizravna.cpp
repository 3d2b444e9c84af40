#include "tfizravna.h"

#include "porociloizravnav.h"
#include "predogled.h"
#include "varovanjeizhoda.h"
#include "rezultatvir.h"

#include "okolje.h"

#include <QMessageBox>

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

TfIzravna::TfIzravna(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TfIzravna"));
    setWindowTitle(QStringLiteral("IZRAVNAVE"));
}

void TfIzravna::izpis(Rezultat& Qizravnave, const std::function<int(QDialog&)>& prikazi, Okolje* okolje)
{
    RezultatVir vir(Qizravnave);
    if (!vir.prvi()) {
        // A report without pages: a preview would show no sheet at all.
        const QString besedilo = QStringLiteral("Ni izravnav za prikaz: izbor je prazen.");
        if (okolje)
            okolje->sporocilo(besedilo);
        else
            QMessageBox::information(parentWidget() ? parentWidget() : this, windowTitle(), besedilo);
        return;
    }
    // The status line says that the list is being prepared, until the preview opens.
    const auto stanje = [okolje](const QString& besedilo) {
        if (okolje)
            besedilo.isEmpty() ? okolje->skrijStatusnoVrstico() : okolje->statusnaVrstica(besedilo);
    };
    predogled(opisIzravnav(), vir, parentWidget() ? parentWidget() : this, prikazi, stanje,
              QDateTime::currentDateTime(), izhodPredogleda(okolje));
}

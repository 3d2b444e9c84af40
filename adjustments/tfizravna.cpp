#include "tfizravna.h"

#include "porociloizravnav.h"
#include "predogled.h"
#include "rezultatvir.h"

#include <QBoxLayout>
#include <QDialog>
#include <QLabel>
#include <QPrintPreviewDialog>

TfIzravna::TfIzravna(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TfIzravna"));
    setWindowTitle(QStringLiteral("IZRAVNAVE"));
}

void TfIzravna::izpis(Rezultat& Qizravnave, const std::function<int(QDialog&)>& prikazi)
{
    RezultatVir vir(Qizravnave);
    const bool prazno = !vir.prvi();
    auto pokazi = [&](QDialog& dialog) {
        // A report without pages: nothing is drawn, so the preview shows no blank
        // sheet, and it says why it is empty.
        if (prazno) {
            if (auto* pd = qobject_cast<QPrintPreviewDialog*>(&dialog))
                QObject::disconnect(pd, &QPrintPreviewDialog::paintRequested, nullptr, nullptr);
            auto* opomba = new QLabel(QStringLiteral("Ni izravnav za prikaz: izbor je prazen."), &dialog);
            opomba->setObjectName(QStringLiteral("lblPrazno"));
            opomba->setAlignment(Qt::AlignCenter);
            if (auto* razpored = qobject_cast<QBoxLayout*>(dialog.layout()))
                razpored->insertWidget(1, opomba);
        }
        return prikazi ? prikazi(dialog) : dialog.exec();
    };
    predogled(opisIzravnav(), vir, parentWidget() ? parentWidget() : this, pokazi);
}

#include "predogled.h"

#include "izris.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

int predogled(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars,
              const std::function<int(QDialog&)>& prikazi, const QDateTime& zdaj)
{
    QPrinter tiskalnik(QPrinter::HighResolution);
    tiskalnik.setFullPage(true);
    tiskalnik.setDocName(porocilo.naslov);
    pripraviNapravo(tiskalnik, porocilo);

    QPrintPreviewDialog dialog(&tiskalnik, stars);
    dialog.setObjectName(QStringLiteral("predogled"));
    if (!porocilo.naslov.isEmpty())
        dialog.setWindowTitle(porocilo.naslov);
    // The preview asks for the pages whenever it repaints and once more when the
    // operator prints; every request lays the report out anew over the same rows.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* p) { narisiPorocilo(*p, porocilo, vir, zdaj); });
    return prikazi ? prikazi(dialog) : dialog.exec();
}

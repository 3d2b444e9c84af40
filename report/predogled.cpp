#include "predogled.h"

#include "belezenje.h"
#include "izris.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScopeGuard>

namespace {

// The preview's own commands that would choose another page than the report's:
// portrait, landscape and the page setup. They are found by their (translated) texts,
// the same the dialog gives them.
void skrijIzbiroStrani(QPrintPreviewDialog& dialog)
{
    QStringList besedila;
    for (const char* b : {"Portrait", "Landscape", "Page setup"})
        besedila << QCoreApplication::translate("QPrintPreviewDialog", b) << QString::fromLatin1(b);
    for (QAction* a : dialog.findChildren<QAction*>()) {
        if (besedila.contains(a->text())) {
            a->setVisible(false);
            a->setEnabled(false);
        }
    }
}

} // namespace

int predogled(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars,
              const std::function<int(QDialog&)>& prikazi, const std::function<void(const QString&)>& stanje,
              const QDateTime& zdaj, const IzhodPredogleda& izhod)
{
    QPrinter tiskalnik(QPrinter::HighResolution);
    tiskalnik.setFullPage(true);
    tiskalnik.setDocName(porocilo.naslov);
    pripraviNapravo(tiskalnik, porocilo);

    QPrintPreviewDialog dialog(&tiskalnik, stars);
    dialog.setObjectName(QStringLiteral("predogled"));
    if (!porocilo.naslov.isEmpty())
        dialog.setWindowTitle(porocilo.naslov);
    skrijIzbiroStrani(dialog);
    // The preview asks for the pages whenever it repaints and once more when the
    // operator prints; every request lays the report out anew over the same rows, on
    // the report's own page whatever was chosen meanwhile.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
        // Printed to a file: the file is opened only when the painting begins, so a
        // refused one is never touched.
        if (const QString datoteka = p->outputFileName(); !datoteka.isEmpty() && izhod.zavrni) {
            if (const std::optional<QString> zakaj = izhod.zavrni(datoteka)) {
                const QString b = QStringLiteral("Ne morem pisati v datoteko ") + datoteka + u'\n' + *zakaj;
                qCWarning(lcReport).noquote() << b;
                if (izhod.sporocilo)
                    izhod.sporocilo(b);
                else
                    QMessageBox::warning(&dialog, dialog.windowTitle(), b);
                return;
            }
        }
        pripraviNapravo(*p, porocilo);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto zaposlen = qScopeGuard([&stanje] {
            if (stanje)
                stanje(QString());
            QApplication::restoreOverrideCursor();
        });
        if (stanje)
            stanje(QStringLiteral("Priprava izpisa ..."));
        narisiPorocilo(*p, porocilo, vir, zdaj);
    });
    return prikazi ? prikazi(dialog) : dialog.exec();
}

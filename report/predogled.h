#pragma once

#include "porocilo.h"
#include "vir.h"

#include <QDateTime>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

// The print preview of a report: a modal preview window over the report's pages from
// which the operator prints. `prikazi` shows the dialog and returns its result; by
// default it runs the dialog's own event loop (the main window passes its hook, so
// tests can answer the dialog instead). Returns when the preview is closed.
//
// The report is laid out for its own paper and orientation, and every page the
// preview shows or prints is of that paper in that orientation: the preview offers no
// other orientation or page setup, and a page chosen in the print dialog is set back,
// so no row is ever cut off the bottom or the side of a page.
//
// While the pages are prepared the mouse pointer is busy and `stanje` (when given) is
// called with a status text, and with an empty text when they are ready.
//
// Printing to a file goes through `izhod`: a file that its guard refuses (a database's
// own file, a link, a device) is not opened at all, and the refusal is said with
// `izhod.sporocilo` (a message box over the preview when none is given).
struct IzhodPredogleda {
    std::function<std::optional<QString>(const QString&)> zavrni;
    std::function<void(const QString&)> sporocilo;
};
int predogled(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars,
              const std::function<int(QDialog&)>& prikazi = {},
              const std::function<void(const QString&)>& stanje = {},
              const QDateTime& zdaj = QDateTime::currentDateTime(), const IzhodPredogleda& izhod = {});

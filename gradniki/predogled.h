#pragma once

#include "porocilo.h"
#include "vir.h"

#include <QDateTime>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

// The print preview of a report: a modal window (object name "predogled") that shows
// the report's pages and from which the operator prints. `prikazi` shows the window
// and returns its result; by default it runs the window's own event loop (the main
// window passes its hook, so tests can answer the window instead). The print dialog
// (object name "tiskanje") is shown through `prikazi` too. Returns when the preview is
// closed.
//
// The window opens at once: the report is laid out in slices of a few milliseconds
// while the event loop goes on, the first page is shown as soon as it is laid out and
// the page count ("od N ...") and the progress bar fill in as the rest follows. Only the
// page on the screen is drawn, from the laid-out pages the window keeps. Closing the
// window stops the layout where it is.
//
// While the pages are laid out the mouse pointer is busy and `stanje` (when given) is
// called with a status text, and with an empty text when they are ready or the window
// is closed.
//
// Printing prints every page (or the range chosen), laying out first what is still
// missing. The print dialog starts with the report's own paper and orientation; a
// sheet of another size or orientation gets each page scaled down whole and centred,
// so no row is ever cut off.
//
// Printing to a file goes through `izhod`: a file that its guard refuses (a database's
// own file, a link, a device) is not opened at all, and the refusal is said with
// `izhod.sporocilo` (a message box over the preview when none is given).
struct IzhodPredogleda {
    std::function<std::optional<QString>(const QString&)> zavrni;
    std::function<void(const QString&)> sporocilo;
};
int predogled(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars,
              const std::function<int(QDialog&)>& prikazi = {}, const std::function<void(const QString&)>& stanje = {},
              const QDateTime& zdaj = QDateTime::currentDateTime(), const IzhodPredogleda& izhod = {});

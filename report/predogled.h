#pragma once

#include "porocilo.h"
#include "vir.h"

#include <QDateTime>
#include <functional>

class QDialog;
class QWidget;

// The print preview of a report: a modal preview window over A4 pages from which
// the operator prints. `prikazi` shows the dialog and returns its result; by default
// it runs the dialog's own event loop (the main window passes its hook, so tests can
// answer the dialog instead). Returns when the preview is closed.
int predogled(const Porocilo& porocilo, VirVrstic& vir, QWidget* stars,
              const std::function<int(QDialog&)>& prikazi = {},
              const QDateTime& zdaj = QDateTime::currentDateTime());

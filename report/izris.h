#pragma once

#include "porocilo.h"
#include "postavitev.h"
#include "vir.h"

#include <QDateTime>
#include <QFont>
#include <QString>
#include <QTransform>

#include <memory>

class QPagedPaintDevice;
class QPainter;

// The report's font: its family at its size, falling back to the nearest sans serif
// where the family is not installed.
QFont pisavaPorocila(const Porocilo& porocilo);

// Draws one laid-out page. The painter's device must show the whole sheet with its
// origin at the sheet's top-left corner (full page, no device margins).
void narisiStran(QPainter& slikar, const Stran& stran, const Porocilo& porocilo);

// Draws laid-out pages on one device, keeping the report's fonts and their glyphs
// from page to page (a preview that draws a page at a time, a print of kept pages).
// `naprava` gives the resolution; the painter may be on another device of the same
// resolution, and may be scaled.
class RisarStrani {
public:
    RisarStrani(const Porocilo& porocilo, QPaintDevice* naprava);
    ~RisarStrani();
    RisarStrani(const RisarStrani&) = delete;
    RisarStrani& operator=(const RisarStrani&) = delete;
    void narisi(QPainter& slikar, const Stran& stran) const;

private:
    struct Pisave;
    std::unique_ptr<Pisave> m_pisave;
};

// Where a page of `velikostMm` goes on a sheet of `list` (device pixels at `dpi`):
// scaled down whole, never up, and centred, when the sheet is smaller or turned the
// other way; as it is when the sheet is the page's own. The painter's transform to
// apply before drawing the page.
QTransform naList(const QSizeF& velikostMm, const QRectF& list, double dpiX, double dpiY);

// Sets the device to the report's paper, orientation and a full-page layout.
void pripraviNapravo(QPagedPaintDevice& naprava, const Porocilo& porocilo);

// Lays the report out and draws it page by page on a device prepared with
// pripraviNapravo, starting a new device page before every page after the first.
// Returns the number of pages.
int narisiPorocilo(QPagedPaintDevice& naprava, const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj);

struct IzidPdf {
    bool uspeh = false;
    int strani = 0;
    QString napaka; // why the file could not be written
};

// Writes the report to a PDF file. An existing file is replaced only by the complete
// new one; a failure (napaka: the system's reason) leaves it as it was, and a path
// that is no regular file (a folder, a device, a FIFO, a symbolic link) is refused.
IzidPdf zapisiPdf(const Porocilo& porocilo, VirVrstic& vir, const QString& pot,
                  const QDateTime& zdaj = QDateTime::currentDateTime());

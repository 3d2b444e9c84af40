#pragma once

#include "porocilo.h"
#include "postavitev.h"
#include "vir.h"

#include <QDateTime>
#include <QFont>
#include <QString>

class QPagedPaintDevice;
class QPainter;

// The report's font: its family at its size, falling back to the nearest sans serif
// where the family is not installed.
QFont pisavaPorocila(const Porocilo& porocilo);

// Draws one laid-out page. The painter's device must show the whole sheet with its
// origin at the sheet's top-left corner (full page, no device margins).
void narisiStran(QPainter& slikar, const Stran& stran, const Porocilo& porocilo);

// Sets the device to the report's paper, orientation and a full-page layout.
void pripraviNapravo(QPagedPaintDevice& naprava, const Porocilo& porocilo);

// Lays the report out and draws it page by page on a device prepared with
// pripraviNapravo, starting a new device page before every page after the first.
// Returns the number of pages.
int narisiPorocilo(QPagedPaintDevice& naprava, const Porocilo& porocilo, VirVrstic& vir,
                   const QDateTime& zdaj);

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

#pragma once

#include <QList>
#include <QSizeF>
#include <QString>
#include <gtest/gtest.h>

// A PDF as poppler's tools read it. The tests that need them skip themselves through
// LEDG_PRESKOCI_BREZ_PDFTOTEXT() where poppler-utils is not installed.

// The text of a PDF file as pdftotext -layout gives it.
QString besediloPdf(const QString& pdf);

// A word of a PDF with its box in points, and the page it is on (1-based).
struct BesedaPdf {
    QString besedilo;
    double xMin, yMin, xMax, yMax;
    int stran;
};

// The words of a PDF with their boxes, as pdftotext -bbox reports them; `strani`,
// when given, receives each page's size in points.
QList<BesedaPdf> besedePdf(const QString& pdf, QList<QSizeF>* strani = nullptr);

// What pdfinfo reports about the file (page size, page count, ...).
QString podatkiPdf(const QString& pdf);

bool imaPdftotext();

#define LEDG_PRESKOCI_BREZ_PDFTOTEXT()                                                                                 \
    do {                                                                                                               \
        if (!imaPdftotext())                                                                                           \
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";                                              \
    } while (0)

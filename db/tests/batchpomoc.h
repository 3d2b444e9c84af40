#pragma once

#include "testnabaza.h"

#include <QString>
#include <QStringList>

// What a run of build/ledgxfer-batch left: exit code, standard output and error.
struct IzidBatch {
    int koda = -1;
    QString izhod;
    QString napake;
};

// Runs ledgxfer-batch with `argumenti` (the subcommand first) and the test database's
// login, under the Slovenian locale.
IzidBatch zazeniBatch(const TestnaBaza& baza, QStringList argumenti);

// The text of a PDF file as pdftotext -layout gives it.
QString besediloPdf(const QString& pdf);

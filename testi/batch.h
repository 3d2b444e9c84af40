#pragma once

#include "testnabaza.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What a run of build/ledgxfer-batch left: exit code, standard output and error.
struct IzidBatch {
    int koda = -1; // -1: the program crashed or did not finish
    QString izhod;
    QString napake;
};

// The path of build/ledgxfer-batch.
QString programBatch();

// What the finished process `p` left.
IzidBatch izidBatch(QProcess& p);

// Runs ledgxfer-batch with `argumenti` as they stand (the subcommand first, no login
// added) in the environment `okolje`, standard input closed.
IzidBatch zazeniBatch(const QStringList& argumenti,
                      const QProcessEnvironment& okolje = QProcessEnvironment::systemEnvironment());

// Runs ledgxfer-batch with `argumenti` and the test database's login, under the
// Slovenian locale.
IzidBatch zazeniBatch(const TestnaBaza& baza, QStringList argumenti);

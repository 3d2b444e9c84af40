#pragma once

#include "okna.h"
#include "okolje.h"
#include "testnestoritve.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <optional>

class TForm1;

// Records what the desktop would open in the text editor.
class Urejevalnik : public QObject {
    Q_OBJECT
public:
    QStringList odprte;
public slots:
    void odpri(const QUrl& url) { odprte << url.toLocalFile(); }
};

// The ten windows as the program makes them, with `domov` as the application
// directory; message boxes, save dialogs and the editor are answered by the test
// (TestneStoritve; a save dialog is answered with `odgovorDialoga`).
struct Program : TestneStoritve {
    explicit Program(const QString& domov);
    ~Program();
    TForm1* f1() const { return okna.Form1; }

    Okna okna;
    QList<DialogShrani> dialogi;
    std::optional<QString> odgovorDialoga;
    Urejevalnik urejevalnik;
};

QByteArray preberiDatoteko(const QString& pot);
// Writes `vsebina` as the whole file (a test's previous output, a damaged table).
void zapisiDatoteko(const QString& pot, const QByteArray& vsebina);

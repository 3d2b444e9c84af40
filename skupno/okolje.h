#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// Description of a save-file dialog, as the engine asks for one.
struct DialogShrani {
    QString naslov;            // title
    QString privzetaKoncnica;  // default extension, without the dot
    QString filter;            // "Opis (*.X)|*.X|Vse datoteke (*.*)|*.*"
    QString zacetniDirektorij; // initial directory, may be empty
    QString imeDatoteke;       // initial file name (may be a full path)
};

// Everything the engine needs from the outside world. The main window implements it
// with widgets, the batch command on the terminal, and tests with a recorder, so that
// one engine code path serves all three.
class Okolje {
public:
    virtual ~Okolje() = default;

    // A message box with one button (waits until the operator closes it).
    virtual void sporocilo(const QString& besedilo) = 0;

    // A question with the answers yes and no (waits for the answer); true for yes.
    // The answer offered first is no, and so is every way of closing it but yes.
    // Where nobody can answer (the batch command), the question is said and the
    // answer is no.
    virtual bool vprasanje(const QString& besedilo) = 0;

    // Status line of long operations: shown with the text, or hidden.
    virtual void statusnaVrstica(const QString& besedilo) = 0;
    virtual void skrijStatusnoVrstico() = 0;

    // Progress display: bar and percentage text.
    virtual void prikaziNapredek(bool viden) = 0;
    virtual void napredek(int procent) = 0;              // bar position and "NN %"
    virtual void procentiBesedilo(const QString& b) = 0; // the percentage label's text as given

    // Repaint and let pending window messages be processed.
    virtual void obdelajDogodke() = 0;
    // Called again and again from inside a statement that runs long (Pogon::odzivnost):
    // repaint and run timers, leaving the operator's input for the next obdelajDogodke.
    // Nothing it does may use the database. How often it really repaints is its own
    // choice; by default it does nothing.
    virtual void medStavkom() {}

    // The stop request of the end command.
    virtual bool konecZahtevan() const = 0;
    virtual void pocistiKonec() = 0;

    // Today's date and the clock.
    virtual QDate danes() const { return QDate::currentDate(); }
    virtual QDateTime zdaj() const { return QDateTime::currentDateTime(); }

    // Opens a text file in the desktop's text editor, without waiting.
    virtual void odpriVUrejevalniku(const QString& pot) = 0;

    // A save-file dialog; nothing when the operator cancels.
    virtual std::optional<QString> shraniDatoteko(const DialogShrani& dialog) = 0;
};

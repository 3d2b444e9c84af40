#pragma once

#include "okolje.h"

#include <memory>
#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

// What the main window asks of the desktop: modal dialogs, message boxes, the save
// dialog and the end of the program. The program's main hands the window this class
// as it stands; a test hands it one that answers instead of the operator. The window
// reaches the desktop only through it.
class StoritveOkna {
public:
    virtual ~StoritveOkna() = default;

    // Shows `dialog` modally and returns how it was closed.
    virtual int prikaziModalno(QDialog& dialog);

    // A message box with one button over `lastnik`, titled with the program's Slovenian
    // name; a carriage return on its own starts a new line, as in the system's message
    // boxes.
    virtual void sporocilo(QWidget* lastnik, const QString& besedilo);

    // A question over `lastnik` (titled like a message) with the buttons "&Da" and "&Ne"; "&Ne" is the default
    // button, and Escape or the close box answer no. True for yes.
    virtual bool vprasanje(QWidget* lastnik, const QString& besedilo);

    // A save-file dialog over `lastnik`; nothing when the operator cancels.
    virtual std::optional<QString> shraniDatoteko(QWidget* lastnik, const DialogShrani& dialog);

    // Ends the program once the event loop is back.
    virtual void koncaj();
};

// The save dialog as shraniDatoteko shows it: the toolkit's own dialog (Slovenian under
// any machine locale), its date column in the program's short format.
std::unique_ptr<QFileDialog> dialogShrani(QWidget* lastnik, const DialogShrani& dialog);

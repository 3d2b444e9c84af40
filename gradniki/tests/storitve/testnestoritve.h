#pragma once

#include "storitveokna.h"

#include <QDialog>
#include <QObject>
#include <QStringList>
#include <functional>

// The main window's desktop in a test: message boxes are recorded instead of shown,
// modal dialogs are recorded by their objectName and answered by `modalno` (when it
// is not set they are shown for real), save dialogs are answered by `shrani` (when it
// is not set they are cancelled), and the end of the program is counted.
class TestneStoritve : public StoritveOkna {
public:
    QStringList sporocila;
    QStringList vprasanja;         // questions asked, in order
    bool odgovorVprasanja = false; // what every question is answered
    QStringList prikazaniDialogi;
    int konec = 0;
    std::function<int(QDialog&)> modalno;
    std::function<std::optional<QString>(const DialogShrani&)> shrani;

    int prikaziModalno(QDialog& dialog) override
    {
        prikazaniDialogi << dialog.objectName();
        return modalno ? modalno(dialog) : StoritveOkna::prikaziModalno(dialog);
    }
    std::function<void()> obSporocilu; // runs as each message is shown
    void sporocilo(QWidget*, const QString& besedilo) override
    {
        sporocila << besedilo;
        if (obSporocilu)
            obSporocilu();
    }
    bool vprasanje(QWidget*, const QString& besedilo) override
    {
        vprasanja << besedilo;
        return odgovorVprasanja;
    }
    std::optional<QString> shraniDatoteko(QWidget*, const DialogShrani& dialog) override
    {
        return shrani ? shrani(dialog) : std::nullopt;
    }
    void koncaj() override { ++konec; }
};

// The control of `okno` named `ime` (its objectName, the design's name). A name that
// the window does not have ends the test program with both names.
template <class T>
T* kontrola(const QObject* okno, const char* ime)
{
    T* k = okno->findChild<T*>(QString::fromLatin1(ime));
    if (!k)
        qFatal("%s nima kontrole %s (%s)", qPrintable(okno->objectName()), ime, T::staticMetaObject.className());
    return k;
}

#pragma once

#include "okolje.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

// The outside world of the engine as a recorder, for every suite: messages, the status
// line, the progress display, editor calls and save dialogs are written down in order;
// the save dialog answers `odgovorDialoga`; the stop request is raised by the test
// (`konec`) or at a given progress step; the clock stands still at `trenutek`.
class Zapisnik : public Okolje {
public:
    QStringList sporocila;
    QStringList vprasanja;         // questions asked, in order
    bool odgovorVprasanja = false; // what every question is answered
    QStringList statusi;           // texts of the status line, in order
    bool statusViden = false;      // the status line is shown now
    bool napredekViden = false;
    QList<int> procenti;                   // every progress position, in order
    QString procentiTekst;                 // the percentage label as it stands
    int dogodkov = 0;                      // how often pending events were let through
    int medStavki = 0;                     // how often a long statement called back as it worked
    QStringList urejevalnik;               // files opened in the text editor
    QList<DialogShrani> dialogi;           // save dialogs asked for
    std::optional<QString> odgovorDialoga; // what every save dialog answers

    bool konec = false;                  // the stop request
    int konecPoKorakih = -1;             // raise the stop request at this progress step (1-based)
    std::function<void(int)> obNapredku; // runs at every progress step, with its ordinal
    std::function<void()> obDogodkih;    // runs whenever pending events are let through

    QDateTime trenutek{QDate(2024, 3, 5), QTime(9, 30)}; // today and the clock

    void sporocilo(const QString& b) override { sporocila << b; }
    bool vprasanje(const QString& b) override
    {
        vprasanja << b;
        return odgovorVprasanja;
    }
    void statusnaVrstica(const QString& b) override
    {
        statusi << b;
        statusViden = true;
    }
    void skrijStatusnoVrstico() override { statusViden = false; }
    void prikaziNapredek(bool v) override { napredekViden = v; }
    void napredek(int p) override
    {
        procenti << p;
        procentiTekst = QString::number(p) + QStringLiteral(" %");
        if (obNapredku)
            obNapredku(int(procenti.size()));
        if (konecPoKorakih > 0 && procenti.size() == konecPoKorakih)
            konec = true;
    }
    void procentiBesedilo(const QString& b) override { procentiTekst = b; }
    void obdelajDogodke() override
    {
        ++dogodkov;
        if (obDogodkih)
            obDogodkih();
    }
    void medStavkom() override { ++medStavki; }
    bool konecZahtevan() const override { return konec; }
    void pocistiKonec() override { konec = false; }
    QDate danes() const override { return trenutek.date(); }
    QDateTime zdaj() const override { return trenutek; }
    void odpriVUrejevalniku(const QString& pot) override { urejevalnik << pot; }
    std::optional<QString> shraniDatoteko(const DialogShrani& d) override
    {
        dialogi << d;
        return odgovorDialoga;
    }
};

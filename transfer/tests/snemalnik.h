#pragma once

#include "okolje.h"
#include "oknoprenosa.h"

#include <QStringList>
#include <functional>

// The outside world and the main window of a transfer run, recorded: messages,
// status texts, progress, the number field and the record-count label. Today is
// fixed; a stop request can be raised after a number of progress steps.
class Snemalnik : public Okolje, public OknoPrenosa {
public:
    QStringList sporocila;
    QStringList statusi;
    QList<int> procenti;
    QString stevilkaPrenosa = QStringLiteral("0");
    QStringList zgodovinaStevilke; // every text the number field received
    QString steviloZapisov = QStringLiteral("..");
    bool mreza = true;
    int sumeKlicev = 0;
    bool seznam = true; // a grid shows the closing list
    bool konec = false;
    int konecPoKorakih = -1; // raise the stop request at this progress step (1-based)
    QDate danasnji = QDate(2018, 1, 31);

    void sporocilo(const QString& b) override { sporocila << b; }
    void statusnaVrstica(const QString& b) override { statusi << b; }
    void skrijStatusnoVrstico() override {}
    void prikaziNapredek(bool) override {}
    std::function<void(int)> obNapredku; // runs at every progress step, with its ordinal
    void napredek(int p) override
    {
        procenti << p;
        if (obNapredku)
            obNapredku(int(procenti.size()));
        if (konecPoKorakih > 0 && procenti.size() == konecPoKorakih)
            konec = true;
    }
    void procentiBesedilo(const QString&) override {}
    std::function<void()> obDogodkih; // runs whenever the run lets pending events through
    void obdelajDogodke() override
    {
        if (obDogodkih)
            obDogodkih();
    }
    bool konecZahtevan() const override { return konec; }
    void pocistiKonec() override { konec = false; }
    QDate danes() const override { return danasnji; }
    QDateTime zdaj() const override { return QDateTime(danasnji, QTime(10, 30)); }
    void odpriVUrejevalniku(const QString&) override {}
    std::optional<QString> shraniDatoteko(const DialogShrani&) override { return std::nullopt; }

    bool prikazujeSeznam() const override { return seznam; }

    void nastaviStevilkoPrenosa(const QString& b) override
    {
        stevilkaPrenosa = b;
        zgodovinaStevilke << b;
    }
    std::function<void()> obSteviluZapisov; // runs when the run shows its row count
    void nastaviSteviloZapisov(const QString& b) override
    {
        steviloZapisov = b;
        if (obSteviluZapisov && !b.isEmpty())
            obSteviluZapisov();
    }
    void povezavaMreze(bool v) override { mreza = v; }
    void Sume() override { ++sumeKlicev; }
};

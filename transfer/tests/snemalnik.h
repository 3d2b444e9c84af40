#pragma once

#include "oknoprenosa.h"
#include "zapisnik.h"

#include <QStringList>
#include <functional>

// The outside world and the main window of a transfer run, recorded: beyond what
// Zapisnik records, the number field and the record-count label, the grid's data link
// and the list-finishing pass. Today is 31 January 2018.
class Snemalnik : public Zapisnik, public OknoPrenosa {
public:
    Snemalnik() { trenutek = QDateTime(QDate(2018, 1, 31), QTime(10, 30)); }

    QString stevilkaPrenosa = QStringLiteral("0");
    QStringList zgodovinaStevilke; // every text the number field received
    QString steviloZapisov = QStringLiteral("..");
    bool mreza = true;
    int sumeKlicev = 0;
    bool seznam = true; // a grid shows the closing list

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

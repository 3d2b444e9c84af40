#pragma once

#include "oknoprenosa.h"

// The main window's part in a transfer run, as plain values: the batch has no grid
// and no record-count label; the number field is kept for the caller.
class BatchOkno : public OknoPrenosa {
public:
    QString stevilka;
    void nastaviStevilkoPrenosa(const QString& b) override { stevilka = b; }
    void nastaviSteviloZapisov(const QString&) override {}
    void povezavaMreze(bool) override {}
    void Sume() override {}
    bool prikazujeSeznam() const override { return false; }
};

#pragma once

#include <QString>

// The main window as a transfer run sees it, beyond the outside world of Okolje:
// the number field, the record-count label, the data link of the grid and the
// list-finishing pass. The main window implements it with its controls; the batch
// command with plain values.
class OknoPrenosa {
public:
    virtual ~OknoPrenosa() = default;
    virtual void nastaviStevilkoPrenosa(const QString& besedilo) = 0; // eStevilkaPrenosa
    virtual void nastaviSteviloZapisov(const QString& besedilo) = 0;  // lblSteviloZapisov
    virtual void povezavaMreze(bool vklopljena) = 0;                  // DataSource1
    virtual void Sume() = 0;                                          // list-finishing pass
    // The run has passed its point of no return: the file is whole and the transfer
    // is being committed; a stop request is no longer heard.
    virtual void zacetekZakljucka() {}
    // Whether a grid shows the closing list; without one the run does not read it.
    virtual bool prikazujeSeznam() const { return true; }
};

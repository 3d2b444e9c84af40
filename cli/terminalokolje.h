#pragma once

#include "okolje.h"

#include <QTextStream>

// The outside world of the batch command: messages go to standard output, one per
// line in UTF-8; progress is not shown; there are no dialogs and no editor.
class TerminalOkolje : public Okolje {
public:
    TerminalOkolje();

    void sporocilo(const QString& besedilo) override;
    void statusnaVrstica(const QString&) override {}
    void skrijStatusnoVrstico() override {}
    void prikaziNapredek(bool) override {}
    void napredek(int) override {}
    void procentiBesedilo(const QString&) override {}
    void obdelajDogodke() override {}
    bool konecZahtevan() const override { return m_konec; }
    void pocistiKonec() override { m_konec = false; }
    void odpriVUrejevalniku(const QString&) override {}
    std::optional<QString> shraniDatoteko(const DialogShrani&) override { return std::nullopt; }

    // Messages shown so far, for the exit code.
    int steviloSporocil() const { return m_sporocil; }
    // A failure of the command line itself, on standard error.
    void napaka(const QString& besedilo);

private:
    QTextStream m_izhod;
    QTextStream m_napake;
    bool m_konec = false;
    int m_sporocil = 0;
};

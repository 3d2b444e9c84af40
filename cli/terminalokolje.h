#pragma once

#include "okolje.h"

#include <QElapsedTimer>
#include <QTextStream>

// The outside world of the batch command: messages go to standard output, one per
// line in UTF-8; the progress of a run is one line on standard error when that is a
// terminal (percentage and rows per second), nothing otherwise; there are no dialogs
// and no editor. SIGINT and SIGTERM, once `prestreziSignale` has run, raise the stop
// request that "&Konec" raises in the window; a second signal ends the process at once.
class TerminalOkolje : public Okolje {
public:
    TerminalOkolje();

    void sporocilo(const QString& besedilo) override;
    // Nobody answers at a scheduled run: the question is said, followed by
    // `odgovorNaVprasanje`, and the answer is no.
    bool vprasanje(const QString& besedilo) override;
    QString odgovorNaVprasanje;
    void statusnaVrstica(const QString&) override {}
    void skrijStatusnoVrstico() override {}
    void prikaziNapredek(bool viden) override;
    void napredek(int procent) override;
    void procentiBesedilo(const QString&) override {}
    void obdelajDogodke() override {}
    bool konecZahtevan() const override;
    void pocistiKonec() override;
    void odpriVUrejevalniku(const QString&) override {}
    std::optional<QString> shraniDatoteko(const DialogShrani&) override { return std::nullopt; }

    // A failure of the command line itself, on standard error.
    void napaka(const QString& besedilo);

    // Installs the handlers of SIGINT and SIGTERM (for commands that honour the stop
    // request). Async-signal-safe: the handler only sets a flag that konecZahtevan reads.
    static void prestreziSignale();
    // Whether SIGINT or SIGTERM arrived since prestreziSignale (stays set after
    // pocistiKonec): the run was stopped by a signal.
    static bool signalPrejet();

private:
    void izpisiNapredek(int procent, bool koncno);

    QTextStream m_izhod;
    QTextStream m_napake;
    bool m_terminal = false; // standard error is a terminal: progress is shown
    bool m_napredekViden = false;
    qint64 m_vrstic = 0;       // progress steps (rows) since the display was shown
    qint64 m_zadnjiIzpis = -1; // ms of the last progress line
    int m_zadnjiProcent = -1;
    QElapsedTimer m_cas;
};

#include "terminalokolje.h"

#include "platforma.h"

#include <atomic>
#include <cstdio>

namespace {

// Set by the signal handler, read by the run before every posting. Lock-free atomics
// are async-signal-safe; Qt's event loop does not run in the batch, so a flag is all
// that is needed.
std::atomic<bool> g_konec{false};
std::atomic<bool> g_signal{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first SIGINT or SIGTERM (the second ends the process: see platforma.h).
void obSignalu()
{
    g_signal.store(true);
    g_konec.store(true);
}

} // namespace

TerminalOkolje::TerminalOkolje() : m_izhod(stdout), m_napake(stderr)
{
    m_izhod.setEncoding(QStringConverter::Utf8);
    m_napake.setEncoding(QStringConverter::Utf8);
    m_terminal = platforma::napakeNaTerminalu();
}

void TerminalOkolje::prestreziSignale() { platforma::prestreziZahtevoKonca(obSignalu); }

bool TerminalOkolje::signalPrejet() { return g_signal.load(); }

bool TerminalOkolje::konecZahtevan() const { return g_konec.load(); }

void TerminalOkolje::pocistiKonec() { g_konec.store(false); }

void TerminalOkolje::sporocilo(const QString& besedilo)
{
    if (m_napredekViden && m_zadnjiIzpis >= 0) {
        m_napake << '\n';
        m_napake.flush();
        m_zadnjiIzpis = -1;
    }
    QString b = besedilo;
    b.replace(u'\r', u'\n');
    m_izhod << b << Qt::endl;
}

bool TerminalOkolje::vprasanje(const QString& besedilo)
{
    sporocilo(besedilo);
    if (!odgovorNaVprasanje.isEmpty())
        sporocilo(odgovorNaVprasanje);
    return false;
}

void TerminalOkolje::napaka(const QString& besedilo) { m_napake << besedilo << Qt::endl; }

void TerminalOkolje::prikaziNapredek(bool viden)
{
    if (viden && !m_napredekViden) {
        m_vrstic = 0;
        m_zadnjiIzpis = -1;
        m_zadnjiProcent = -1;
        m_cas.start();
    } else if (!viden && m_napredekViden && m_zadnjiIzpis >= 0) {
        izpisiNapredek(m_zadnjiProcent, true);
    }
    m_napredekViden = viden;
}

void TerminalOkolje::napredek(int procent)
{
    if (!m_terminal)
        return;
    if (!m_napredekViden)
        prikaziNapredek(true);
    ++m_vrstic;
    // At most five lines a second, and the last row's.
    if (m_zadnjiIzpis >= 0 && m_cas.elapsed() - m_zadnjiIzpis < 200 && procent != 100)
        return;
    m_zadnjiProcent = procent;
    izpisiNapredek(procent, false);
}

void TerminalOkolje::izpisiNapredek(int procent, bool koncno)
{
    if (!m_terminal)
        return;
    const qint64 ms = m_cas.elapsed();
    m_zadnjiIzpis = ms;
    const qint64 naSekundo = ms > 0 ? m_vrstic * 1000 / ms : m_vrstic;
    // "\r" returns to the start of the line; the trailing blanks wipe a longer line.
    m_napake << QStringLiteral("\r%1 % (%2 vrstic, %3 vrstic/s)   ").arg(procent, 3).arg(m_vrstic).arg(naSekundo);
    if (koncno) {
        m_napake << '\n';
        m_zadnjiIzpis = -1;
    }
    m_napake.flush();
}

#include "terminalokolje.h"

#include <cstdio>

TerminalOkolje::TerminalOkolje() : m_izhod(stdout), m_napake(stderr)
{
    m_izhod.setEncoding(QStringConverter::Utf8);
    m_napake.setEncoding(QStringConverter::Utf8);
}

void TerminalOkolje::sporocilo(const QString& besedilo)
{
    ++m_sporocil;
    QString b = besedilo;
    b.replace(u'\r', u'\n');
    m_izhod << b << Qt::endl;
}

void TerminalOkolje::napaka(const QString& besedilo)
{
    m_napake << besedilo << Qt::endl;
}

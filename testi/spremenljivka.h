#pragma once

#include <QByteArray>
#include <QtGlobal>

// An environment variable set (or, with null, unset) for one scope; the previous state
// comes back at its end. For switches such as LEDGXFER_NATIVNO that a test turns both
// ways in one program.
class ZacasnaSpremenljivka {
public:
    ZacasnaSpremenljivka(const char* ime, const char* vrednost)
        : m_ime(ime), m_bila(qEnvironmentVariableIsSet(ime)), m_prej(qgetenv(ime))
    {
        if (vrednost)
            qputenv(ime, vrednost);
        else
            qunsetenv(ime);
    }
    ~ZacasnaSpremenljivka()
    {
        if (m_bila)
            qputenv(m_ime, m_prej);
        else
            qunsetenv(m_ime);
    }
    ZacasnaSpremenljivka(const ZacasnaSpremenljivka&) = delete;
    ZacasnaSpremenljivka& operator=(const ZacasnaSpremenljivka&) = delete;

private:
    const char* m_ime;
    bool m_bila;
    QByteArray m_prej;
};

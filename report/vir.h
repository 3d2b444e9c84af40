#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The rows a report runs over, in their order. A pass starts with prvi() and goes on
// with naslednji() until either returns false; a report may make several passes (a
// preview repaints, then prints). Fields are found by name without regard to case; a
// field the source lacks reads as null.
class VirVrstic {
public:
    virtual ~VirVrstic() = default;
    // Goes to the first row; false when there is none.
    virtual bool prvi() = 0;
    // Goes to the next row; false after the last.
    virtual bool naslednji() = 0;
    // A field of the current row; null when the field is missing or null.
    virtual QVariant vrednost(const QString& polje) = 0;
    virtual bool imaPolje(const QString& polje) const = 0;
    // How many rows a pass gives, when the source knows it before the end (after
    // prvi()); -1 otherwise. A preview shows how far its layout has come with it.
    virtual qint64 steviloVrstic() const { return -1; }
};

// Rows held in memory: column names and one list of values per row.
class TabelaVir : public VirVrstic {
public:
    TabelaVir(const QStringList& stolpci, const QList<QVariantList>& vrstice) : m_stolpci(stolpci), m_vrstice(vrstice)
    {
    }

    bool prvi() override
    {
        m_i = 0;
        return m_i < m_vrstice.size();
    }
    bool naslednji() override
    {
        if (m_i < m_vrstice.size())
            ++m_i;
        return m_i < m_vrstice.size();
    }
    QVariant vrednost(const QString& polje) override
    {
        const int s = indeks(polje);
        if (s < 0 || m_i >= m_vrstice.size() || s >= m_vrstice.at(m_i).size())
            return {};
        return m_vrstice.at(m_i).at(s);
    }
    bool imaPolje(const QString& polje) const override { return indeks(polje) >= 0; }
    qint64 steviloVrstic() const override { return m_vrstice.size(); }

private:
    int indeks(const QString& polje) const
    {
        for (int s = 0; s < m_stolpci.size(); ++s)
            if (m_stolpci.at(s).compare(polje, Qt::CaseInsensitive) == 0)
                return s;
        return -1;
    }
    QStringList m_stolpci;
    QList<QVariantList> m_vrstice;
    qsizetype m_i = 0;
};

// A source without rows.
class PrazenVir : public VirVrstic {
public:
    bool prvi() override { return false; }
    bool naslednji() override { return false; }
    QVariant vrednost(const QString&) override { return {}; }
    bool imaPolje(const QString&) const override { return false; }
};

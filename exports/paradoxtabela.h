#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// A local table file in the Paradox format (such as "ZOKDLL.DB"), read with pxlib.
// The whole table is read at once; values come as QVariant: text for alpha fields
// (decoded from the table's code page), qint64 for short, long and auto-increment
// fields, double for number, money and BCD fields, bool for logical and QDate for
// date fields. An empty field is a null QVariant. Failures throw Napaka with a text
// that names the file.
class ParadoxTabela {
public:
    static ParadoxTabela preberi(const QString& pot);

    const QStringList& polja() const { return m_polja; }
    // Index of a field by name without regard to case, -1 if there is none.
    int indeksPolja(const QString& ime) const;
    // Whether a field holds numbers (short, long, auto-increment, number, money, BCD).
    bool jeStevilsko(int polje) const { return m_stevilsko.value(polje); }

    int steviloVrstic() const { return static_cast<int>(m_vrstice.size()); }
    const QVariantList& vrstica(int i) const { return m_vrstice.at(i); }

private:
    QStringList m_polja;
    QList<bool> m_stevilsko;
    QList<QVariantList> m_vrstice;
};

#pragma once

#include "okolje.h"

#include <QList>
#include <QStringList>
#include <ostream>

// Texts in test failures as text, not as code units.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << '"' << b.toStdString() << '"';
}

// The outside world of the engine as a recorder: messages, editor calls, save dialogs
// asked for, the progress display; today is a fixed date.
class Zapisnik : public Okolje {
public:
    QStringList sporocila;
    QStringList urejevalnik;
    QList<DialogShrani> dialogi;
    std::optional<QString> odgovorDialoga; // what the save dialog answers
    QStringList statusi;                   // texts of the status line, in order
    bool statusViden = false;
    bool napredekViden = false;
    QList<int> procenti;
    QString procentiTekst;
    int dogodkov = 0;
    QDate datum{2024, 3, 5};

    void sporocilo(const QString& b) override { sporocila << b; }
    void statusnaVrstica(const QString& b) override
    {
        statusi << b;
        statusViden = true;
    }
    void skrijStatusnoVrstico() override { statusViden = false; }
    void prikaziNapredek(bool v) override { napredekViden = v; }
    void napredek(int p) override
    {
        procenti << p;
        procentiTekst = QString::number(p) + QStringLiteral(" %");
    }
    void procentiBesedilo(const QString& b) override { procentiTekst = b; }
    void obdelajDogodke() override { ++dogodkov; }
    bool konecZahtevan() const override { return false; }
    void pocistiKonec() override {}
    QDate danes() const override { return datum; }
    void odpriVUrejevalniku(const QString& pot) override { urejevalnik << pot; }
    std::optional<QString> shraniDatoteko(const DialogShrani& d) override
    {
        dialogi << d;
        return odgovorDialoga;
    }
};

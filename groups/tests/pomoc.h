#pragma once

#include "okolje.h"
#include "poizvedba.h"

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QStringList>

// Event codes of a test: (code, name) pairs written into SfDog.
inline void vstaviDogodke(const QSqlDatabase& db, const QList<QPair<int, QString>>& dogodki)
{
    Poizvedba q(db);
    for (const auto& [koda, ime] : dogodki)
        q.izvedi(QStringLiteral("INSERT INTO SfDog (SfDog, Nzv) VALUES (:KODA, :IME)"),
                 {{QStringLiteral("KODA"), koda}, {QStringLiteral("IME"), ime}});
}

// The outside world of a test: messages are recorded, nothing else happens.
class ZapisovalecOkolja : public Okolje {
public:
    QStringList sporocila;

    void sporocilo(const QString& besedilo) override { sporocila << besedilo; }
    void statusnaVrstica(const QString&) override {}
    void skrijStatusnoVrstico() override {}
    void prikaziNapredek(bool) override {}
    void napredek(int) override {}
    void procentiBesedilo(const QString&) override {}
    void obdelajDogodke() override {}
    bool konecZahtevan() const override { return false; }
    void pocistiKonec() override {}
    void odpriVUrejevalniku(const QString&) override {}
    std::optional<QString> shraniDatoteko(const DialogShrani&) override { return std::nullopt; }
};

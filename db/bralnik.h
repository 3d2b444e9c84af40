#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

// A one-directional reader of a statement's rows past the driver, on the engine's own
// handle (see pogon.h for who hands one out). It stands on the first row, if any, as
// soon as it is made; every value comes out exactly as the driver and the conversions of
// poizvedba.h (vrednostNiz, vrednostCelo, ...) would give it together.
class Bralnik {
public:
    virtual ~Bralnik() = default;

    virtual int steviloStolpcev() const = 0;
    virtual QString imeStolpca(int stolpec) const = 0;
    // The declared length the driver gives a column, or -1.
    virtual int dolzinaStolpca(int stolpec) const = 0;

    // To the next row; false at the end or on a failure (napaka() then says why).
    virtual bool naslednji() = 0;
    virtual bool konec() const = 0;
    virtual int vrstica() const = 0; // 0-based; QSql::AfterLastRow at the end
    virtual QString napaka() const = 0;
    // At the end of a group it could not fetch on the engine's handle (the driver took
    // the connection for a statement of its own): the rest is the driver's to read,
    // after this many rows.
    virtual std::optional<int> predajGonilniku() const { return std::nullopt; }

    // Values of the current row (the end: a null QVariant, "", 0, an invalid date).
    virtual QVariant vrednost(int stolpec) const = 0;
    virtual QString niz(int stolpec) const = 0;
    virtual qint64 celo(int stolpec) const = 0;
    virtual double realno(int stolpec) const = 0;
    virtual QDate datum(int stolpec) const = 0;
};

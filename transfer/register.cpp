#include "register.h"

#include "napaka.h"
#include "okolje.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"

const QString kNajvisjaStevilkaPrenosa = QStringLiteral("SELECT MAX(STPRENOSA) PRENOS FROM LEDGXFER ");

namespace {

const QString kUstvari = QStringLiteral("CREATE TABLE  LEDGXFER (") + QStringLiteral(" STPRENOSA INTEGER NOT NULL")
                         + QStringLiteral(",DATUM1 DATE") + QStringLiteral(",DATUM2 DATE")
                         + QStringLiteral(",DATUMPRENOSA DATE") + QStringLiteral(",PRIMARY KEY(STPRENOSA) )");

} // namespace

QString stavekSeznamaPrenosov()
{
    return QStringLiteral("SELECT * FROM  LEDGXFER ") + QStringLiteral(" ORDER BY StPrenosa DESC ");
}

QString stavekBrisanjaPrenosa(qint64 stevilka)
{
    return QStringLiteral("DELETE  FROM LEDGXFER  ") + QStringLiteral(" WHERE STPRENOSA=") + QString::number(stevilka);
}

QString stavekIskanjaPrenosa(qint64 stevilka)
{
    return QStringLiteral("SELECT * FROM  LEDGXFER ") + QStringLiteral(" WHERE STPRENOSA=") + QString::number(stevilka);
}

void ShraniZgodovino(const QString& baza, const Okolje& okolje, qint64 stevilka, const QDate& datum1,
                     const QDate& datum2)
{
    try {
        Poizvedba q(baza);
        q.poskusiIzvesti(kUstvari);
        // The row with this number (another workstation may have registered it in
        // the meantime): only its date of registration is refreshed.
        q.odpri(stavekIskanjaPrenosa(stevilka));
        const bool obstaja = q.naslednji();
        q.zapri();
        const QDate danes = okolje.zdaj().date();
        if (obstaja) {
            q.izvedi(QStringLiteral("UPDATE LEDGXFER SET DATUMPRENOSA=:DATUMPRENOSA WHERE STPRENOSA=")
                         + QString::number(stevilka),
                     {{QStringLiteral("DATUMPRENOSA"), danes}});
        } else {
            q.izvedi(QStringLiteral("INSERT INTO LEDGXFER (STPRENOSA, DATUM1, DATUM2, DATUMPRENOSA)"
                                    " VALUES (:STPRENOSA, :DATUM1, :DATUM2, :DATUMPRENOSA)"),
                     {{QStringLiteral("STPRENOSA"), stevilka},
                      {QStringLiteral("DATUM1"), datum1},
                      {QStringLiteral("DATUM2"), datum2},
                      {QStringLiteral("DATUMPRENOSA"), danes}});
        }
    } catch (const std::exception&) {
        // The registration never reports a failure; the run that called it goes on.
    }
}

std::optional<QVariant> najvisjiPrenos(const QString& baza)
{
    try {
        Poizvedba q(baza);
        if (!q.poskusiOdpreti(kNajvisjaStevilkaPrenosa) || !q.naslednji())
            return std::nullopt;
        return q.polje(QStringLiteral("PRENOS"));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

qint64 novaStevilkaPrenosa(const QString& baza)
{
    const std::optional<QVariant> najvisji = najvisjiPrenos(baza);
    if (!najvisji)
        return 1;
    return vrednostCelo(*najvisji) + 1;
}

void odpriSeznamPrenosov(Rezultat& rezultat, const QString& baza)
{
    rezultat.zapri();
    rezultat.nastaviImeBaze(baza);
    rezultat.odpri(povezava::zaIme(baza), stavekSeznamaPrenosov());
}

void brisiPrenos(const QString& baza, qint64 stevilka)
{
    Poizvedba q(baza);
    q.izvedi(stavekBrisanjaPrenosa(stevilka));
}

std::optional<VrsticaRegistra> najdiPrenos(const QString& baza, qint64 stevilka)
{
    Poizvedba q(baza);
    q.odpri(stavekIskanjaPrenosa(stevilka));
    if (!q.naslednji())
        return std::nullopt;
    VrsticaRegistra v;
    v.stevilka = q.celo(QStringLiteral("STPRENOSA"));
    v.datum1 = q.datum(QStringLiteral("DATUM1"));
    v.datum2 = q.datum(QStringLiteral("DATUM2"));
    v.datumPrenosa = q.datum(QStringLiteral("DATUMPRENOSA"));
    return v;
}

#include "register.h"

#include "napaka.h"
#include "okolje.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"
#include "belezenje.h"
#include "narecje.h"
#include "pogon.h"
#include "transakcija.h"

#include <QSqlDriver>

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

namespace {

void ustvariRegister(Transakcija& tx)
{
    QString napaka;
    if (!tx.poskusi(kUstvari, {}, QStringLiteral("tabelo LEDGXFER"), &napaka))
        qCDebug(lcTransfer).noquote() << "CREATE TABLE LEDGXFER:" << napaka;
}

} // namespace

void ShraniZgodovino(Transakcija& tx, const Okolje& okolje, qint64 stevilka, const QDate& datum1, const QDate& datum2)
{
    ustvariRegister(tx);
    // The row with this number: only its date of registration is refreshed.
    Poizvedba q(tx.baza());
    bool obstaja = false;
    if (!tx.vTocki([&] {
            if (!q.poskusiOdpreti(stavekIskanjaPrenosa(stevilka)))
                return false;
            obstaja = q.naslednji();
            q.zapri();
            return true;
        }))
        throw Napaka(q.zadnjaNapaka());
    const QDate danes = okolje.zdaj().date();
    const QString kaj = QStringLiteral("tabelo LEDGXFER");
    if (obstaja) {
        tx.izvedi(QStringLiteral("UPDATE LEDGXFER SET DATUMPRENOSA=:DATUMPRENOSA WHERE STPRENOSA=")
                      + QString::number(stevilka),
                  {{QStringLiteral("DATUMPRENOSA"), danes}}, kaj);
    } else {
        tx.izvedi(QStringLiteral("INSERT INTO LEDGXFER (STPRENOSA, DATUM1, DATUM2, DATUMPRENOSA)"
                                 " VALUES (:STPRENOSA, :DATUM1, :DATUM2, :DATUMPRENOSA)"),
                  {{QStringLiteral("STPRENOSA"), stevilka},
                   {QStringLiteral("DATUM1"), datum1},
                   {QStringLiteral("DATUM2"), datum2},
                   {QStringLiteral("DATUMPRENOSA"), danes}},
                  kaj);
    }
}

DodeljenaStevilka dodeliStevilko(Transakcija& tx)
{
    ustvariRegister(tx);
    const QString zaklep = Pogon::za(tx.baza())->stavekZaklepaRegistra();
    if (!zaklep.isEmpty())
        tx.izvedi(zaklep, {}, QStringLiteral("tabelo LEDGXFER"));
    Poizvedba q(tx.baza());
    DodeljenaStevilka izid;
    if (!tx.vTocki([&] {
            if (!q.poskusiOdpreti(kNajvisjaStevilkaPrenosa) || !q.naslednji())
                return false;
            izid.najvisja = q.polje(QStringLiteral("PRENOS"));
            q.zapri();
            return true;
        }))
        throw Napaka(q.zadnjaNapaka());
    izid.nova = vrednostCelo(izid.najvisja) + 1;
    return izid;
}

std::optional<QVariant> najvisjiPrenos(const QString& baza)
{
    try {
        Poizvedba q(baza);
        if (!q.poskusiOdpreti(kNajvisjaStevilkaPrenosa) || !q.naslednji()) {
            qCInfo(lcTransfer).noquote() << "Najvišja številka prenosa ni prebrana:" << q.zadnjaNapaka();
            return std::nullopt;
        }
        return q.polje(QStringLiteral("PRENOS"));
    } catch (const std::exception& e) {
        qCWarning(lcTransfer).noquote() << "Najvišja številka prenosa ni prebrana:" << e.what();
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

namespace {

VrsticaRegistra beriVrstico(const Poizvedba& q)
{
    VrsticaRegistra v;
    v.stevilka = q.celo(QStringLiteral("STPRENOSA"));
    v.datum1 = q.datum(QStringLiteral("DATUM1"));
    v.datum2 = q.datum(QStringLiteral("DATUM2"));
    v.datumPrenosa = q.datum(QStringLiteral("DATUMPRENOSA"));
    return v;
}

} // namespace

std::optional<VrsticaRegistra> najdiPrenos(const QString& baza, qint64 stevilka)
{
    Poizvedba q(baza);
    q.odpri(stavekIskanjaPrenosa(stevilka));
    if (!q.naslednji())
        return std::nullopt;
    return beriVrstico(q);
}

QList<VrsticaRegistra> prenosiVObdobju(const QString& baza, const QDate& od, const QDate& doo)
{
    Poizvedba q(baza);
    q.odpri(QStringLiteral("SELECT * FROM LEDGXFER WHERE DATUM1<=:DATUM2 AND DATUM2>=:DATUM1 ORDER BY STPRENOSA"),
            {{QStringLiteral("DATUM1"), od}, {QStringLiteral("DATUM2"), doo}});
    QList<VrsticaRegistra> vrstice;
    while (q.naslednji())
        vrstice << beriVrstico(q);
    return vrstice;
}

#include "pregled.h"

#include "belezenje.h"
#include "napaka.h"
#include "okolje.h"
#include "poizvedba.h"
#include "povezava.h"
#include "register.h"
#include "rezultat.h"

namespace {

const QString kZacetek = QStringLiteral("SELECT K.DATUMK, ");
const QString kNadaljevanje =
    QStringLiteral(" K.DATUMV DATUMV, ") + QStringLiteral(" S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA, ")
    + QStringLiteral(" K.BZNESEK BZNESEK , K.DZNESEK DZNESEK, ")
    + QStringLiteral(" K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT, ") + QStringLiteral(" O2.KRTBNK KRTBNK, ")
    + QStringLiteral(" K.TEKST TEXT, K.IDMASTER IDMASTER ") + QStringLiteral(" FROM KNJIZBE AS K  ")
    + QStringLiteral(" LEFT OUTER JOIN DOG AS D ON (K.IDMASTER = D.IDDOG) ")
    + QStringLiteral(" LEFT OUTER JOIN SIFKONT AS S ON (K.KONTO = S.CTRL) ")
    + QStringLiteral(" LEFT OUTER JOIN OSB  O2 ON (K.PARTNER=O2.SFOSB) ")
    + QStringLiteral(" WHERE K.DATUMK>=:DATUM1  AND K.DATUMK<=:DATUM2 ");

const QString kFormatZneska = QStringLiteral("####0.00");

} // namespace

QString stavekKnjizbPrenosa(qint64 stevilka)
{
    return kZacetek + QStringLiteral(" D.SFDJV SFDJV, ") + kNadaljevanje + QStringLiteral(" AND K.PRENOS=")
           + QString::number(stevilka)
           + QStringLiteral(" ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA, K.CTRL");
}

QString stavekKnjizbObmocja()
{
    return kZacetek + QStringLiteral(" D.SFDJV  SFDJV, ") + kNadaljevanje
           + QStringLiteral(" ORDER BY  S.OZNAKA, D.SFDJV,   K.DATUMK, K.STRAN, K.VALUTA, K.CTRL");
}

void nastaviPrikazKnjizb(Rezultat& Q1)
{
    Q1.nastaviPrikaz(QStringLiteral("DATUMK"), {10, QString(), QString()});
    Q1.nastaviPrikaz(QStringLiteral("KONTO"), {8, QString(), QStringLiteral("konto")});
    for (const char* polje : {"BZNESEK", "DZNESEK", "BZNESEKSIT", "DZNESEKSIT"})
        Q1.nastaviPrikaz(QString::fromLatin1(polje), {13, kFormatZneska, QString()});
}

Pregled::Pregled(Rezultat& Q1, KontrolePregleda& kontrole, Okolje& okolje, const QString& baza)
    : m_Q1(Q1), m_k(kontrole), m_okolje(okolje), m_baza(baza)
{
}

void Pregled::btnZgodovinaClick()
{
    try {
        odpriSeznamPrenosov(m_Q1, m_baza);
        m_Q1.prvi();
    } catch (const std::exception& e) {
        // The grid then shows nothing.
        qCWarning(lcReview).noquote() << "Registra prenosov ni mogoče brati:" << QString::fromUtf8(e.what());
        m_Q1.zapri();
    }
    m_k.nastaviSteviloZapisov(QString());
}

void Pregled::naloziKnjizbe(const std::optional<QString>& stavek)
{
    try {
        m_Q1.zapri();
        m_Q1.nastaviImeBaze(m_baza);
        // A number field that holds no integer lists nothing, as a statement the
        // database refused would; its text is never spliced into the statement.
        if (!stavek)
            return;
        m_Q1.odpri(povezava::zaIme(m_baza), *stavek,
                   {{QStringLiteral("DATUM1"), m_k.datum1()}, {QStringLiteral("DATUM2"), m_k.datum2()}});
        nastaviPrikazKnjizb(m_Q1);
        const int vrstic = m_Q1.steviloVrstic();
        // Rows that stopped coming while they were counted are no list: it would be short.
        if (const QString napaka = m_Q1.napaka(); !napaka.isEmpty())
            throw Napaka(napaka);
        m_k.nastaviSteviloZapisov(QString::number(vrstic));
    } catch (const std::exception& e) {
        qCWarning(lcReview).noquote() << "Knjižb ni mogoče brati:" << QString::fromUtf8(e.what());
        m_Q1.zapri();
    }
}

void Pregled::DBGrid1DblClick()
{
    // Only a row of the register list opens a transfer; anything else does nothing.
    qint64 stevilka = 0;
    QDate od, doo;
    try {
        if (!m_Q1.jeOdprt() || m_Q1.eof())
            return;
        const QVariant st = m_Q1.polje(QStringLiteral("STPRENOSA"));
        bool ok = false;
        stevilka = st.toLongLong(&ok);
        od = vrednostDatum(m_Q1.polje(QStringLiteral("DATUM1")));
        doo = vrednostDatum(m_Q1.polje(QStringLiteral("DATUM2")));
        if (st.isNull() || !ok || !od.isValid() || !doo.isValid())
            return;
    } catch (const std::exception& e) {
        qCWarning(lcReview).noquote() << "Vrstice registra prenosov ni mogoče prebrati:" << QString::fromUtf8(e.what());
        return;
    }
    m_k.nastaviDatum1(od);
    m_k.nastaviDatum2(doo);
    m_k.nastaviStevilkoPrenosa(QString::number(stevilka));
    m_okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje podatkov prenosa ") + QString::number(stevilka)
                             + QStringLiteral("..."));
    m_okolje.obdelajDogodke();
    const std::optional<qint64> polje = celoStevilo(m_k.stevilkaPrenosa());
    naloziKnjizbe(polje ? std::optional<QString>(stavekKnjizbPrenosa(*polje)) : std::nullopt);
    m_k.Sume();
    m_okolje.skrijStatusnoVrstico();
}

void Pregled::btnZadnjiClick()
{
    m_okolje.statusnaVrstica(QStringLiteral("Iskanje zadnje številke prenosa..."));
    m_okolje.obdelajDogodke();
    const std::optional<QVariant> najvisji = najvisjiPrenos(m_baza);
    if (najvisji) {
        m_k.nastaviStevilkoPrenosa(vrednostNiz(*najvisji));
        SeznamPrenosa(vrednostCelo(*najvisji));
    }
    m_okolje.skrijStatusnoVrstico();
}

void Pregled::SeznamPrenosa(qint64 stevilka)
{
    m_k.nastaviStevilkoPrenosa(QString::number(stevilka));
    m_okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje podatkov prenosa ") + QString::number(stevilka)
                             + QStringLiteral(" ..."));
    m_okolje.obdelajDogodke();
    naloziKnjizbe(stavekKnjizbObmocja());
    m_k.Sume();
    m_okolje.skrijStatusnoVrstico();
}

void Pregled::btnBrisiPrenosClick()
{
    const QString besedilo = m_k.stevilkaPrenosa();
    const std::optional<qint64> n = celoStevilo(besedilo);
    if (n && *n < 1)
        return;
    m_k.prikaziVprasanje(QStringLiteral("Ali brišem prenos številka ") + besedilo + QStringLiteral(" ?"));
}

void Pregled::btnOdgovorDaClick()
{
    const QString besedilo = m_k.stevilkaPrenosa();
    m_okolje.statusnaVrstica(QStringLiteral("Poteka brisanje prenosa ") + besedilo);
    m_okolje.obdelajDogodke();
    const std::optional<qint64> n = celoStevilo(besedilo);
    if (!n) {
        m_k.skrijVprasanje();
    } else if (*n >= 1) {
        try {
            m_Q1.zapri();
            m_Q1.nastaviImeBaze(m_baza);
            brisiPrenos(m_baza, *n);
            m_k.skrijVprasanje();
            m_okolje.sporocilo(QStringLiteral("Prenos številka ") + besedilo + QStringLiteral(" je zbrisan!"));
        } catch (const std::exception& e) {
            // The grid shows nothing; the transfer stays as it was.
            qCWarning(lcReview).noquote()
                << "Prenosa" << besedilo << "ni mogoče zbrisati:" << QString::fromUtf8(e.what());
            m_k.skrijVprasanje();
        }
    } else {
        m_k.skrijVprasanje();
        m_okolje.sporocilo(QStringLiteral("Prenos številka ") + besedilo + QStringLiteral(" je zbrisan!"));
    }
    m_okolje.skrijStatusnoVrstico();
}

void Pregled::btnOdgovorNeClick() { m_k.skrijVprasanje(); }

#include "zakljucek.h"

#include "izravnave.h"
#include "napaka.h"
#include "okolje.h"
#include "oknoprenosa.h"
#include "poizvedba.h"
#include "povezava.h"
#include "register.h"
#include "rezultat.h"
#include "belezenje.h"
#include "transakcija.h"

#include <QElapsedTimer>

#include <algorithm>

QString stavekOznaciKnjizbe(qint64 novaStevilka)
{
    return QStringLiteral("UPDATE KNJIZBE SET PRENOS=") + QString::number(novaStevilka)
           + QStringLiteral(" WHERE DATUMK>=:DATUM1  AND DATUMK<=:DATUM2 ")
           + QStringLiteral(" AND (PRENOS IS NULL OR PRENOS<1) ");
}

QString stavekZakljucnegaSeznama(qint64 stevilkaNaZacetku)
{
    QString sql = QStringLiteral("SELECT K.DATUMK, ") + QStringLiteral(" D.SFDJV AS SFDJV, ")
                  + QStringLiteral(" S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA, ") + QStringLiteral(" K.DATUMV DATUMV, ")
                  + QStringLiteral(" K.BZNESEK BZNESEK , K.DZNESEK DZNESEK, ")
                  + QStringLiteral(" K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT, ")
                  + QStringLiteral(" O2.KRTBNK KRTBNK, ") + QStringLiteral(" K.TEKST TEXT, K.IDMASTER IDMASTER ")
                  + QStringLiteral(" FROM KNJIZBE AS K  ")
                  + QStringLiteral(" LEFT OUTER JOIN DOG AS D ON (K.IDMASTER = D.IDDOG) ")
                  + QStringLiteral(" LEFT OUTER JOIN SIFKONT AS S ON (K.KONTO = S.CTRL) ")
                  + QStringLiteral(" LEFT OUTER JOIN OSB  O2 ON (K.PARTNER=O2.SFOSB) ")
                  + QStringLiteral(" WHERE K.DATUMK>=:DATUM1  AND K.DATUMK<=:DATUM2 ");
    if (stevilkaNaZacetku == 0)
        sql += QStringLiteral(" AND (K.PRENOS < 1 OR K.PRENOS IS NULL)");
    else // the repeated number, read once as an integer: never spliced as typed
        sql += QStringLiteral(" AND K.PRENOS=") + QString::number(stevilkaNaZacetku);
    // The control number breaks ties, as in the postings query of the run.
    sql += QStringLiteral(" ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA, K.CTRL");
    return sql;
}

namespace {

// What a failure during completion leaves: the transaction is rolled back whole.
const QString kNicSpremenjeno = QStringLiteral("Prenos ni opravljen; baza in datoteka sta ostali nespremenjeni.");

} // namespace

qint64 ZakljuciNovPrenos(Transakcija& tx, const DodeljenaStevilka& dodeljena, const QDate& datum1, const QDate& datum2,
                         OknoPrenosa& okno, Okolje& okolje)
{
    // 1. The field shows the highest number so far meanwhile.
    okno.nastaviStevilkoPrenosa(vrednostNiz(dodeljena.najvisja));
    const qint64 nova = dodeljena.nova;

    // 2. Mark the range's postings that no transfer carries yet. The range is marked
    //    a few days at a time, the window answering between the statements: the span
    //    grows while a statement is quick and shrinks when it is slow, so that a
    //    large book never freezes the window for long.
    const QString oznaci = stavekOznaciKnjizbe(nova);
    QString napaka;
    qint64 dni = 1;
    QElapsedTimer ura;
    for (QDate od = datum1; od.isValid() && od <= datum2;) {
        const QDate doo = std::min(od.addDays(dni - 1), datum2);
        ura.start();
        if (!tx.poskusi(oznaci, {{QStringLiteral("DATUM1"), od}, {QStringLiteral("DATUM2"), doo}},
                        QStringLiteral("tabelo KNJIZBE"), &napaka))
            throw Napaka(QStringLiteral("Napaka pri azuriranju stevilke prenosa") + QChar(13) + oznaci + QChar(13)
                         + napaka + QChar(13) + kNicSpremenjeno);
        const qint64 ms = ura.elapsed();
        okolje.obdelajDogodke();
        od = doo.addDays(1);
        if (ms < 40)
            dni *= 2;
        else if (ms > 160 && dni > 1)
            dni /= 2;
    }

    // 3. Number the adjustment rows still without a number (rows an earlier version
    //    left behind; the run's own carry the number already).
    const QString ostevilci = stavekOstevilci(nova);
    if (!tx.poskusi(ostevilci, {}, QStringLiteral("tabelo IZRAVNAVE"), &napaka))
        throw Napaka(QStringLiteral("Napaka pri azuriranju stevilke prenosa v tabeli IZRAVNAVE ") + QChar(13)
                     + ostevilci + QChar(13) + napaka + QChar(13) + kNicSpremenjeno);

    // 4. Register the run.
    ShraniZgodovino(tx, okolje, nova, datum1, datum2);
    return nova;
}

void ZakljucniSeznam(const QString& baza, qint64 stevilkaNaZacetku, const QDate& datum1, const QDate& datum2,
                     Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje)
{
    const QVariantMap datumi{{QStringLiteral("DATUM1"), datum1}, {QStringLiteral("DATUM2"), datum2}};
    okno.povezavaMreze(true);
    okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje nazadnje prenesenih..."));
    okolje.obdelajDogodke();
    if (!okno.prikazujeSeznam())
        return; // nobody would see the list: a million postings are not read again for it
    try {
        Q1.nastaviImeBaze(baza);
        Q1.odpri(povezava::zaIme(baza), stavekZakljucnegaSeznama(stevilkaNaZacetku), datumi);
        Q1.nastaviPrikaz(QStringLiteral("DatumK"), {10, QString(), QString()});
        Q1.nastaviPrikaz(QStringLiteral("Konto"), {8, QString(), QStringLiteral("konto")});
        Q1.nastaviPrikaz(QStringLiteral("IdMaster"), {9, QString(), QString()});
        for (const char* polje : {"BZnesekSit", "DZnesekSit", "BZnesek", "DZnesek"})
            Q1.nastaviPrikaz(QString::fromLatin1(polje), {13, QStringLiteral("####0.00"), QString()});
    } catch (const Napaka& e) {
        // The list is then whatever the result holds.
        qCWarning(lcTransfer).noquote() << "Zaključni seznam ni odprt:" << e.besedilo();
    }
}

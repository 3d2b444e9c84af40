#include "obsegprenosa.h"

#include "belezenje.h"
#include "napaka.h"
#include "obdobje.h"
#include "okolje.h"
#include "poizvedba.h"
#include "prenos.h"
#include "register.h"

#include <QStringList>

namespace {

// Postings of the range that a transfer has marked already. A table that cannot be
// read is the run's own failure to report, where it opens the postings: 0 here.
qint64 oznaceneKnjizbe(const QString& baza, const QDate& od, const QDate& doo)
{
    try {
        Poizvedba q(baza);
        q.odpri(QStringLiteral("SELECT COUNT(*) STEVILO FROM KNJIZBE WHERE DATUMK>=:DATUM1 AND DATUMK<=:DATUM2"
                               " AND PRENOS>=1"),
                {{QStringLiteral("DATUM1"), od}, {QStringLiteral("DATUM2"), doo}});
        return q.naslednji() ? q.celo(QStringLiteral("STEVILO")) : 0;
    } catch (const Napaka& e) {
        qCWarning(lcTransfer).noquote() << "Označenih knjižb obdobja ni mogoče prešteti:" << e.besedilo();
        return 0;
    }
}

} // namespace

QString zavrnitevTujegaObsega(const VrsticaRegistra& prenos, const QDate& od, const QDate& doo)
{
    return QStringLiteral("Prenos številka %1 je registriran za obdobje %2, datuma pa kažeta obdobje %3.\n"
                          "Ponovitev prenosa %1 zajame samo njegovo registrirano obdobje: odprite ga v pregledu "
                          "prenosov ali postavite datuma na %2. Za nov prenos pustite številko prenosa prazno.")
        .arg(prenos.stevilka)
        .arg(besediloObdobja(prenos.datum1, prenos.datum2), besediloObdobja(od, doo));
}

QString vprasanjePrekrivanja(const QList<VrsticaRegistra>& prenosi, qint64 oznacenih, const QDate& od, const QDate& doo)
{
    QString b = QStringLiteral("Nov prenos za obdobje %1").arg(besediloObdobja(od, doo));
    if (!prenosi.isEmpty()) {
        QStringList imena;
        for (const VrsticaRegistra& p : prenosi)
            imena << QStringLiteral("%1 (%2)").arg(p.stevilka).arg(besediloObdobja(p.datum1, p.datum2));
        b += QStringLiteral(" se prekriva z že registriranimi prenosi: ") + imena.join(QStringLiteral(", ")) + u'.';
    } else {
        b += u'.';
    }
    b += QStringLiteral("\nKnjižb tega obdobja, ki že nosijo številko prenosa: %1. Nov prenos bi jih v datoteko "
                        "zapisal še enkrat.\nAli res želite nov prenos?")
             .arg(oznacenih);
    return b;
}

ObsegPrenosa preveriObseg(const NalogaPrenosa& naloga, Okolje& okolje)
{
    ObsegPrenosa izid;
    const StevilkaPrenosa stevilka = preberiStevilkoPrenosa(naloga.stevilkaPrenosa, naloga.baza);
    if (!stevilka.zavrnitev.isEmpty()) {
        okolje.sporocilo(stevilka.zavrnitev);
        return izid;
    }
    if (const std::optional<QString> obdobje = zavrnitevObdobja(naloga.datum1, naloga.datum2)) {
        okolje.sporocilo(*obdobje);
        return izid;
    }
    izid.stevilka = stevilka.stevilka;
    if (stevilka.vrstica) {
        const VrsticaRegistra& r = *stevilka.vrstica;
        if (r.datum1 != naloga.datum1 || r.datum2 != naloga.datum2) {
            qCInfo(lcTransfer).noquote() << "Ponovitev prenosa" << r.stevilka << "zavrnjena: obdobje"
                                         << besediloObdobja(naloga.datum1, naloga.datum2) << "ni registrirano"
                                         << besediloObdobja(r.datum1, r.datum2);
            okolje.sporocilo(zavrnitevTujegaObsega(r, naloga.datum1, naloga.datum2));
            return izid;
        }
    }
    izid.izid = ObsegPrenosa::Izid::Dovoljen;
    if (izid.stevilka != 0 || naloga.prekrivanjeDovoljeno)
        return izid;

    // A register that cannot be read yet (a book without transfers) overlaps nothing.
    QList<VrsticaRegistra> prenosi;
    try {
        prenosi = prenosiVObdobju(naloga.baza, naloga.datum1, naloga.datum2);
    } catch (const Napaka& e) {
        qCInfo(lcTransfer).noquote() << "Register prenosov ni prebran:" << e.besedilo();
    }
    const qint64 oznacenih = oznaceneKnjizbe(naloga.baza, naloga.datum1, naloga.datum2);
    if (prenosi.isEmpty() && oznacenih == 0)
        return izid;
    if (okolje.vprasanje(vprasanjePrekrivanja(prenosi, oznacenih, naloga.datum1, naloga.datum2))) {
        qCInfo(lcTransfer).noquote() << "Nov prenos" << besediloObdobja(naloga.datum1, naloga.datum2)
                                     << "čez registrirane prenose je potrjen.";
        izid.prekrivanjePotrjeno = true;
        return izid;
    }
    qCInfo(lcTransfer).noquote() << "Nov prenos" << besediloObdobja(naloga.datum1, naloga.datum2)
                                 << "ni začet: prekrivanje z registriranimi prenosi ni potrjeno.";
    izid.izid = ObsegPrenosa::Izid::Preklican;
    return izid;
}

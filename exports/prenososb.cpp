#include "prenososb.h"

#include "belezenje.h"
#include "fiksnapolja.h"
#include "izhodnadatoteka.h"
#include "stevila.h"
#include "izvajanje.h"
#include "napaka.h"
#include "poizvedba.h"

#include <QHash>
#include <QSqlRecord>

#include <vector>

namespace {

// The text with every space that directly follows another space left out.
QString skrciPresledke(const QString& t)
{
    QString izid;
    izid.reserve(t.size());
    QChar prejsnji;
    for (QChar c : t) {
        if (!(c == u' ' && prejsnji == u' '))
            izid += c;
        prejsnji = c;
    }
    return izid;
}

// Field positions of a result, looked up once.
int indeks(const QSqlRecord& zapis, const QString& ime)
{
    const int i = zapis.indexOf(ime);
    if (i < 0)
        throw Napaka(QStringLiteral("Polje '%1' ne obstaja").arg(ime));
    return i;
}

struct VrsticaPog {
    QString KrtBis;
    qint64 SfOsb;
};

void skrijNapredek(Okolje& okolje)
{
    okolje.prikaziNapredek(false);
    okolje.skrijStatusnoVrstico();
}

} // namespace

QString ImeInNaziv(const QString& prvi, const QString& drugi)
{
    return skrciPresledke(prvi) + QStringLiteral("  ") + skrciPresledke(drugi);
}

QByteArray osbVrstica(const QString& KrtBis, const OsebaOsb& o)
{
    QByteArray v;
    v.reserve(181);
    v += levoPolje(KrtBis, 8);
    v += levoPolje(ImeInNaziv(o.Nzv, o.Ime), 30);
    v += levoPolje(o.Nsl, 30);
    v += levoPolje(o.Pst.isEmpty() ? o.Mst : o.Pst + u' ' + o.Mst, 30);
    v += '1';
    v += levoPolje(o.Zrr, 40);
    v += levoPolje(o.Sklic, 40);
    return v;
}

std::optional<QString> stavekPog(ObsegPog& obseg)
{
    QString sql = QStringLiteral("SELECT * FROM POG ");
    if (!obseg.izbrani)
        return sql;
    if (JePrazno(obseg.prva))
        obseg.prva = QStringLiteral("0");
    const std::optional<qint64> prva = celoStevilo(obseg.prva);
    if (!prva)
        return std::nullopt;
    sql += QStringLiteral(" WHERE IDPOG>=") + QString::number(*prva);
    if (!JePrazno(obseg.zadnja)) {
        const std::optional<qint64> zadnja = celoStevilo(obseg.zadnja);
        if (!zadnja)
            return std::nullopt;
        sql += QStringLiteral(" AND IDPOG<=") + QString::number(*zadnja);
    }
    return sql;
}

std::optional<int> prenesiOsb(Okolje& okolje, PrenosOsb& prenos)
{
    // The lines go to a new file that replaces the output file only once the export is
    // complete: a refused range, a table that cannot be read or a failed write leave
    // the previous file as it was, and a special file or a link is never written.
    IzhodnaDatoteka izhod(prenos.izhodnaPot);
    if (!izhod.odpri()) {
        qCWarning(lcExports).noquote() << "Ne morem pisati v datoteko" << prenos.izhodnaPot << ":" << izhod.razlog();
        skrijNapredek(okolje);
        okolje.sporocilo(QStringLiteral("Ne morem pisati v datoteko ") + prenos.izhodnaPot);
        return std::nullopt;
    }

    // The parties, by SfOsb, read once: each contract then finds its party directly.
    // The first row of a number counts, as a search from the top would find it.
    QHash<qint64, OsebaOsb> osebe;
    try {
        Poizvedba qOsb(prenos.baza);
        qOsb.odpri(QStringLiteral("SELECT * FROM OSB "));
        const QSqlRecord z = qOsb.q().record();
        const int iSf = indeks(z, QStringLiteral("SfOsb")), iNzv = indeks(z, QStringLiteral("Nzv")),
                  iIme = indeks(z, QStringLiteral("Ime")), iNsl = indeks(z, QStringLiteral("Nsl")),
                  iPst = indeks(z, QStringLiteral("Pst")), iMst = indeks(z, QStringLiteral("Mst")),
                  iZrr = indeks(z, QStringLiteral("Zrr")), iSklic = indeks(z, QStringLiteral("Sklic"));
        QSqlQuery& q = qOsb.q();
        while (q.next()) {
            const qint64 sf = vrednostCelo(q.value(iSf));
            if (osebe.contains(sf))
                continue;
            osebe.insert(sf, OsebaOsb{vrednostNiz(q.value(iNzv)), vrednostNiz(q.value(iIme)),
                                      vrednostNiz(q.value(iNsl)), vrednostNiz(q.value(iPst)),
                                      vrednostNiz(q.value(iMst)), vrednostNiz(q.value(iZrr)),
                                      vrednostNiz(q.value(iSklic))});
        }
    } catch (const Napaka& e) {
        qCWarning(lcExports).noquote() << "Tabele OSB ni mogoče brati:" << e.besedilo();
        skrijNapredek(okolje);
        okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:osb"));
        return std::nullopt;
    }

    // The contracts in the order the database gives them.
    std::vector<VrsticaPog> pogodbe;
    {
        const QString prejPrva = prenos.obseg.prva;
        const std::optional<QString> sql = stavekPog(prenos.obseg);
        if (prenos.obseg.prva != prejPrva && prenos.prvaNastavljena)
            prenos.prvaNastavljena(prenos.obseg.prva);
        try {
            if (!sql)
                throw Napaka(QStringLiteral("meja obsega ni celo število: ") + prenos.obseg.prva
                             + QStringLiteral(" / ") + prenos.obseg.zadnja);
            Poizvedba qPog(prenos.baza);
            qPog.odpri(*sql);
            const QSqlRecord z = qPog.q().record();
            const int iKrt = indeks(z, QStringLiteral("KrtBis")), iSf = indeks(z, QStringLiteral("SfOsb"));
            QSqlQuery& q = qPog.q();
            while (q.next())
                pogodbe.push_back(VrsticaPog{vrednostNiz(q.value(iKrt)), vrednostCelo(q.value(iSf))});
        } catch (const Napaka& e) {
            qCWarning(lcExports).noquote() << "Tabele POG ni mogoče brati:" << e.besedilo();
            skrijNapredek(okolje);
            okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:pog"));
            return std::nullopt;
        }
    }

    okolje.prikaziNapredek(true);
    okolje.statusnaVrstica(QStringLiteral("Poteka prepis OSB"));
    const qint64 skupaj = static_cast<qint64>(pogodbe.size());
    qint64 vrstica = 0;
    int zapisanih = 0;
    if (prenos.izklopiPregled)
        prenos.izklopiPregled();
    okolje.statusnaVrstica(QStringLiteral("Poteka prepis v tekst datoteko..."));
    okolje.obdelajDogodke();

    auto nePisem = [&] {
        skrijNapredek(okolje);
        const QString t = QStringLiteral("Ne morem pisati v datoteko ") + prenos.izhodnaPot + QStringLiteral(": ")
                          + izhod.razlog();
        qCWarning(lcExports).noquote() << t;
        return Napaka(t);
    };
    int zadnjiProcent = -1;
    for (const VrsticaPog& p : pogodbe) {
        ++vrstica;
        const int procent = static_cast<int>(vrstica * 100 / skupaj);
        if (procent != zadnjiProcent) { // the same value again would change nothing
            okolje.napredek(procent);
            zadnjiProcent = procent;
        }
        okolje.obdelajDogodke();

        if (JePrazno(p.KrtBis))
            continue;
        const auto oseba = osebe.constFind(p.SfOsb);
        if (oseba == osebe.constEnd())
            continue;
        if (!izhod.pisi(osbVrstica(p.KrtBis, *oseba) + "\r\n"))
            throw nePisem();
        ++zapisanih;
    }
    if (!izhod.potrdi())
        throw nePisem();

    skrijNapredek(okolje);
    okolje.procentiBesedilo(QString());
    okolje.obdelajDogodke();
    okolje.sporocilo(QStringLiteral("Uspešno prepisanih podatkov  =") + QString::number(zapisanih));
    return zapisanih;
}

std::optional<int> prenosOsb(Okolje& okolje, DialogShrani& SaveDialog1, const QString& mesecniDirektorij,
                             PrenosOsb& prenos)
{
    const QString prejsnjeIme = SaveDialog1.imeDatoteke;
    if (SaveDialog1.zacetniDirektorij.isEmpty())
        SaveDialog1.zacetniDirektorij = mesecniDirektorij;
    SaveDialog1.imeDatoteke = QStringLiteral("OSB.TXT");
    const std::optional<QString> izbrana = okolje.shraniDatoteko(SaveDialog1);
    if (!izbrana)
        return std::nullopt;
    SaveDialog1.imeDatoteke = *izbrana;

    prenos.izhodnaPot = *izbrana;
    const std::optional<int> izid = prenesiOsb(okolje, prenos);
    if (izid)
        SaveDialog1.imeDatoteke = prejsnjeIme;
    return izid;
}

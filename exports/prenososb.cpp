#include "prenososb.h"

#include "belezenje.h"
#include "fiksnapolja.h"
#include "izhodnadatoteka.h"
#include "stevila.h"
#include "poti.h"
#include "napaka.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"
#include "varovanjeizhoda.h"

#include <QHash>
#include <QSqlError>
#include <cstring>
#include <iterator>
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

// The text fields of the party part of a line (positions 9 to 179), by width; the
// character "1" stands between the third and the fourth.
constexpr int kSirine[] = {30, 30, 30, 40, 40};

// Appends the party part of a line to `deli`, kept compact: each field as it stands in
// the line without its trailing spaces, after one byte with its length. Made once per
// party, not once per contract; dodajDelOsebe() puts the line's part back together.
void shraniDelOsebe(QByteArray& deli, qsizetype& nepredstavljivih, const QString& Nzv, const QString& Ime,
                    const QString& Nsl, const QString& Pst, const QString& Mst, const QString& Zrr,
                    const QString& Sklic)
{
    const QString polja[] = {ImeInNaziv(Nzv, Ime), Nsl, Pst.isEmpty() ? Mst : Pst + u' ' + Mst, Zrr, Sklic};
    for (size_t i = 0; i < std::size(kSirine); ++i) {
        const QByteArray b = levoPolje(polja[i], kSirine[i], &nepredstavljivih);
        qsizetype n = b.size();
        while (n > 0 && b.at(n - 1) == ' ')
            --n;
        deli += static_cast<char>(n);
        deli.append(b.constData(), n);
    }
}

void dodajDelOsebe(QByteArray& vrstica, const char* del)
{
    for (size_t i = 0; i < std::size(kSirine); ++i) {
        const int n = static_cast<unsigned char>(*del++);
        vrstica.append(del, n);
        vrstica.append(kSirine[i] - n, ' ');
        del += n;
        if (i == 2)
            vrstica += '1';
    }
}

// One contract as the writing needs it: KrtBis as its field of the line, and the
// number of its party in the party table of the export (-1: no line).
struct VrsticaPog {
    char KrtBis[8];
    qint32 oseba;
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

std::optional<QString> stavekPog(ObsegPog& obseg)
{
    QString sql = QStringLiteral("SELECT KrtBis, SfOsb FROM POG ");
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
    prenos.izid = {};
    IzhodnaDatoteka izhod(prenos.izhodnaPot);
    auto neOdprem = [&](const QString& razlog) {
        prenos.izid.razlog = razlog;
        qCWarning(lcExports).noquote() << "Ne morem pisati v datoteko" << prenos.izhodnaPot << ":" << razlog;
        skrijNapredek(okolje);
        okolje.sporocilo(QStringLiteral("Ne morem pisati v datoteko ") + prenos.izhodnaPot);
        return std::nullopt;
    };
    // The path is guarded before anything is read: never the database's own files (nor
    // those of any connection the program holds), never a file of the program.
    QSqlDatabase baza;
    try {
        baza = povezava::zaIme(prenos.baza);
    } catch (const Napaka& e) {
        qCWarning(lcExports).noquote() << "Baze" << prenos.baza << "ni mogoče odpreti:" << e.besedilo();
    }
    if (const std::optional<QString> zakaj = zavrnitevIzhoda(prenos.izhodnaPot, baza))
        return neOdprem(*zakaj);
    if (!izhod.odpri())
        return neOdprem(izhod.razlog());
    auto ustavljen = [&] {
        prenos.izid.ustavljen = true;
        prenos.izid.razlog = QStringLiteral("izvoz je ustavljen na zahtevo; prejšnja datoteka ostane");
        qCWarning(lcExports).noquote() << "Izvoz oseb v" << prenos.izhodnaPot << "je ustavljen na zahtevo";
        izhod.opusti();
        skrijNapredek(okolje);
        return std::nullopt;
    };
    qsizetype nepredstavljivih = 0;

    // The parties, read once: the party parts of their lines one after another in
    // `deli` (party i from zacetki[i]), and their numbers by SfOsb.
    // The first row of a number counts, as a search from the top would find it.
    QHash<qint64, qint32> osebe;
    QByteArray deli;
    std::vector<qsizetype> zacetki;
    try {
        // Read forward once; each field is converted only as it is taken.
        Rezultat r;
        r.odpri(povezava::zaIme(prenos.baza),
                QStringLiteral("SELECT SfOsb, Nzv, Ime, Nsl, Pst, Mst, Zrr, Sklic FROM OSB "), {}, true);
        for (bool je = !r.eof(); je; je = r.naslednji()) {
            const qint64 sf = r.celo(0);
            const qsizetype prej = osebe.size();
            qint32& stevilka = osebe[sf];
            if (osebe.size() == prej)
                continue;
            stevilka = static_cast<qint32>(zacetki.size());
            zacetki.push_back(deli.size());
            shraniDelOsebe(deli, nepredstavljivih, r.niz(1), r.niz(2), r.niz(3), r.niz(4), r.niz(5), r.niz(6),
                           r.niz(7));
        }
        // Rows that stopped coming are a table that could not be read, not its end.
        if (const QString napaka = r.napaka(); !napaka.isEmpty())
            throw Napaka(napaka);
    } catch (const Napaka& e) {
        prenos.izid.razlog = e.besedilo();
        qCWarning(lcExports).noquote() << "Tabele OSB ni mogoče brati:" << e.besedilo();
        skrijNapredek(okolje);
        okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:osb"));
        return std::nullopt;
    }

    // The contracts in the order the database gives them, each with its party already
    // found.
    std::vector<VrsticaPog> pogodbe;
    {
        const QString prejPrva = prenos.obseg.prva;
        const std::optional<QString> sql = stavekPog(prenos.obseg);
        if (prenos.obseg.prva != prejPrva && prenos.prvaNastavljena)
            prenos.prvaNastavljena(prenos.obseg.prva);
        try {
            if (!sql)
                throw Napaka(QStringLiteral("meja obsega ni celo število: ") + prenos.obseg.prva + QStringLiteral(" / ")
                             + prenos.obseg.zadnja);
            Rezultat r;
            r.odpri(povezava::zaIme(prenos.baza), *sql, {}, true);
            for (bool je = !r.eof(); je; je = r.naslednji()) {
                VrsticaPog p{{}, -1};
                const QString KrtBis = r.niz(0);
                if (!JePrazno(KrtBis)) {
                    p.oseba = osebe.value(r.celo(1), -1);
                    if (p.oseba >= 0)
                        std::memcpy(p.KrtBis, levoPolje(KrtBis, 8, &nepredstavljivih).constData(), 8);
                }
                pogodbe.push_back(p);
            }
            if (const QString napaka = r.napaka(); !napaka.isEmpty())
                throw Napaka(napaka);
        } catch (const Napaka& e) {
            prenos.izid.razlog = e.besedilo();
            qCWarning(lcExports).noquote() << "Tabele POG ni mogoče brati:" << e.besedilo();
            skrijNapredek(okolje);
            okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:pog"));
            return std::nullopt;
        }
    }
    osebe = {};
    if (okolje.konecZahtevan())
        return ustavljen();

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
        prenos.izid.razlog = izhod.razlog();
        skrijNapredek(okolje);
        const QString t =
            QStringLiteral("Ne morem pisati v datoteko ") + prenos.izhodnaPot + QStringLiteral(": ") + izhod.razlog();
        qCWarning(lcExports).noquote() << t;
        return Napaka(t);
    };
    // The lines are gathered in a buffer and written in blocks.
    constexpr qsizetype kBlok = 1 << 16;
    QByteArray blok;
    blok.reserve(kBlok + 181);
    int zadnjiProcent = -1;
    for (const VrsticaPog& p : pogodbe) {
        ++vrstica;
        const int procent = static_cast<int>(vrstica * 100 / skupaj);
        if (procent != zadnjiProcent) { // the same value again would change nothing
            okolje.napredek(procent);
            zadnjiProcent = procent;
        }
        okolje.obdelajDogodke();
        if (okolje.konecZahtevan())
            return ustavljen();

        if (p.oseba < 0)
            continue;
        blok.append(p.KrtBis, 8);
        dodajDelOsebe(blok, deli.constData() + zacetki[p.oseba]);
        blok.append("\r\n", 2);
        ++zapisanih;
        if (blok.size() >= kBlok) {
            if (!izhod.pisi(blok))
                throw nePisem();
            blok.resize(0);
        }
    }
    if (!izhod.pisi(blok))
        throw nePisem();
    if (okolje.konecZahtevan())
        return ustavljen();
    if (!izhod.potrdi()) {
        if (izhod.ustavljena())
            return ustavljen();
        throw nePisem();
    }
    if (nepredstavljivih > 0)
        qCWarning(lcExports).noquote() << "Izvoz oseb v" << prenos.izhodnaPot << "ima" << nepredstavljivih
                                       << "znakov, ki jih Windows-1250 nima; zapisani so kot \"?\"";

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

void odpriSeznamPogodb(QSqlQueryModel& model)
{
    QSqlDatabase db = povezava::zaIme(QStringLiteral("LB"));
    model.setQuery(prevediZa(db, QStringLiteral("SELECT IdPog,SfOsb,KrtBis,Nzv FROM ':LB:pog'")), db);
    if (model.lastError().isValid()) {
        const QString napaka = model.lastError().text();
        model.clear();
        throw Napaka(napaka);
    }
}

#include "prenos.h"

#include "datotekagk.h"
#include "iskanje.h"
#include "izravnave.h"
#include "knjizba.h"
#include "napaka.h"
#include "okolje.h"
#include "oknoprenosa.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"
#include "zakljucek.h"
#include "zneski.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>

namespace {

const QString kIzberi = QStringLiteral("SELECT K.DATUMV, K.DATUMK, ") + QStringLiteral(" D.SFDJV  SFDJV, ")
    + QStringLiteral(" D.IDPOG  IDPOG, ") + QStringLiteral(" K.IDPOG  KIDPOG, ") + QStringLiteral(" K.VP  VP, ")
    + QStringLiteral(" K.DATUMV DATUMV, ") + QStringLiteral(" K.PARTNER  SFOSB, ")
    + QStringLiteral(" K.CTRL  CTRL, ") + QStringLiteral(" K.DEJAVNOST  DEJAVNOST, ")
    + QStringLiteral(" K.IDMASTER  IDMASTER, ") + QStringLiteral(" K.OE  OE, ")
    + QStringLiteral(" V.ST STVALUTE, ") + QStringLiteral(" S.SALDAKONTEN  SALDAKONTEN, ")
    + QStringLiteral(" S.DEVIZEN  DEVIZEN, ") + QStringLiteral(" S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA, ")
    + QStringLiteral(" K.BZNESEK BZNESEK , K.DZNESEK DZNESEK, ")
    + QStringLiteral(" K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT, ")
    + QStringLiteral(" O1.KRTBNK KRTBNK1, ") + QStringLiteral(" O2.KRTBNK KRTBNK, ")
    + QStringLiteral(" K.TEKST TEXT, K.IDMASTER IDMASTER ");

const QString kOdKjerInPogoj = QStringLiteral(" FROM KNJIZBE  K  ")
    + QStringLiteral(" LEFT OUTER JOIN DOG  D ON (K.IDMASTER = D.IDDOG) ")
    + QStringLiteral(" LEFT OUTER JOIN SIFKONT  S ON (K.KONTO = S.CTRL) ")
    + QStringLiteral(" LEFT OUTER JOIN VLT  V ON (K.VALUTA = V.SFVLT) ")
    + QStringLiteral(" LEFT OUTER JOIN SFVP SFVP ON (K.VP=SFVP.SFVP) ")
    + QStringLiteral(" LEFT OUTER JOIN OSB  O1 ON (SFVP.SFOSBIZD=O1.SFOSB) ")
    + QStringLiteral(" LEFT OUTER JOIN OSB  O2 ON (K.PARTNER=O2.SFOSB) ")
    + QStringLiteral(" WHERE K.DATUMK>=:DATUM1  AND K.DATUMK<=:DATUM2 ");

// Postings equal in all five keys come back in whatever order an engine likes; the
// posting's control number after them makes the file the same on every engine.
const QString kUredi = QStringLiteral(" ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA, K.CTRL");

// The two look-ups of the detail lines, each asked once per contract or partner
// within one run. A failing organisation look-up is not kept: it ends the run.
class IskanjeZaPrenos : public Iskanje {
public:
    explicit IskanjeZaPrenos(const QSqlDatabase& baza) : m_baza(baza) {}
    QString organizacija(qint64 pogodba) override
    {
        const auto it = m_organizacije.constFind(pogodba);
        if (it != m_organizacije.constEnd())
            return *it;
        const QString v = m_baza.organizacija(pogodba);
        m_organizacije.insert(pogodba, v);
        return v;
    }
    QString vrstaPartnerja(qint64 partner) override
    {
        const auto it = m_partnerji.constFind(partner);
        if (it != m_partnerji.constEnd())
            return *it;
        const QString v = m_baza.vrstaPartnerja(partner);
        m_partnerji.insert(partner, v);
        return v;
    }

private:
    IskanjeVBazi m_baza;
    QHash<qint64, QString> m_organizacije;
    QHash<qint64, QString> m_partnerji;
};

// Hides the progress display and the status line whichever way the run ends.
struct ProgresKonec {
    Okolje& okolje;
    bool aktivno = true;
    ~ProgresKonec()
    {
        if (aktivno) {
            okolje.prikaziNapredek(false);
            okolje.skrijStatusnoVrstico();
        }
    }
};

QString napakaPisanja(const QString& pot)
{
    return QStringLiteral("Ne morem pisati v datoteko ") + pot;
}

} // namespace

qint64 stevilkaIzPolja(const QString& besedilo)
{
    bool ok = false;
    const int n = besedilo.trimmed().toInt(&ok);
    return ok ? n : 0;
}

QString imeVarnostneKopije(const QString& pot)
{
    const QString ime = QFileInfo(pot).fileName();
    const QString mapa = pot.left(pot.size() - ime.size());
    const qsizetype pika = ime.indexOf(u'.');
    return mapa + (pika < 0 ? ime : ime.left(pika)) + QStringLiteral(".OLD");
}

QString stavekKnjizb()
{
    return kIzberi + kOdKjerInPogoj + kUredi;
}

QString stavekStetjaKnjizb()
{
    return QStringLiteral("SELECT COUNT(*) STEVILO ") + kOdKjerInPogoj;
}

IzidPrenosa Zapis(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje)
{
    ProgresKonec progres{okolje};
    okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje ustreznih podatkov ..."));
    okolje.obdelajDogodke();

    const qint64 stevilkaNaZacetku = stevilkaIzPolja(naloga.stevilkaPrenosa);
    const QVariantMap datumi{{QStringLiteral("DATUM1"), naloga.datum1},
                             {QStringLiteral("DATUM2"), naloga.datum2}};

    // The postings query, read forward once; its rows are counted on their own.
    QSqlDatabase db;
    int vrstic = 0;
    try {
        db = povezava::zaIme(naloga.baza);
        Q1.nastaviImeBaze(naloga.baza);
        // PostgreSQL's client streams a one-directional result and loses it as soon as
        // another statement runs on the connection; there the whole result is fetched.
        const bool samoNaprej = db.driver()->dbmsType() != QSqlDriver::PostgreSQL
                                || db.driverName() != QLatin1String("QPSQL");
        Q1.odpri(db, stavekKnjizb(), datumi, samoNaprej);
        if (samoNaprej) {
            Poizvedba stetje(db);
            stetje.odpri(stavekStetjaKnjizb(), datumi);
            vrstic = stetje.naslednji() ? int(stetje.celo(QStringLiteral("STEVILO"))) : 0;
            Q1.nastaviSteviloVrstic(vrstic);
        } else {
            vrstic = Q1.steviloVrstic();
        }
    } catch (const Napaka&) {
        okolje.prikaziNapredek(false);
        okolje.skrijStatusnoVrstico();
        progres.aktivno = false;
        okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:knjizbe"));
        throw;
    }
    // A run that ends before its closing list closes the postings query, so that its
    // cursor holds no lock on the tables it read.
    struct ZapriOb {
        Rezultat& r;
        bool aktivno = true;
        ~ZapriOb()
        {
            if (aktivno)
                r.zapri();
        }
    } zapriQ1{Q1};
    Q1.nastaviPrikaz(QStringLiteral("DatumK"), {10, QString(), QString()});
    Q1.nastaviPrikaz(QStringLiteral("Konto"), {8, QString(), QString()});
    Q1.nastaviPrikaz(QStringLiteral("IdMaster"), {9, QString(), QString()});
    for (const char* polje : {"BZnesekSit", "DZnesekSit", "BZnesek", "DZnesek"})
        Q1.nastaviPrikaz(QString::fromLatin1(polje), {13, QStringLiteral("####0.00"), QString()});
    okno.nastaviSteviloZapisov(QString());
    if (vrstic < 1) {
        progres.aktivno = false;
        okolje.prikaziNapredek(false);
        okolje.skrijStatusnoVrstico();
        okolje.sporocilo(QStringLiteral("Iz tabele :LB:knjizbe ni kaj prenesti!"));
        return IzidPrenosa::NiPodatkov;
    }
    okno.nastaviSteviloZapisov(QString::number(vrstic));

    // The previous file becomes the backup.
    const QString kopija = imeVarnostneKopije(naloga.pot);
    QFile::remove(kopija);
    QFile::rename(naloga.pot, kopija);

    const QString potDela = naloga.pot + QStringLiteral(".tmp");
    QFile izhod(naloga.pot);
    if (!izhod.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        okolje.sporocilo(napakaPisanja(naloga.pot));
        return IzidPrenosa::Neuspel;
    }
    QFile delo(potDela);
    if (!delo.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        okolje.sporocilo(napakaPisanja(naloga.pot) + QStringLiteral(".TMP"));
        return IzidPrenosa::Neuspel;
    }

    // The three look-up tables must be readable.
    const struct {
        const char* stavek;
        const char* sporocilo;
    } preverjanja[] = {
        {"SELECT IDDOG,IDPOG, SFDJV FROM DOG  WHERE IDDOG=0 ", "Ne morem odpreti tabele :LB:dog"},
        {"SELECT SFVLT,ST FROM VLT  WHERE SFVLT=' ' ", "Ne morem odpreti tabele :LB:vlt"},
        {"SELECT CTRL, OZNAKA, SALDAKONTEN FROM SIFKONT  WHERE CTRL=0 ", "Ne morem odpreti tabele :LB:sifkont"},
    };
    for (const auto& p : preverjanja) {
        Poizvedba q(db);
        if (!q.poskusiOdpreti(QString::fromLatin1(p.stavek))) {
            okolje.sporocilo(QString::fromLatin1(p.sporocilo));
            return IzidPrenosa::Ustavljen;
        }
    }

    // The detail lines.
    IskanjeZaPrenos iskanje(db);
    DatotekaGk gk(iskanje);
    ShrambaIzravnav shramba(db);
    bool izravnaveZbrisane = false;
    okno.povezavaMreze(false);
    okolje.statusnaVrstica(QStringLiteral("Poteka prepis v tekst datoteko..."));
    okolje.obdelajDogodke();
    const StolpciKnjizbe stolpci(Q1);
    qint64 zaporedna = 1;
    for (bool ima = !Q1.eof(); ima; ima = Q1.naslednji()) {
        const int procent = int(zaporedna * 100 / vrstic);
        okolje.napredek(procent);
        okolje.obdelajDogodke();
        if (okolje.konecZahtevan()) {
            shramba.koncaj();
            delo.close();
            izhod.close();
            okolje.pocistiKonec();
            return IzidPrenosa::Neuspel;
        }
        const Knjizba k = stolpci.beri(Q1);
        const PodrobnaVrstica p = gk.dodaj(k);
        ++zaporedna;
        if (!p.zapisi)
            continue;
        if (delo.write(p.vrstica) != p.vrstica.size() || delo.write("\r\n", 2) != 2)
            throw Napaka(napakaPisanja(potDela) + QStringLiteral(": ") + delo.errorString());
        if (stevilkaNaZacetku > 0 && !izravnaveZbrisane) {
            shramba.brisi(stevilkaNaZacetku);
            izravnaveZbrisane = true;
        }
        // The line's net domestic amount and what the file carries for it.
        const double znesek = k.BZNESEKSIT - k.DZNESEKSIT;
        const double zaokrozen = double(VStotine(k.BZNESEKSIT) - VStotine(k.DZNESEKSIT)) / 100.0;
        shramba.shrani(stevilkaNaZacetku, k.VP, k.DATUMK, p.KONTO, p.SFDJV, p.sifraPartnerja8, znesek,
                       zaokrozen);
    }
    shramba.koncaj();
    if (const QString n = Q1.napaka(); !n.isEmpty())
        throw Napaka(n); // the rows could not all be read: no file, no completion

    // The final file: opening line, the work file's lines, closing line.
    if (!delo.flush())
        throw Napaka(napakaPisanja(potDela) + QStringLiteral(": ") + delo.errorString());
    delo.close();
    izhod.close();
    if (!delo.open(QIODevice::ReadOnly))
        return IzidPrenosa::Neuspel;
    if (QFile::remove(naloga.pot)) {
        if (!izhod.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            okolje.sporocilo(napakaPisanja(naloga.pot));
            return IzidPrenosa::Neuspel;
        }
    } else if (!izhod.open(QIODevice::WriteOnly | QIODevice::Append)) {
        okolje.sporocilo(napakaPisanja(naloga.pot));
        return IzidPrenosa::Neuspel;
    }
    const QDate datumDatoteke = okolje.danes();
    bool zapisano = izhod.write(gk.uvodnaVrstica(datumDatoteke) + "\r\n") > 0;
    while (zapisano && !delo.atEnd()) {
        const QByteArray kos = delo.read(1 << 20);
        zapisano = !kos.isEmpty() && izhod.write(kos) == kos.size();
    }
    zapisano = zapisano && izhod.write(gk.zakljucnaVrstica(datumDatoteke) + "\r\n") > 0 && izhod.flush();
    izhod.close();
    delo.close();
    if (!zapisano) {
        // A file that is not whole is never followed by marking or registering.
        okolje.sporocilo(napakaPisanja(naloga.pot));
        return IzidPrenosa::Neuspel;
    }
    QFile::remove(potDela);

    // Completion, the closing list and the count of lines.
    zapriQ1.aktivno = false;
    const qint64 zaPrikaz = ZakljuciPrenos(naloga.baza, stevilkaNaZacetku, naloga.datum1, naloga.datum2,
                                           Q1, okno, okolje);
    okno.Sume();
    okno.nastaviStevilkoPrenosa(QString::number(zaPrikaz));
    okolje.prikaziNapredek(false);
    okolje.skrijStatusnoVrstico();
    progres.aktivno = false;
    okolje.sporocilo(QStringLiteral("Uspešno prepisanih podatkov=") + QString::number(gk.steviloVrstic()));
    okolje.procentiBesedilo(QString());
    return IzidPrenosa::Opravljen;
}

#include "prenos.h"

#include "belezenje.h"
#include "cakajoca.h"
#include "izhodnadatoteka.h"
#include "datotekagk.h"
#include "iskanje.h"
#include "izravnave.h"
#include "knjizba.h"
#include "napaka.h"
#include "obdobje.h"
#include "obsegprenosa.h"
#include "narecje.h"
#include "pogon.h"
#include "okolje.h"
#include "oknoprenosa.h"
#include "poizvedba.h"
#include "povezava.h"
#include "rezultat.h"
#include "stevila.h"
#include "register.h"
#include "transakcija.h"
#include "zakljucek.h"
#include "zneski.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <unistd.h>
#include <utility>

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

QString napakaPisanja(const QString& pot)
{
    return QStringLiteral("Ne morem pisati v datoteko ") + pot;
}

// Writes bytes whole, or throws Napaka with the system's reason.
void zapisi(IzhodnaDatoteka& f, const QByteArray& bajti, const QString& pot)
{
    if (!f.pisi(bajti))
        throw Napaka(napakaPisanja(pot) + QStringLiteral(": ") + f.razlog());
}

// A point of the run where the fault tests stop the process or cut its connection to
// the server, named in LEDGXFER_TEST_TOCKA; nothing happens unless a test sets it.
bool testnaTocka(const char* ime)
{
    static const QByteArray tocka = qgetenv("LEDGXFER_TEST_TOCKA");
    return !tocka.isEmpty() && tocka == ime;
}

void ubijNaTocki(const char* ime)
{
    if (testnaTocka(ime))
        std::raise(SIGKILL);
}

// Ends the connection's server process from inside (PostgreSQL), as a server that goes
// away would: for the fault tests of a commit whose answer is lost.
void prekiniStreznik(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())")))
        qCInfo(lcTransfer).noquote() << "Strežnik je prekinil povezavo:" << q.lastError().text();
}

// After a connection lost during the commit: a second connection of the same login,
// tried for LEDGXFER_RECONNECT_WAIT seconds (30 unless set), says whether the run
// committed. Nothing when the server cannot be reached again.
std::optional<bool> potrjenPoPrekinitvi(const QSqlDatabase& db, const CakajocaDatoteka& c, Okolje& okolje)
{
    bool ok = false;
    const int sekund = qEnvironmentVariableIntValue("LEDGXFER_RECONNECT_WAIT", &ok);
    const QDeadlineTimer rok{std::chrono::seconds{ok && sekund >= 0 ? sekund : 30}};
    const QString ime = QStringLiteral("ledgxfer-obnova");
    std::optional<bool> izid;
    {
        QSqlDatabase nova = QSqlDatabase::cloneDatabase(db, ime);
        bool odprta = false;
        while (!rok.hasExpired()) {
            if ((odprta = nova.open()))
                break;
            okolje.statusnaVrstica(QStringLiteral("Povezava z bazo je prekinjena med potrjevanjem prenosa %1; "
                                                  "ponovno se povezujem ...")
                                       .arg(c.stevilka));
            okolje.obdelajDogodke();
            QThread::msleep(500);
        }
        if (odprta) {
            try {
                izid = cakajocaPotrjena(nova, c);
            } catch (const Napaka& e) {
                qCWarning(lcTransfer).noquote() << "Po prekinitvi ni mogoče preveriti prenosa" << c.stevilka << ":"
                                                << e.besedilo();
            }
            nova.close();
        } else {
            qCWarning(lcTransfer).noquote() << "Po prekinitvi se ni mogoče znova povezati z bazo:"
                                            << nova.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(ime);
    return izid;
}

// The state of one run: what it was given and what it has found so far.
struct Tek {
    const NalogaPrenosa& naloga;
    Rezultat& Q1;
    OknoPrenosa& okno;
    Okolje& okolje;
    QSqlDatabase db;
    qint64 stevilka = 0; // the transfer number at start
    qint64 stevilkaVrstic = 0; // the number the run's adjustment rows carry
    QVariantMap datumi;
    int vrstic = 0;
};

// The postings query into the shared result and the count of its rows. A query that
// cannot be opened is reported and passed on to the general error report.
void odpriKnjizbe(Tek& t)
{
    try {
        t.Q1.nastaviImeBaze(t.naloga.baza);
        // Where the engine's client would hold the whole result in memory, the postings
        // come through a cursor of the run's transaction, a group at a time.
        if (Pogon::za(t.db)->beriSKazalcem())
            t.Q1.odpriKazalec(t.db, stavekKnjizb(), t.datumi, 10000);
        else
            t.Q1.odpri(t.db, stavekKnjizb(), t.datumi, true);
        Poizvedba stetje(t.db);
        stetje.odpri(stavekStetjaKnjizb(), t.datumi);
        t.vrstic = stetje.naslednji() ? int(stetje.celo(QStringLiteral("STEVILO"))) : 0;
        t.Q1.nastaviSteviloVrstic(t.vrstic);
    } catch (const Napaka&) {
        t.okolje.prikaziNapredek(false);
        t.okolje.skrijStatusnoVrstico();
        t.okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:knjizbe"));
        throw;
    }
    t.Q1.nastaviPrikaz(QStringLiteral("DatumK"), {10, QString(), QString()});
    t.Q1.nastaviPrikaz(QStringLiteral("Konto"), {8, QString(), QString()});
    t.Q1.nastaviPrikaz(QStringLiteral("IdMaster"), {9, QString(), QString()});
    for (const char* polje : {"BZnesekSit", "DZnesekSit", "BZnesek", "DZnesek"})
        t.Q1.nastaviPrikaz(QString::fromLatin1(polje), {13, QStringLiteral("####0.00"), QString()});
}

// The three look-up tables must be readable. Each is tried in a savepoint: on a
// server a failed statement would otherwise spoil the run's transaction.
std::optional<QString> preveriTabele(Transakcija& tx)
{
    const struct {
        const char* stavek;
        const char* sporocilo;
    } preverjanja[] = {
        {"SELECT IDDOG,IDPOG, SFDJV FROM DOG  WHERE IDDOG=0 ", "Ne morem odpreti tabele :LB:dog"},
        {"SELECT SFVLT,ST FROM VLT  WHERE SFVLT=' ' ", "Ne morem odpreti tabele :LB:vlt"},
        {"SELECT CTRL, OZNAKA, SALDAKONTEN FROM SIFKONT  WHERE CTRL=0 ", "Ne morem odpreti tabele :LB:sifkont"},
    };
    for (const auto& p : preverjanja) {
        Poizvedba q(tx.baza());
        if (!tx.vTocki([&] {
                const bool ok = q.poskusiOdpreti(QString::fromLatin1(p.stavek));
                q.zapri();
                return ok;
            })) {
            qCWarning(lcTransfer).noquote() << p.sporocilo << "-" << q.zadnjaNapaka();
            return QString::fromLatin1(p.sporocilo);
        }
    }
    return std::nullopt;
}

// The detail lines into the output file and one adjustment row per line. Throws
// Ustavitev on the stop request, Napaka on a failure.
void zapisiVrstice(Tek& t, IzhodnaDatoteka& izhod, DatotekaGk& gk, ShrambaIzravnav& shramba)
{
    bool izravnaveZbrisane = false;
    t.okno.povezavaMreze(false);
    t.okolje.statusnaVrstica(QStringLiteral("Poteka prepis v tekst datoteko..."));
    t.okolje.obdelajDogodke();
    const StolpciKnjizbe stolpci(t.Q1);
    qint64 zaporedna = 1;
    for (bool ima = !t.Q1.eof(); ima; ima = t.Q1.naslednji()) {
        const int procent = int(zaporedna * 100 / t.vrstic);
        t.okolje.napredek(procent);
        t.okolje.obdelajDogodke();
        if (t.okolje.konecZahtevan())
            throw Ustavitev();
        const Knjizba k = stolpci.beri(t.Q1);
        const PodrobnaVrstica p = gk.dodaj(k);
        ++zaporedna;
        if (!p.zapisi)
            continue;
        zapisi(izhod, p.vrstica + "\r\n", t.naloga.pot);
        if (t.stevilka > 0 && !izravnaveZbrisane) {
            shramba.brisi(t.stevilka);
            izravnaveZbrisane = true;
        }
        // The line's net domestic amount and what the file carries for it.
        const double znesek = k.BZNESEKSIT - k.DZNESEKSIT;
        const double zaokrozen = double(VStotine(k.BZNESEKSIT) - VStotine(k.DZNESEKSIT)) / 100.0;
        shramba.shrani(t.stevilkaVrstic, k.VP, k.DATUMK, p.KONTO, p.SFDJV, p.sifraPartnerja8, znesek, zaokrozen);
    }
    shramba.koncaj();
    if (const QString n = t.Q1.napaka(); !n.isEmpty())
        throw Napaka(n); // the rows could not all be read: no file, no completion
}

} // namespace

StevilkaPrenosa preberiStevilkoPrenosa(const QString& besedilo, const QString& baza)
{
    StevilkaPrenosa izid;
    if (besedilo.trimmed().isEmpty())
        return izid;
    const std::optional<qint64> n = celoStevilo(besedilo);
    if (!n || *n < 0) {
        izid.zavrnitev = QStringLiteral("Številka prenosa \"%1\" ni veljavna. Za nov prenos pustite polje prazno "
                                        "ali vpišite 0, za ponovitev vpišite številko prenosa iz registra.")
                             .arg(besedilo);
        return izid;
    }
    izid.stevilka = *n;
    if (*n == 0)
        return izid;
    std::optional<VrsticaRegistra> vrstica;
    try {
        vrstica = najdiPrenos(baza, *n);
    } catch (const Napaka& e) {
        qCInfo(lcTransfer).noquote() << "Register prenosov ni prebran:" << e.besedilo();
    }
    if (!vrstica)
        izid.zavrnitev = QStringLiteral("Prenosa številka %1 ni v registru prenosov, zato ga ne morem ponoviti.")
                             .arg(*n);
    izid.vrstica = vrstica;
    return izid;
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

namespace {

// What the run's log line says of a run that ended well.
struct KonecTeka {
    qint64 stevilka = 0;
    qint64 vrstic = 0;
};

IzidPrenosa izvediPrenos(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje,
                         KonecTeka& konec)
{
    // The progress display and the status line are hidden once, whichever way the run
    // ends; before a message they are hidden at once.
    bool napredekSkrit = false;
    const auto skrijNapredek = [&okolje, &napredekSkrit] {
        if (std::exchange(napredekSkrit, true))
            return;
        okolje.prikaziNapredek(false);
        okolje.skrijStatusnoVrstico();
    };
    const auto napredek = qScopeGuard(skrijNapredek);
    okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje ustreznih podatkov ..."));
    okolje.obdelajDogodke();

    Tek t{naloga, Q1, okno, okolje, {}, 0, 0, {}, 0};
    t.datumi = {{QStringLiteral("DATUM1"), naloga.datum1}, {QStringLiteral("DATUM2"), naloga.datum2}};
    try {
        t.db = povezava::zaIme(naloga.baza);
    } catch (const Napaka&) {
        skrijNapredek();
        okolje.sporocilo(QStringLiteral("Ne morem odpreti tabele :LB:knjizbe"));
        throw;
    }

    // What the run is asked to do: a number that is no transfer, a range that is not
    // the repeated transfer's, a new transfer over registered ones that the operator
    // does not confirm, or an output that is no file of ours to replace, is refused
    // before anything is touched.
    if (const std::optional<QString> razlog = zavrnitevIzhoda(naloga.pot, t.db)) {
        skrijNapredek();
        okolje.sporocilo(napakaPisanja(naloga.pot) + u'\n' + *razlog);
        return IzidPrenosa::Zavrnjen;
    }
    // Files that a run killed between its commit and putting its file in place left
    // beside this output: a committed transfer's file is put in place first.
    try {
        for (const QString& sporocilo : dokoncajCakajoce(t.db, naloga.pot))
            okolje.sporocilo(sporocilo);
    } catch (const Napaka& e) {
        skrijNapredek();
        okolje.sporocilo(e.besedilo());
        return IzidPrenosa::Zavrnjen;
    }
    const ObsegPrenosa obseg = preveriObseg(naloga, okolje);
    if (obseg.izid != ObsegPrenosa::Izid::Dovoljen) {
        skrijNapredek();
        return IzidPrenosa::Zavrnjen;
    }
    t.stevilka = obseg.stevilka;

    // A run that ends before its closing list closes the postings query, so that its
    // cursor holds no lock on the tables it read.
    auto zapriQ1 = qScopeGuard([&Q1] { Q1.zapri(); });
    try {
        // Everything the run changes is one transaction; on SQLite it holds the
        // database's write lock from here on, waited for when another connection has it.
        // On a server the run locks the register (a second run, new or a repeat, waits
        // here for the first) and the tables it reads and writes, then works on one
        // snapshot: it marks exactly the postings its file carries, and a posting that
        // another client commits meanwhile is left for the next transfer.
        Transakcija tx(t.db, okolje);
        tx.zacni();
        tx.zakleni();
        okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje ustreznih podatkov ..."));

        odpriKnjizbe(t);
        okno.nastaviSteviloZapisov(QString());
        if (t.vrstic < 1) {
            skrijNapredek();
            okolje.sporocilo(QStringLiteral("Iz tabele :LB:knjizbe ni kaj prenesti!"));
            return IzidPrenosa::NiPodatkov;
        }
        okno.nastaviSteviloZapisov(QString::number(t.vrstic));

        // The new file is written beside the output without a name of its own; it is
        // named just before the commit and takes the output's place only after it.
        IzhodnaDatoteka izhod(naloga.pot);
        const QDate datumZacetka = okolje.danes();
        if (!izhod.odpri() || izhod.naMestu()) {
            const QString razlog = izhod.naMestu()
                ? QStringLiteral("mapa %1 ne sprejme novih datotek").arg(QFileInfo(naloga.pot).absolutePath())
                : izhod.razlog();
            qCWarning(lcTransfer).noquote() << napakaPisanja(naloga.pot) << "-" << razlog;
            skrijNapredek();
            okolje.sporocilo(napakaPisanja(naloga.pot) + u'\n' + razlog);
            return IzidPrenosa::Neuspel;
        }
        zapisi(izhod, UvodnaVrstica(datumZacetka) + "\r\n", naloga.pot);

        if (const std::optional<QString> sporocilo = preveriTabele(tx)) {
            skrijNapredek();
            okolje.sporocilo(*sporocilo);
            return IzidPrenosa::Neuspel;
        }

        // A new transfer takes its number now, with the register locked until the end:
        // its adjustment rows are written with the number instead of being numbered
        // again afterwards, and a second run waits here instead of after all its work.
        std::optional<DodeljenaStevilka> dodeljena;
        if (t.stevilka == 0)
            dodeljena = dodeliStevilko(tx);
        t.stevilkaVrstic = dodeljena ? dodeljena->nova : t.stevilka;

        IskanjeZaPrenos iskanje(t.db);
        DatotekaGk gk(iskanje);
        ShrambaIzravnav shramba(tx);
        zapisiVrstice(t, izhod, gk, shramba);

        // The closing line; the opening line carries the date of the file's completion.
        const QDate datumDatoteke = okolje.danes();
        zapisi(izhod, gk.zakljucnaVrstica(datumDatoteke) + "\r\n", naloga.pot);
        if (datumDatoteke != datumZacetka) {
            if (!izhod.naprava()->seek(0))
                throw Napaka(napakaPisanja(naloga.pot) + QStringLiteral(": ") + izhod.naprava()->errorString());
            zapisi(izhod, UvodnaVrstica(datumDatoteke) + "\r\n", naloga.pot);
        }
        Q1.zapri();

        // The point of no return: the file is whole and the transfer is being written
        // to the database. The stop request is no longer heard, and the window says so.
        okolje.statusnaVrstica(QStringLiteral("Zaključujem prenos: datoteka je zapisana, prenos se zapisuje v bazo "
                                              "in ga ni več mogoče ustaviti ..."));
        okno.zacetekZakljucka();
        okolje.obdelajDogodke();

        // Completion: a new transfer gets its number, marks and registration, all in
        // the transaction; then the transaction and the file are made final together.
        qint64 zaPrikaz = 0;
        if (t.stevilka == 0) {
            try {
                zaPrikaz = ZakljuciNovPrenos(tx, *dodeljena, naloga.datum1, naloga.datum2, okno, okolje);
            } catch (...) {
                okno.nastaviStevilkoPrenosa(naloga.stevilkaPrenosa);
                throw;
            }
        }
        // The complete file is on disk under a name a later run finds again before the
        // commit: if the process dies or the connection is lost between the commit and
        // putting the file in place, the next run into this output finishes the work.
        const qint64 stevilkaPrenosa = t.stevilka > 0 ? t.stevilka : zaPrikaz;
        const CakajocaDatoteka cakajoca{imeCakajoceDatoteke(naloga.pot, stevilkaPrenosa), stevilkaPrenosa};
        QFile::remove(cakajoca.pot);
        if (!izhod.poimenuj(cakajoca.pot))
            throw Napaka(napakaPisanja(naloga.pot) + QStringLiteral(": ") + izhod.razlog());
        auto odstraniCakajoco = qScopeGuard([&cakajoca] { QFile::remove(cakajoca.pot); });
        ubijNaTocki("pred-potrditvijo");
        if (testnaTocka("prekini-pred-potrditvijo"))
            prekiniStreznik(t.db);

        bool povezavaObnovljena = false;
        try {
            tx.potrdi();
            // A driver may report a commit on a connection that the server has already
            // dropped as done (an ODBC driver that found no transaction left to end):
            // a commit is taken as done only while its connection still answers.
            if (t.db.driver() && Pogon::za(t.db)->streznik() && narecje::povezavaIzgubljena(t.db))
                throw Napaka(QStringLiteral("Povezava z bazo je prekinjena"));
            ubijNaTocki("po-potrditvi");
            if (testnaTocka("prekini-po-potrditvi")) {
                prekiniStreznik(t.db);
                throw Napaka(QStringLiteral("Povezava z bazo je prekinjena (preizkus)"));
            }
        } catch (const Napaka& e) {
            if (!narecje::povezavaIzgubljena(t.db))
                throw; // the commit was refused: nothing changed
            // The connection went during the commit: whether the server committed is
            // asked again on a new connection.
            qCWarning(lcTransfer).noquote() << "Povezava z bazo je prekinjena med potrjevanjem prenosa"
                                            << stevilkaPrenosa << ":" << e.besedilo();
            const std::optional<bool> potrjen = potrjenPoPrekinitvi(t.db, cakajoca, okolje);
            skrijNapredek();
            if (!potrjen) {
                odstraniCakajoco.dismiss();
                okno.nastaviStevilkoPrenosa(naloga.stevilkaPrenosa);
                okolje.sporocilo(QStringLiteral("Povezava z bazo je bila prekinjena med potrjevanjem prenosa %1 in je "
                                                "ni mogoče znova vzpostaviti, zato ni znano, ali je prenos %1 "
                                                "zapisan v bazi.\nPreverite prenos %1 v pregledu prenosov. "
                                                "Datoteka čaka v %2; naslednji prenos v %3 jo namesti, če je "
                                                "prenos zapisan, sicer jo odstrani.\n%4")
                                     .arg(stevilkaPrenosa)
                                     .arg(cakajoca.pot, naloga.pot, e.besedilo()));
                return IzidPrenosa::Neznan;
            }
            if (!*potrjen) {
                okno.nastaviStevilkoPrenosa(naloga.stevilkaPrenosa);
                okolje.sporocilo(QStringLiteral("Povezava z bazo je bila prekinjena med potrjevanjem; prenos ni "
                                                "zapisan v bazi in ni opravljen. Baza in datoteka %1 sta ostali "
                                                "nespremenjeni.\n%2")
                                     .arg(naloga.pot, e.besedilo()));
                return IzidPrenosa::Neuspel;
            }
            povezavaObnovljena = true;
        }
        if (!izhod.potrdi(imeVarnostneKopije(naloga.pot) == naloga.pot ? QString() : imeVarnostneKopije(naloga.pot),
                          true)) {
            // The database is committed; the waiting file is put in place by the next
            // run into this output, or written again by repeating the transfer.
            odstraniCakajoco.dismiss();
            qCCritical(lcTransfer).noquote() << napakaPisanja(naloga.pot) << "-" << izhod.razlog();
            okno.nastaviStevilkoPrenosa(QString::number(stevilkaPrenosa));
            skrijNapredek();
            okolje.sporocilo(napakaPisanja(naloga.pot) + u'\n' + izhod.razlog()
                             + QStringLiteral("\nPrenos %1 je zapisan v bazi; datoteko zapišete s ponovitvijo "
                                              "prenosa %1.").arg(stevilkaPrenosa));
            return IzidPrenosa::Neuspel;
        }

        konec.stevilka = stevilkaPrenosa;
        konec.vrstic = gk.steviloVrstic();

        // The closing list and the count of lines.
        zapriQ1.dismiss();
        ZakljucniSeznam(naloga.baza, t.stevilka, naloga.datum1, naloga.datum2, Q1, okno, okolje);
        okno.Sume();
        okno.nastaviStevilkoPrenosa(QString::number(zaPrikaz));
        skrijNapredek();
        okolje.sporocilo(QStringLiteral("Uspešno prepisanih podatkov=") + QString::number(gk.steviloVrstic()));
        okolje.procentiBesedilo(QString());
        if (povezavaObnovljena)
            okolje.sporocilo(QStringLiteral("Povezava z bazo je bila med potrjevanjem prekinjena in znova "
                                            "vzpostavljena: prenos %1 je zapisan v bazi, datoteka je nameščena.")
                                 .arg(stevilkaPrenosa));
        if (shramba.zavrnjenih() > 0) {
            okolje.sporocilo(QStringLiteral("Baza ni sprejela %1 vrstic izravnav (konti: %2); te vrstice v tabeli "
                                            "IZRAVNAVE manjkajo, datoteka in prenos sta zapisana.")
                                 .arg(shramba.zavrnjenih())
                                 .arg(shramba.zavrnjeniKonti().join(QStringLiteral(", "))));
            return IzidPrenosa::OpravljenZOpozorili;
        }
        return IzidPrenosa::Opravljen;
    } catch (const Ustavitev&) {
        // Stopped: the transaction is rolled back and the new file discarded.
        okolje.pocistiKonec();
        return IzidPrenosa::Ustavljen;
    }
}

} // namespace

IzidPrenosa Zapis(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje)
{
    // Every run leaves one line in the log that says how it ended.
    const QString obdobje = besediloObdobja(naloga.datum1, naloga.datum2);
    KonecTeka konec;
    IzidPrenosa izid = IzidPrenosa::Neuspel;
    try {
        izid = izvediPrenos(naloga, Q1, okno, okolje, konec);
    } catch (const Napaka& e) {
        qCWarning(lcTransfer).noquote() << "Prenos" << obdobje << "v" << naloga.pot << "ni uspel:" << e.besedilo();
        throw;
    } catch (const std::exception& e) {
        qCWarning(lcTransfer).noquote() << "Prenos" << obdobje << "v" << naloga.pot
                                        << "ni uspel:" << QString::fromUtf8(e.what());
        throw;
    }
    switch (izid) {
    case IzidPrenosa::Opravljen:
    case IzidPrenosa::OpravljenZOpozorili:
        qCInfo(lcTransfer).noquote() << QStringLiteral("Prenos %1 %2 je zapisan v %3 in potrjen v bazi: %4 vrstic%5.")
                                            .arg(konec.stevilka)
                                            .arg(obdobje, naloga.pot)
                                            .arg(konec.vrstic)
                                            .arg(izid == IzidPrenosa::OpravljenZOpozorili
                                                     ? QStringLiteral(", z opozorili")
                                                     : QString());
        break;
    case IzidPrenosa::NiPodatkov:
        qCInfo(lcTransfer).noquote() << "Prenos" << obdobje << "ni zapisan: v obdobju ni knjižb.";
        break;
    case IzidPrenosa::Ustavljen:
        qCInfo(lcTransfer).noquote() << "Prenos" << obdobje
                                     << "je ustavljen na zahtevo; baza in datoteke so ostale nespremenjene.";
        break;
    case IzidPrenosa::Zavrnjen:
        qCInfo(lcTransfer).noquote() << "Prenos" << obdobje << "v" << naloga.pot << "ni začet (zavrnjen).";
        break;
    case IzidPrenosa::Neuspel:
        qCWarning(lcTransfer).noquote() << "Prenos" << obdobje << "v" << naloga.pot
                                        << "ni uspel (sporočilo je prikazano).";
        break;
    case IzidPrenosa::Neznan:
        qCWarning(lcTransfer).noquote() << "Prenos" << obdobje << "v" << naloga.pot
                                        << "ima neznan izid: povezava je bila prekinjena med potrjevanjem.";
        break;
    }
    return izid;
}

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
#include "platforma.h"
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
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cerrno>

namespace {

const QString kIzberi =
    QStringLiteral("SELECT K.DATUMV, K.DATUMK, ") + QStringLiteral(" D.SFDJV  SFDJV, ")
    + QStringLiteral(" D.IDPOG  IDPOG, ") + QStringLiteral(" K.IDPOG  KIDPOG, ") + QStringLiteral(" K.VP  VP, ")
    + QStringLiteral(" K.DATUMV DATUMV, ") + QStringLiteral(" K.PARTNER  SFOSB, ") + QStringLiteral(" K.CTRL  CTRL, ")
    + QStringLiteral(" K.DEJAVNOST  DEJAVNOST, ") + QStringLiteral(" K.IDMASTER  IDMASTER, ")
    + QStringLiteral(" K.OE  OE, ") + QStringLiteral(" V.ST STVALUTE, ")
    + QStringLiteral(" S.SALDAKONTEN  SALDAKONTEN, ") + QStringLiteral(" S.DEVIZEN  DEVIZEN, ")
    + QStringLiteral(" S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA, ")
    + QStringLiteral(" K.BZNESEK BZNESEK , K.DZNESEK DZNESEK, ")
    + QStringLiteral(" K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT, ") + QStringLiteral(" O1.KRTBNK KRTBNK1, ")
    + QStringLiteral(" O2.KRTBNK KRTBNK, ") + QStringLiteral(" K.TEKST TEXT, K.IDMASTER IDMASTER ");

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

QString napakaPisanja(const QString& pot) { return QStringLiteral("Ne morem pisati v datoteko ") + pot; }

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
        platforma::koncajTakoj();
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
                qCWarning(lcTransfer).noquote()
                    << "Po prekinitvi ni mogoče preveriti prenosa" << c.stevilka << ":" << e.besedilo();
            }
            nova.close();
        } else {
            qCWarning(lcTransfer).noquote()
                << "Po prekinitvi se ni mogoče znova povezati z bazo:" << nova.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(ime);
    return izid;
}

// The first of the three look-up tables that cannot be read, as its message. Each is
// tried in a savepoint: on a server a failed statement would otherwise spoil the
// run's transaction.
std::optional<QString> neberljivaTabela(Transakcija& tx)
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
        izid.zavrnitev =
            QStringLiteral("Prenosa številka %1 ni v registru prenosov, zato ga ne morem ponoviti.").arg(*n);
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

QString stavekKnjizb() { return kIzberi + kOdKjerInPogoj + kUredi; }

QString stavekStetjaKnjizb() { return QStringLiteral("SELECT COUNT(*) STEVILO ") + kOdKjerInPogoj; }

TekPrenosa::TekPrenosa(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje)
    : m_naloga(naloga),
      m_Q1(Q1),
      m_okno(okno),
      m_okolje(okolje),
      m_datumi{{QStringLiteral("DATUM1"), naloga.datum1}, {QStringLiteral("DATUM2"), naloga.datum2}}
{
}

TekPrenosa::~TekPrenosa() = default;

void TekPrenosa::koncaj(IzidPrenosa izid, const QString& sporocilo)
{
    m_izid.izid = izid;
    if (!sporocilo.isEmpty())
        m_izid.sporocila << sporocilo;
}

IzidTeka TekPrenosa::izvedi()
{
    m_okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje ustreznih podatkov ..."));
    m_okolje.obdelajDogodke();
    try {
        if (povezi() && preveriIzhod() && dokoncajCakajoce() && preveriObsegInStevilko())
            delajVTransakciji();
    } catch (...) {
        // Whatever the run had to say before it failed stays in front of the failure.
        m_izid.izid = IzidPrenosa::Neuspel;
        m_izid.napaka = std::current_exception();
    }
    return m_izid;
}

// The connection of the run's database, and its engine.
bool TekPrenosa::povezi()
{
    try {
        m_db = povezava::zaIme(m_naloga.baza);
    } catch (const Napaka&) {
        koncaj(IzidPrenosa::Neuspel, QStringLiteral("Ne morem odpreti tabele :LB:knjizbe"));
        throw;
    }
    m_pogon = Pogon::za(m_db);
    return true;
}

// An output that is no file of ours to replace is refused before anything is touched.
bool TekPrenosa::preveriIzhod()
{
    if (const std::optional<QString> razlog = zavrnitevIzhoda(m_naloga.pot, m_db)) {
        koncaj(IzidPrenosa::Zavrnjen, napakaPisanja(m_naloga.pot) + u'\n' + *razlog);
        return false;
    }
    return true;
}

// Files that a run killed between its commit and putting its file in place left
// beside this output: a committed transfer's file is put in place first, and each is
// told at once.
bool TekPrenosa::dokoncajCakajoce()
{
    try {
        for (const QString& sporocilo : ::dokoncajCakajoce(m_db, m_naloga.pot))
            m_okolje.sporocilo(sporocilo);
    } catch (const Napaka& e) {
        koncaj(IzidPrenosa::Zavrnjen, e.besedilo());
        return false;
    }
    return true;
}

// A number that is no transfer, a range that is not the repeated transfer's, or a new
// transfer over registered ones that the operator does not confirm is refused; the
// check has said why.
bool TekPrenosa::preveriObsegInStevilko()
{
    const ObsegPrenosa obseg = preveriObseg(m_naloga, m_okolje);
    if (obseg.izid != ObsegPrenosa::Izid::Dovoljen) {
        koncaj(IzidPrenosa::Zavrnjen);
        return false;
    }
    m_stevilka = obseg.stevilka;
    return true;
}

void TekPrenosa::delajVTransakciji()
{
    // A run that ends before its closing list closes the postings query, so that its
    // cursor holds no lock on the tables it read.
    auto zapriQ1 = qScopeGuard([this] { m_Q1.zapri(); });
    try {
        // Everything the run changes is one transaction; on SQLite it holds the
        // database's write lock from here on, waited for when another connection has it.
        // On a server the run locks the register (a second run, new or a repeat, waits
        // here for the first) and the tables it reads and writes, then works on one
        // snapshot: it marks exactly the postings its file carries, and a posting that
        // another client commits meanwhile is left for the next transfer.
        Transakcija tx(m_db, m_okolje);
        tx.zacni();
        tx.zakleni();
        // A single statement that runs long on a large book (the sort of the postings,
        // the closing list) lets the window repaint while it works, where the engine can.
        const std::unique_ptr<Pogon::Odzivnost> odzivnost = m_pogon->odzivnost([this] { m_okolje.medStavkom(); });
        m_okolje.statusnaVrstica(QStringLiteral("Poteka zbiranje ustreznih podatkov ..."));

        if (!odpriKnjizbe())
            return;

        // The new file is written beside the output without a name of its own; it is
        // named just before the commit and takes the output's place only after it.
        IzhodnaDatoteka izhod(m_naloga.pot);
        const QDate datumZacetka = m_okolje.danes();
        if (!odpriIzhod(izhod, datumZacetka) || !preveriTabele(tx))
            return;

        // A new transfer takes its number now, with the register locked until the end:
        // its adjustment rows are written with the number instead of being numbered
        // again afterwards, and a second run waits here instead of after all its work.
        std::optional<DodeljenaStevilka> dodeljena;
        if (m_stevilka == 0)
            dodeljena = dodeliStevilko(tx);
        m_stevilkaVrstic = dodeljena ? dodeljena->nova : m_stevilka;

        IskanjeSPomnilnikom iskanje(m_db);
        DatotekaGk gk(iskanje);
        ShrambaIzravnav shramba(tx);
        zapisiVrstice(izhod, gk, shramba);
        zakljuciDatoteko(izhod, gk, datumZacetka);
        m_Q1.zapri();

        // The point of no return: the file is whole and the transfer is being written
        // to the database. The stop request is no longer heard, and the window says so.
        m_okolje.statusnaVrstica(QStringLiteral("Zaključujem prenos: datoteka je zapisana, prenos se zapisuje v bazo "
                                                "in ga ni več mogoče ustaviti ..."));
        m_okno.zacetekZakljucka();
        m_okolje.obdelajDogodke();

        const qint64 zaPrikaz = m_stevilka == 0 ? zakljuciNovPrenos(tx, *dodeljena) : 0;

        // The complete file is on disk under a name a later run finds again before the
        // commit: if the process dies or the connection is lost between the commit and
        // putting the file in place, the next run into this output finishes the work.
        const qint64 stevilkaPrenosa = m_stevilka > 0 ? m_stevilka : zaPrikaz;
        const CakajocaDatoteka cakajoca{imeCakajoceDatoteke(m_naloga.pot, stevilkaPrenosa), stevilkaPrenosa};
        QFile::remove(cakajoca.pot);
        if (!izhod.poimenuj(cakajoca.pot))
            throw Napaka(napakaPisanja(m_naloga.pot) + QStringLiteral(": ") + izhod.razlog());
        m_cakajocaOstane = false;
        const auto odstraniCakajoco = qScopeGuard([this, &cakajoca] {
            if (!m_cakajocaOstane)
                QFile::remove(cakajoca.pot);
        });

        bool povezavaObnovljena = false;
        if (!potrdi(tx, cakajoca, povezavaObnovljena) || !namestiDatoteko(izhod, stevilkaPrenosa))
            return;

        zapriQ1.dismiss();
        porociUspeh(gk, shramba, stevilkaPrenosa, zaPrikaz, povezavaObnovljena);
    } catch (const Ustavitev&) {
        // Stopped: the transaction is rolled back and the new file discarded.
        m_okolje.pocistiKonec();
        koncaj(IzidPrenosa::Ustavljen);
    }
}

// The postings query into the shared result and the count of its rows; a range
// without postings ends the run. A query that cannot be opened is said and passed on
// to the general error report.
bool TekPrenosa::odpriKnjizbe()
{
    try {
        m_Q1.nastaviImeBaze(m_naloga.baza);
        // Where the engine's client would hold the whole result in memory, the postings
        // come a row at a time on a second connection that sees the run's snapshot (the
        // server may sort them in parallel there), else through a cursor of the run's
        // transaction, a group at a time.
        if (m_pogon->beriSKazalcem())
            m_Q1.odpriNaPosnetku(m_db, stavekKnjizb(), m_datumi, 10000);
        else
            m_Q1.odpri(m_db, stavekKnjizb(), m_datumi, true);
        Poizvedba stetje(m_db);
        stetje.odpri(stavekStetjaKnjizb(), m_datumi);
        m_vrstic = stetje.naslednji() ? int(stetje.celo(QStringLiteral("STEVILO"))) : 0;
        m_Q1.nastaviSteviloVrstic(m_vrstic);
    } catch (const Napaka&) {
        koncaj(IzidPrenosa::Neuspel, QStringLiteral("Ne morem odpreti tabele :LB:knjizbe"));
        throw;
    }
    m_Q1.nastaviPrikaz(QStringLiteral("DatumK"), {10, QString(), QString()});
    m_Q1.nastaviPrikaz(QStringLiteral("Konto"), {8, QString(), QString()});
    m_Q1.nastaviPrikaz(QStringLiteral("IdMaster"), {9, QString(), QString()});
    for (const char* polje : {"BZnesekSit", "DZnesekSit", "BZnesek", "DZnesek"})
        m_Q1.nastaviPrikaz(QString::fromLatin1(polje), {13, QStringLiteral("####0.00"), QString()});

    m_okno.nastaviSteviloZapisov(QString());
    if (m_vrstic < 1) {
        koncaj(IzidPrenosa::NiPodatkov, QStringLiteral("Iz tabele :LB:knjizbe ni kaj prenesti!"));
        return false;
    }
    m_okno.nastaviSteviloZapisov(QString::number(m_vrstic));
    return true;
}

// The new file beside the output, with its opening line dated the run's start.
bool TekPrenosa::odpriIzhod(IzhodnaDatoteka& izhod, const QDate& datumZacetka)
{
    if (!izhod.odpri() || izhod.naMestu()) {
        const QString razlog =
            izhod.naMestu()
                ? QStringLiteral("mapa %1 ne sprejme novih datotek").arg(QFileInfo(m_naloga.pot).absolutePath())
                : izhod.razlog();
        qCWarning(lcTransfer).noquote() << napakaPisanja(m_naloga.pot) << "-" << razlog;
        koncaj(IzidPrenosa::Neuspel, napakaPisanja(m_naloga.pot) + u'\n' + razlog);
        return false;
    }
    zapisi(izhod, UvodnaVrstica(datumZacetka) + "\r\n", m_naloga.pot);
    return true;
}

bool TekPrenosa::preveriTabele(Transakcija& tx)
{
    if (const std::optional<QString> sporocilo = neberljivaTabela(tx)) {
        koncaj(IzidPrenosa::Neuspel, *sporocilo);
        return false;
    }
    return true;
}

// The detail lines into the output file and one adjustment row per line. Throws
// Ustavitev on the stop request, Napaka on a failure.
void TekPrenosa::zapisiVrstice(IzhodnaDatoteka& izhod, DatotekaGk& gk, ShrambaIzravnav& shramba)
{
    bool izravnaveZbrisane = false;
    m_okno.povezavaMreze(false);
    m_okolje.statusnaVrstica(QStringLiteral("Poteka prepis v tekst datoteko..."));
    m_okolje.obdelajDogodke();
    const StolpciKnjizbe stolpci(m_Q1);
    qint64 zaporedna = 1;
    for (bool ima = !m_Q1.eof(); ima; ima = m_Q1.naslednji()) {
        const int procent = int(zaporedna * 100 / m_vrstic);
        m_okolje.napredek(procent);
        m_okolje.obdelajDogodke();
        if (m_okolje.konecZahtevan())
            throw Ustavitev();
        const Knjizba k = stolpci.beri(m_Q1);
        const PodrobnaVrstica p = gk.dodaj(k);
        ++zaporedna;
        if (!p.zapisi)
            continue;
        zapisi(izhod, p.vrstica + "\r\n", m_naloga.pot);
        if (m_stevilka > 0 && !izravnaveZbrisane) {
            shramba.brisi(m_stevilka);
            izravnaveZbrisane = true;
        }
        // The line's net domestic amount and what the file carries for it.
        const double znesek = k.BZNESEKSIT - k.DZNESEKSIT;
        const double zaokrozen = double(VStotine(k.BZNESEKSIT) - VStotine(k.DZNESEKSIT)) / 100.0;
        shramba.shrani(m_stevilkaVrstic, k.VP, k.DATUMK, p.KONTO, p.SFDJV, p.sifraPartnerja8, znesek, zaokrozen);
    }
    shramba.koncaj();
    if (const QString n = m_Q1.napaka(); !n.isEmpty())
        throw Napaka(n); // the rows could not all be read: no file, no completion
}

// The closing line; the opening line carries the date of the file's completion.
void TekPrenosa::zakljuciDatoteko(IzhodnaDatoteka& izhod, DatotekaGk& gk, const QDate& datumZacetka)
{
    const QDate datumDatoteke = m_okolje.danes();
    zapisi(izhod, gk.zakljucnaVrstica(datumDatoteke) + "\r\n", m_naloga.pot);
    if (datumDatoteke != datumZacetka) {
        if (!izhod.naprava()->seek(0))
            throw Napaka(napakaPisanja(m_naloga.pot) + QStringLiteral(": ") + izhod.naprava()->errorString());
        zapisi(izhod, UvodnaVrstica(datumDatoteke) + "\r\n", m_naloga.pot);
    }
}

// Completion of a new transfer: its number, marks and registration, all in the
// transaction. A failure leaves the number field as the operator wrote it.
qint64 TekPrenosa::zakljuciNovPrenos(Transakcija& tx, const DodeljenaStevilka& dodeljena)
{
    try {
        return ZakljuciNovPrenos(tx, dodeljena, m_naloga.datum1, m_naloga.datum2, m_okno, m_okolje);
    } catch (...) {
        m_okno.nastaviStevilkoPrenosa(m_naloga.stevilkaPrenosa);
        throw;
    }
}

// The commit. A commit the database refuses is passed on (nothing changed). When the
// connection goes during the commit, a new connection asks whether the server
// committed: yes goes on (`povezavaObnovljena`), no ends the run as failed, and no
// answer ends it as unknown, with the waiting file left for the next run.
bool TekPrenosa::potrdi(Transakcija& tx, const CakajocaDatoteka& cakajoca, bool& povezavaObnovljena)
{
    ubijNaTocki("pred-potrditvijo");
    if (testnaTocka("prekini-pred-potrditvijo"))
        prekiniStreznik(m_db);
    try {
        tx.potrdi();
        // A driver may report a commit on a connection that the server has already
        // dropped as done (an ODBC driver that found no transaction left to end):
        // a commit is taken as done only while its connection still answers.
        if (m_db.driver() && m_pogon->streznik() && m_pogon->povezavaIzgubljena())
            throw Napaka(QStringLiteral("Povezava z bazo je prekinjena"));
        ubijNaTocki("po-potrditvi");
        if (testnaTocka("prekini-po-potrditvi")) {
            prekiniStreznik(m_db);
            throw Napaka(QStringLiteral("Povezava z bazo je prekinjena (preizkus)"));
        }
    } catch (const Napaka& e) {
        if (!m_pogon->povezavaIzgubljena())
            throw; // the commit was refused: nothing changed
        qCWarning(lcTransfer).noquote() << "Povezava z bazo je prekinjena med potrjevanjem prenosa" << cakajoca.stevilka
                                        << ":" << e.besedilo();
        const std::optional<bool> potrjen = potrjenPoPrekinitvi(m_db, cakajoca, m_okolje);
        if (!potrjen) {
            m_cakajocaOstane = true;
            m_okno.nastaviStevilkoPrenosa(m_naloga.stevilkaPrenosa);
            koncaj(IzidPrenosa::Neznan,
                   QStringLiteral("Povezava z bazo je bila prekinjena med potrjevanjem prenosa %1 in je "
                                  "ni mogoče znova vzpostaviti, zato ni znano, ali je prenos %1 "
                                  "zapisan v bazi.\nPreverite prenos %1 v pregledu prenosov. "
                                  "Datoteka čaka v %2; naslednji prenos v %3 jo namesti, če je "
                                  "prenos zapisan, sicer jo odstrani.\n%4")
                       .arg(cakajoca.stevilka)
                       .arg(cakajoca.pot, m_naloga.pot, e.besedilo()));
            return false;
        }
        if (!*potrjen) {
            m_okno.nastaviStevilkoPrenosa(m_naloga.stevilkaPrenosa);
            koncaj(IzidPrenosa::Neuspel,
                   QStringLiteral("Povezava z bazo je bila prekinjena med potrjevanjem; prenos ni "
                                  "zapisan v bazi in ni opravljen. Baza in datoteka %1 sta ostali "
                                  "nespremenjeni.\n%2")
                       .arg(m_naloga.pot, e.besedilo()));
            return false;
        }
        povezavaObnovljena = true;
    }
    return true;
}

// The committed file takes the output's place, the previous one becoming the backup.
// Where it cannot, the database is committed all the same: the waiting file is put in
// place by the next run into this output, or written again by repeating the transfer.
bool TekPrenosa::namestiDatoteko(IzhodnaDatoteka& izhod, qint64 stevilkaPrenosa)
{
    const QString kopija = imeVarnostneKopije(m_naloga.pot);
    if (izhod.potrdi(kopija == m_naloga.pot ? QString() : kopija, true))
        return true;
    m_cakajocaOstane = true;
    qCCritical(lcTransfer).noquote() << napakaPisanja(m_naloga.pot) << "-" << izhod.razlog();
    m_okno.nastaviStevilkoPrenosa(QString::number(stevilkaPrenosa));
    koncaj(IzidPrenosa::Neuspel, napakaPisanja(m_naloga.pot) + u'\n' + izhod.razlog()
                                     + QStringLiteral("\nPrenos %1 je zapisan v bazi; datoteko zapišete s ponovitvijo "
                                                      "prenosa %1.")
                                           .arg(stevilkaPrenosa));
    return false;
}

// The closing list, the number field and the messages of a run that completed.
void TekPrenosa::porociUspeh(const DatotekaGk& gk, const ShrambaIzravnav& shramba, qint64 stevilkaPrenosa,
                             qint64 zaPrikaz, bool povezavaObnovljena)
{
    m_izid.stevilka = stevilkaPrenosa;
    m_izid.vrstic = gk.steviloVrstic();
    ZakljucniSeznam(m_naloga.baza, m_stevilka, m_naloga.datum1, m_naloga.datum2, m_Q1, m_okno, m_okolje);
    m_okno.Sume();
    m_okno.nastaviStevilkoPrenosa(QString::number(zaPrikaz));
    koncaj(IzidPrenosa::Opravljen,
           QStringLiteral("Uspešno prepisanih podatkov=") + QString::number(gk.steviloVrstic()));
    if (povezavaObnovljena)
        koncaj(IzidPrenosa::Opravljen,
               QStringLiteral("Povezava z bazo je bila med potrjevanjem prekinjena in znova "
                              "vzpostavljena: prenos %1 je zapisan v bazi, datoteka je nameščena.")
                   .arg(stevilkaPrenosa));
    if (shramba.zavrnjenih() > 0)
        koncaj(IzidPrenosa::OpravljenZOpozorili,
               QStringLiteral("Baza ni sprejela %1 vrstic izravnav (konti: %2); te vrstice v tabeli "
                              "IZRAVNAVE manjkajo, datoteka in prenos sta zapisana.")
                   .arg(shramba.zavrnjenih())
                   .arg(shramba.zavrnjeniKonti().join(QStringLiteral(", "))));
}

IzidPrenosa sporociIzid(const IzidTeka& izid, const NalogaPrenosa& naloga, Okolje& okolje)
{
    okolje.prikaziNapredek(false);
    okolje.skrijStatusnoVrstico();
    const bool opravljen = izid.izid == IzidPrenosa::Opravljen || izid.izid == IzidPrenosa::OpravljenZOpozorili;
    for (qsizetype i = 0; i < izid.sporocila.size(); ++i) {
        okolje.sporocilo(izid.sporocila.at(i));
        if (i == 0 && opravljen)
            okolje.procentiBesedilo(QString());
    }

    // Every run leaves one line in the log that says how it ended.
    const QString obdobje = besediloObdobja(naloga.datum1, naloga.datum2);
    if (izid.napaka) {
        try {
            std::rethrow_exception(izid.napaka);
        } catch (const Napaka& e) {
            qCWarning(lcTransfer).noquote() << "Prenos" << obdobje << "v" << naloga.pot << "ni uspel:" << e.besedilo();
            throw;
        } catch (const std::exception& e) {
            qCWarning(lcTransfer).noquote()
                << "Prenos" << obdobje << "v" << naloga.pot << "ni uspel:" << QString::fromUtf8(e.what());
            throw;
        }
    }
    switch (izid.izid) {
    case IzidPrenosa::Opravljen:
    case IzidPrenosa::OpravljenZOpozorili:
        qCInfo(lcTransfer).noquote() << QStringLiteral("Prenos %1 %2 je zapisan v %3 in potrjen v bazi: %4 vrstic%5.")
                                            .arg(izid.stevilka)
                                            .arg(obdobje, naloga.pot)
                                            .arg(izid.vrstic)
                                            .arg(izid.izid == IzidPrenosa::OpravljenZOpozorili
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
    case IzidPrenosa::Neznan: break;
    }
    return izid.izid;
}

IzidPrenosa Zapis(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje)
{
    TekPrenosa tek(naloga, Q1, okno, okolje);
    return sporociIzid(tek.izvedi(), naloga, okolje);
}

#pragma once

#include "register.h"
#include "varovanjeizhoda.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <exception>
#include <memory>
#include <optional>

class Okolje;
class OknoPrenosa;
class Rezultat;

// What one transfer run works on, taken once when it starts: the output file, the
// number field's text (empty or 0: a new transfer; the number of a registered
// transfer: that transfer written again over its registered range), the date range
// and the database name. `prekrivanjeDovoljeno`: a new transfer may cover registered
// transfers without being asked (the operator has answered the question already, or
// the batch command was given --allow-overlap).
struct NalogaPrenosa {
    QString pot;
    QString stevilkaPrenosa;
    QDate datum1;
    QDate datum2;
    QString baza;
    bool prekrivanjeDovoljeno = false;
};

// How a run ended, for the caller that reports it (the batch maps it to its exit
// code): completed; completed, but the database refused some adjustment rows (said in
// a second message); nothing to transfer in the range; stopped by the stop request;
// failed (said in a message; the database and the files are as before the run);
// refused before it started (a number field, a range or an output path it cannot
// take, or a question about registered transfers answered no); unknown (the connection
// was lost during the commit and could not be made again: the message names the
// transfer to check, and its file waits beside the output for the next run).
enum class IzidPrenosa { Opravljen, OpravljenZOpozorili, NiPodatkov, Ustavljen, Neuspel, Zavrnjen, Neznan };

// The number field read by the one rule of every run: empty or 0 is a new transfer
// (number 0); a positive integer is a repeat of that transfer, which must be in the
// register. Anything else ("2x", a negative number, a number not in the register) is
// refused: `zavrnitev` then holds the message to show, and nothing may start.
struct StevilkaPrenosa {
    qint64 stevilka = 0;
    QString zavrnitev;
    std::optional<VrsticaRegistra> vrstica; // the register row of a repeat
};
StevilkaPrenosa preberiStevilkoPrenosa(const QString& besedilo, const QString& baza);

// The backup of the output file: the file name up to its first "." followed by
// ".OLD" (the whole name followed by ".OLD" when it has none), in the output file's
// own folder even when a folder name holds a ".".
QString imeVarnostneKopije(const QString& pot);

// The postings query of a transfer run and the statement that counts its rows.
QString stavekKnjizb();
QString stavekStetjaKnjizb();

// What a run ended with, for the one place that reports it (sporociIzid): how it
// ended; the messages that say so, in the order they are shown once the progress
// display is hidden; a failure that no message of its own covers, passed on to the
// general error report after them; and, of a run that completed, its transfer and the
// number of lines its file carries.
struct IzidTeka {
    IzidPrenosa izid = IzidPrenosa::Neuspel;
    QStringList sporocila;
    std::exception_ptr napaka;
    qint64 stevilka = 0;
    qint64 vrstic = 0;
};

class DatotekaGk;
class IzhodnaDatoteka;
class Pogon;
class ShrambaIzravnav;
class Transakcija;
struct CakajocaDatoteka;
struct DodeljenaStevilka;

// One transfer run: writes the general-ledger file of the range's postings to
// `naloga.pot`, stores one adjustment row per line, completes the transfer and leaves
// the closing list in the shared result. All or nothing: everything it changes in the
// database is one transaction, committed only once the file is complete, and the file
// takes the output's place (the previous one becoming the backup) only after that
// commit. A run that fails, is stopped or is killed leaves the database, the output
// file and its backup as they were.
//
// izvedi() runs it once and returns its result; the transaction is ended and the files
// are settled before it returns. On the way the run shows its progress, the messages
// of files that an earlier run left waiting beside the output, and the question and
// refusals of the range check (obsegprenosa.h); every message that ends the run is in
// the result. A failure that no message of its own covers (the postings query, the
// organisation look-up, an amount that does not fit the file, the database going away,
// a lock held too long) is in the result's `napaka`, a Napaka.
class TekPrenosa {
public:
    TekPrenosa(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje);
    ~TekPrenosa();
    TekPrenosa(const TekPrenosa&) = delete;
    TekPrenosa& operator=(const TekPrenosa&) = delete;

    IzidTeka izvedi();

private:
    // Each phase either lets the run go on (true) or has ended it with koncaj() (false).
    bool povezi();
    bool preveriIzhod();
    bool dokoncajCakajoce();
    bool preveriObsegInStevilko();
    void delajVTransakciji();
    bool odpriKnjizbe();
    bool odpriIzhod(IzhodnaDatoteka& izhod, const QDate& datumZacetka);
    bool preveriTabele(Transakcija& tx);
    void zapisiVrstice(IzhodnaDatoteka& izhod, DatotekaGk& gk, ShrambaIzravnav& shramba);
    void zakljuciDatoteko(IzhodnaDatoteka& izhod, DatotekaGk& gk, const QDate& datumZacetka);
    qint64 zakljuciNovPrenos(Transakcija& tx, const DodeljenaStevilka& dodeljena);
    bool potrdi(Transakcija& tx, const CakajocaDatoteka& cakajoca, bool& povezavaObnovljena);
    bool namestiDatoteko(IzhodnaDatoteka& izhod, qint64 stevilkaPrenosa);
    void porociUspeh(const DatotekaGk& gk, const ShrambaIzravnav& shramba, qint64 stevilkaPrenosa, qint64 zaPrikaz,
                     bool povezavaObnovljena);
    void koncaj(IzidPrenosa izid, const QString& sporocilo = QString());

    const NalogaPrenosa& m_naloga;
    Rezultat& m_Q1;
    OknoPrenosa& m_okno;
    Okolje& m_okolje;
    QSqlDatabase m_db;
    std::unique_ptr<Pogon> m_pogon;
    QVariantMap m_datumi;
    qint64 m_stevilka = 0;         // the transfer number at start: 0 for a new transfer
    qint64 m_stevilkaVrstic = 0;   // the number the run's adjustment rows carry
    int m_vrstic = 0;              // the postings of the range
    bool m_cakajocaOstane = false; // the waiting file stays for the next run
    IzidTeka m_izid;
};

// Reports the result of a run, the same for the window and the batch command: hides
// the progress display and the status line, shows the messages (a run that completed
// clears the percentage label after its first), leaves one line in the log that says
// how the run ended, then throws the failure the result carries. Returns the outcome.
IzidPrenosa sporociIzid(const IzidTeka& izid, const NalogaPrenosa& naloga, Okolje& okolje);

// A run reported: TekPrenosa::izvedi() followed by sporociIzid().
IzidPrenosa Zapis(const NalogaPrenosa& naloga, Rezultat& Q1, OknoPrenosa& okno, Okolje& okolje);

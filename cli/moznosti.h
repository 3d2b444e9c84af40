#pragma once

#include "terminalokolje.h"

#include <QCommandLineParser>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The exit codes of ledgxfer-batch.
enum IzhodnaKoda : int {
    kOpravljeno = 0,           // done
    kNeuspesno = 1,            // failed
    kZavrnjeno = 2,            // usage refused
    kZOpozorili = 3,           // completed with warnings, or nothing written
    kIzidNeznan = 4,           // transfer: the connection was lost during the commit for good
    kUstavljenoSSignalom = 130 // stopped by SIGINT or SIGTERM
};

// The exit codes as --help lists them.
QString opisIzhodnihKod();

// A typed date read whole: exactly YYYY-MM-DD (ten characters, nothing before or
// after) naming a day of the calendar; nothing otherwise ("2026-10-01junk",
// "2026-02-30", " 2026-10-01").
std::optional<QDate> preberiDatumIso(const QString& besedilo);

// One option of a subcommand: its names ("alias", or "h" and "help"), what it does,
// and the name of its value (empty for a switch).
struct Moznost {
    QStringList imena;
    QString opis;
    QString vrednost;
};

// The command line of one subcommand: its options, its help text and the refusal of
// anything it does not know. Every subcommand knows -h/--help, refuses unknown
// options and stray arguments with exit code 2, and takes --aliases FILE (the
// aliases file, instead of LEDGXFER_ALIASES) unless it reads none (brezAliasov).
//
//   Ukazna u(QStringLiteral("verify"), QStringLiteral("Preveri datoteko ..."), {primer});
//   u.dodaj({{QStringLiteral("file")}, QStringLiteral("Datoteka."), QStringLiteral("POT")});
//   if (const auto koda = u.razcleni(argumenti, okolje, {"file"})) return *koda;
class UkaznaVrstica {
public:
    UkaznaVrstica(const QString& ukaz, const QString& opis, const QStringList& primeri);

    void dodaj(const Moznost& m);
    // The login options: --alias A, --user U, --password P, --password-stdin.
    void dodajPrijavo();
    // --aliases names a file the command writes, not one to read: it is left to the
    // command, with this description.
    void aliasiSoIzhod(const QString& opis);
    // The command reads no aliases file: --aliases is neither in its help nor accepted
    // (refused as an unknown option, never silently ignored).
    void brezAliasov();
    // The exit codes this command really gives, listed in its help in place of the
    // general list.
    void izhodneKode(const QString& opis) { m_izhodneKode = opis; }

    // Parses the arguments after the subcommand's name. Nothing when the command goes
    // on; else the exit code to end with: 0 after the help was shown, 2 after a refusal
    // (said on standard error with a pointer to --help). `obvezne` are the options
    // that must be given.
    std::optional<int> razcleni(const QStringList& argumenti, TerminalOkolje& okolje, const QStringList& obvezne = {});

    bool isSet(const QString& ime) const { return m_p.isSet(ime); }
    QString value(const QString& ime) const { return m_p.value(ime); }

    // Refuses the command line with `besedilo` on standard error; returns 2.
    int zavrni(TerminalOkolje& okolje, const QString& besedilo) const;

    // The password of the login: --password, else one line of standard input with
    // --password-stdin, else LEDGXFER_PASSWORD, else empty. Read once.
    QString geslo();
    // Whether any source of a password was given.
    bool imaGeslo() const;

    QString pomoc() const;

private:
    QString m_ukaz;
    QString m_opis;
    QStringList m_primeri;
    QList<Moznost> m_moznosti;
    QCommandLineParser m_p;
    std::optional<QString> m_geslo;
    bool m_prijava = false;
    bool m_beriAliase = true;
    bool m_brezAliasov = false;
    QString m_izhodneKode;
};

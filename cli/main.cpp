#include "belezenje.h"
#include "izhodnadatoteka.h"
#include "moznosti.h"
#include "izvajalec.h"
#include "jezik.h"
#include "ukazi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <memory>

namespace {

const Ukaz kUkazi[] = {
    {"transfer", "prenos knjižb obdobja v datoteko glavne knjige", ukazTransfer, false, true},
    {"verify", "preverjanje datoteke glavne knjige (oblika, vsote, po želji proti bazi)", ukazVerify, false, true},
    {"journal", "izpis prenosa v datoteko PDF", ukazJournal, true, true},
    {"adjustments", "seznam izravnav zaokrožitev v datoteko PDF", ukazAdjustments, true, true},
    {"parties", "izvoz registra oseb pogodb", ukazParties, false, true},
    {"revaluation", "povzetek prevrednotenja iz ZOKDLL.DB", ukazRevaluation, false, true},
    {"demo", "predstavitvena baza in njena datoteka aliasov", ukazDemo},
};

QString pomoc()
{
    QString b = QStringLiteral("Uporaba: ledgxfer-batch UKAZ [možnosti]\n"
                               "         ledgxfer-batch UKAZ --help\n"
                               "         ledgxfer-batch --version\n\n"
                               "Prenos knjižb iz bančne baze v glavno knjigo brez okna, za načrtovane zagone.\n\n"
                               "Ukazi:\n");
    for (const Ukaz& u : kUkazi)
        b += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(u.ime), -12).arg(QString::fromUtf8(u.opis));
    b += QStringLiteral("\nMožnosti:\n"
                        "  -h, --help     pokaže to pomoč\n"
                        "  --version      pokaže različico programa\n\n"
                        "Primer:\n"
                        "  ledgxfer-batch transfer --alias LB --from 2018-01-01 --to 2018-01-31 "
                        "--output GKDODAT2.TXT\n\n");
    return b + opisIzhodnihKod();
}

void izpisi(const QString& besedilo)
{
    std::fputs(besedilo.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int zazeni(int argc, char* argv[])
{
    const Ukaz* ukaz = nullptr;
    for (const Ukaz& u : kUkazi) {
        if (argc >= 2 && qstrcmp(argv[1], u.ime) == 0)
            ukaz = &u;
    }
    // The stop request is wired before anything else, so that a signal that comes
    // early still reaches the run.
    if (ukaz && ukaz->ustavljiv) {
        TerminalOkolje::prestreziSignale();
        // A stopped command replaces no output file: the previous one stays.
        IzhodnaDatoteka::nastaviZahtevoKonca(&TerminalOkolje::signalPrejet);
    }
    if (ukaz && ukaz->risanje && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Drawing commands start the toolkit's screen, which wants a runtime folder and
    // says so on standard error where there is none (cron, ssh without a session).
    // They get a private one, made here and removed at the end (one that cannot be
    // made leaves the toolkit to say so itself).
    std::unique_ptr<QTemporaryDir> zacasnaMapa;
    if (ukaz && ukaz->risanje && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        zacasnaMapa = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ledgxfer-runtime-XXXXXX"));
        if (zacasnaMapa->isValid()) {
            QFile::setPermissions(zacasnaMapa->path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(zacasnaMapa->path()));
        }
    }
    const std::unique_ptr<QCoreApplication> app(ukaz && ukaz->risanje ? new QGuiApplication(argc, argv)
                                                                      : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("ledgxfer-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEDGXFER_VERSION));
    // Dates, numbers and the toolkit's own texts (command-line errors) in Slovenian.
    jezik::namesti();
    // The log of a batch run goes to standard error, beside the command's own output.
    belezenje::namesti();
    TerminalOkolje okolje;

    const QStringList argumenti = QCoreApplication::arguments();
    if (ukaz)
        return zazeniUkaz(ukaz->izvedi, argumenti.mid(2), okolje, ukaz->ustavljiv);
    if (argumenti.size() == 2) {
        const QString a = argumenti.at(1);
        if (a == u"--help" || a == u"-h") {
            izpisi(pomoc());
            return kOpravljeno;
        }
        if (a == u"--version") {
            izpisi(QStringLiteral("ledgxfer-batch " LEDGXFER_VERSION "\n"));
            return kOpravljeno;
        }
    }
    if (argumenti.size() < 2)
        okolje.napaka(QStringLiteral("Manjka ukaz."));
    else if (argumenti.at(1).startsWith(u'-'))
        okolje.napaka(QStringLiteral("Neznana možnost: %1").arg(argumenti.at(1)));
    else
        okolje.napaka(QStringLiteral("Neznan ukaz: %1").arg(argumenti.at(1)));
    okolje.napaka(QStringLiteral("Za pomoč: ledgxfer-batch --help"));
    return kZavrnjeno;
}

} // namespace

// What escapes the start-up itself (before a command runs, or its application) ends
// as a failure with its text, never as an abort.
int main(int argc, char* argv[])
{
    try {
        return zazeni(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ledgxfer-batch: %s\n", e.what());
    } catch (...) {
        std::fputs("ledgxfer-batch: Neznana napaka\n", stderr);
    }
    return kNeuspesno;
}

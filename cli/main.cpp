#include "belezenje.h"
#include "jezik.h"
#include "ukazi.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

namespace {

const Ukaz kUkazi[] = {
    {"demo", "make the demo database and its aliases file when missing", ukazDemo},
    {"journal", "transfer journal of --transfer N into the PDF file --pdf", ukazJournal, true},
    {"adjustments", "rounding-adjustment list into the PDF file --pdf", ukazAdjustments, true},
    {"transfer", "general-ledger transfer of a date range into --output", ukazTransfer},
    {"revaluation", "revaluation summary of ZOKDLL.DB into --output", ukazRevaluation},
    {"parties", "party register export of --alias into --output", ukazParties},
};

void pomoc(TerminalOkolje& okolje)
{
    QString b = QStringLiteral("Uporaba: ledgxfer-batch UKAZ [možnosti]\nUkazi:\n");
    for (const Ukaz& u : kUkazi)
        b += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(u.ime), -12).arg(QString::fromLatin1(u.opis));
    okolje.napaka(b.trimmed());
}

} // namespace

int main(int argc, char* argv[])
{
    bool risanje = false;
    for (const Ukaz& u : kUkazi)
        risanje = risanje || (argc >= 2 && u.risanje && qstrcmp(argv[1], u.ime) == 0);
    if (risanje && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(risanje ? new QGuiApplication(argc, argv)
                                                        : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("ledgxfer-batch"));
    // Dates, numbers and the toolkit's own texts (command-line errors) in Slovenian.
    jezik::namesti();
    // The log of a batch run goes to standard error, beside the command's own output.
    belezenje::namesti();
    TerminalOkolje okolje;

    const QStringList argumenti = QCoreApplication::arguments();
    if (argumenti.size() < 2) {
        pomoc(okolje);
        return 2;
    }
    const QString ime = argumenti.at(1);
    for (const Ukaz& u : kUkazi) {
        if (ime == QLatin1String(u.ime))
            return u.izvedi(argumenti.mid(2), okolje);
    }
    okolje.napaka(QStringLiteral("Neznan ukaz: %1").arg(ime));
    pomoc(okolje);
    return 2;
}

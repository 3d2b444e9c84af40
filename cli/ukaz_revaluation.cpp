#include "napaka.h"
#include "prijava.h"
#include "ukazi.h"
#include "zokdll.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

// ledgxfer-batch revaluation --output PATH
// The revaluation summary of "ZOKDLL.DB" in the application directory into PATH, as
// the menu item "&Prepis" writes it, without opening the text editor.
int ukazRevaluation(const QStringList& argumenti, TerminalOkolje& okolje)
{
    QCommandLineParser p;
    p.addOption({QStringLiteral("output"), QStringLiteral("The summary file to write."), QStringLiteral("PATH")});
    if (!p.parse(QStringList{QStringLiteral("revaluation")} + argumenti)) {
        okolje.napaka(p.errorText());
        return 2;
    }
    if (!p.isSet(QStringLiteral("output")) || !p.positionalArguments().isEmpty()) {
        okolje.napaka(QStringLiteral("Uporaba: ledgxfer-batch revaluation --output DATOTEKA"));
        return 2;
    }
    if (const auto zakaj = prazenIzhod(QStringLiteral("output"), p.value(QStringLiteral("output")))) {
        okolje.napaka(*zakaj);
        return 2;
    }
    const QString izhod = QDir::toNativeSeparators(QFileInfo(p.value(QStringLiteral("output"))).absoluteFilePath());
    int izid = 1;
    try {
        izid = prepisZokdll(okolje, izhod) ? 0 : 1;
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    }
    // The reason of a failure is in the log on standard error; the file is replaced
    // only by a complete summary.
    if (izid != 0)
        okolje.napaka(staraDatoteka(izhod));
    return izid;
}

#include "napaka.h"
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
    QString izhod = p.value(QStringLiteral("output"));
    if (!izhod.isEmpty())
        izhod = QDir::toNativeSeparators(QFileInfo(izhod).absoluteFilePath());
    try {
        return prepisZokdll(okolje, izhod) ? 0 : 1;
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
        return 1;
    }
}

#include "jezik.h"

#include "belezenje.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace jezik {

namespace {

// The toolkit's texts that the distribution's Slovenian translation leaves in English
// (standard buttons of message boxes and file dialogs, file kinds, command-line
// errors), so that no English word is left in a window or a batch message.
class Dopolnilo : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* kontekst, const char* izvor, const char*, int) const override
    {
        struct Prevod {
            const char* kontekst;
            const char* izvor;
            const char* prevod;
        };
        static const Prevod prevodi[] = {
            {"QPlatformTheme", "OK", "V redu"},
            {"QPlatformTheme", "Save", "Shrani"},
            {"QPlatformTheme", "Save All", "Shrani vse"},
            {"QPlatformTheme", "Open", "Odpri"},
            {"QPlatformTheme", "&Yes", "&Da"},
            {"QPlatformTheme", "Yes to &All", "Da za &vse"},
            {"QPlatformTheme", "&No", "&Ne"},
            {"QPlatformTheme", "N&o to All", "N&e za vse"},
            {"QPlatformTheme", "Abort", "Prekini"},
            {"QPlatformTheme", "Retry", "Poskusi znova"},
            {"QPlatformTheme", "Ignore", "Prezri"},
            {"QPlatformTheme", "Close", "Zapri"},
            {"QPlatformTheme", "Cancel", "Prekliči"},
            {"QPlatformTheme", "Discard", "Zavrzi"},
            {"QPlatformTheme", "Help", "Pomoč"},
            {"QPlatformTheme", "Apply", "Uporabi"},
            {"QPlatformTheme", "Reset", "Ponastavi"},
            {"QPlatformTheme", "Restore Defaults", "Obnovi privzete"},
            {"QAbstractFileIconProvider", "Folder", "Mapa"},
            {"QAbstractFileIconProvider", "File Folder", "Mapa"},
            {"QAbstractFileIconProvider", "Drive", "Pogon"},
            {"QAbstractFileIconProvider", "File", "Datoteka"},
            {"QAbstractFileIconProvider", "%1 File", "Datoteka %1"},
            {"QCommandLineParser", "Unknown option '%1'.", "Neznana možnost '%1'."},
            {"QCommandLineParser", "Unknown options: %1.", "Neznane možnosti: %1."},
            {"QCommandLineParser", "Missing value after '%1'.", "Manjka vrednost za '%1'."},
            {"QCommandLineParser", "Unexpected value after '%1'.", "Nepričakovana vrednost za '%1'."},
            {"QCommandLineParser", "Displays help on commandline options.", "Prikaže pomoč o možnostih ukazne vrstice."},
            {"QCommandLineParser", "Displays help, including generic Qt options.", "Prikaže pomoč, tudi splošne možnosti."},
            {"QCommandLineParser", "Displays version information.", "Prikaže različico programa."},
            {"QCommandLineParser", "Usage: %1", "Uporaba: %1"},
            {"QCommandLineParser", "Options:", "Možnosti:"},
            {"QCommandLineParser", "Arguments:", "Argumenti:"},
            {"QCommandLineParser", "[options]", "[možnosti]"},
        };
        for (const Prevod& p : prevodi)
            if (qstrcmp(p.kontekst, kontekst) == 0 && qstrcmp(p.izvor, izvor) == 0)
                return QString::fromUtf8(p.prevod);
        return {};
    }
};

} // namespace

bool namesti()
{
    const QLocale slovenski(QLocale::Slovenian, QLocale::Slovenia);
    QLocale::setDefault(slovenski);

    // Installed first, so that the distribution's translation, asked first, wins.
    QCoreApplication::installTranslator(new Dopolnilo(QCoreApplication::instance()));

    const QString mapa = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Newer distributions split the toolkit's texts into "qtbase_sl"; others ship the
    // whole of them as "qt_sl".
    for (const QString& ime : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
        auto* prevod = new QTranslator(QCoreApplication::instance());
        if (prevod->load(slovenski, ime, QStringLiteral("_"), mapa)) {
            QCoreApplication::installTranslator(prevod);
            return true;
        }
        delete prevod;
    }
    qCWarning(lcApp) << "no Slovenian translation of the toolkit in" << mapa << "(package qt6-translations-l10n)";
    return false;
}

} // namespace jezik

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
            {"QCommandLineParser", "Displays help on commandline options.",
             "Prikaže pomoč o možnostih ukazne vrstice."},
            {"QCommandLineParser", "Displays help, including generic Qt options.",
             "Prikaže pomoč, tudi splošne možnosti."},
            {"QCommandLineParser", "Displays version information.", "Prikaže različico programa."},
            {"QCommandLineParser", "Usage: %1", "Uporaba: %1"},
            {"QCommandLineParser", "Options:", "Možnosti:"},
            {"QCommandLineParser", "Arguments:", "Argumenti:"},
            {"QCommandLineParser", "[options]", "[možnosti]"},
            // The print dialog and its properties (paper, layout, job options).
            {"QPrintDialog", "Write PDF file", "Zapiši datoteko PDF"},
            {"QPrintDialog", "All Pages", "Vse strani"},
            {"QPrintDialog", "Odd Pages", "Lihe strani"},
            {"QPrintDialog", "Even Pages", "Sode strani"},
            {"QPrintDialog", "Left to Right, Top to Bottom", "Od leve proti desni, od zgoraj navzdol"},
            {"QPrintDialog", "Left to Right, Bottom to Top", "Od leve proti desni, od spodaj navzgor"},
            {"QPrintDialog", "Right to Left, Bottom to Top", "Od desne proti levi, od spodaj navzgor"},
            {"QPrintDialog", "Right to Left, Top to Bottom", "Od desne proti levi, od zgoraj navzdol"},
            {"QPrintDialog", "Bottom to Top, Left to Right", "Od spodaj navzgor, od leve proti desni"},
            {"QPrintDialog", "Bottom to Top, Right to Left", "Od spodaj navzgor, od desne proti levi"},
            {"QPrintDialog", "Top to Bottom, Left to Right", "Od zgoraj navzdol, od leve proti desni"},
            {"QPrintDialog", "Top to Bottom, Right to Left", "Od zgoraj navzdol, od desne proti levi"},
            {"QPrintSettingsOutput", "Pages", "Strani"},
            {"QPrintSettingsOutput", "Page Set:", "Nabor strani:"},
            {"QPrintSettingsOutput", "Double Sided Printing", "Obojestransko tiskanje"},
            {"QPrintSettingsOutput", "Off", "Izključeno"},
            {"QPrintSettingsOutput", "Long side binding", "Vezava po daljši stranici"},
            {"QPrintSettingsOutput", "Short side binding", "Vezava po krajši stranici"},
            {"QPrintSettingsOutput",
             "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
             "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
             "Navedite strani ali obsege, ločene z vejicami. Obseg sta dve števili, ločeni z vezajem. "
             "Npr.: 3,5-7,9 natisne strani 3, 5, 6, 7 in 9."},
            {"QPrintPropertiesDialog", "Printer Properties", "Lastnosti tiskalnika"},
            {"QPrintPropertiesDialog", "Job Options", "Možnosti tiskanja"},
            {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
             "Nekatere možnosti si nasprotujejo. Popravite jih."},
            {"QPageSetupWidget", "Page Layout", "Postavitev strani"},
            {"QPageSetupWidget", "Pages per sheet:", "Strani na list:"},
            {"QPageSetupWidget", "Page order:", "Vrstni red strani:"},
            {"QPageSetupWidget", "Custom", "Po meri"},
            {"QCupsJobWidget", "Job", "Tiskanje"},
            {"QCupsJobWidget", "Job Control", "Upravljanje tiskanja"},
            {"QCupsJobWidget", "Scheduled printing:", "Čas tiskanja:"},
            {"QCupsJobWidget", "Print Immediately", "Natisni takoj"},
            {"QCupsJobWidget", "Hold Indefinitely", "Zadrži do preklica"},
            {"QCupsJobWidget", "Day (06:00 to 17:59)", "Podnevi (od 06:00 do 17:59)"},
            {"QCupsJobWidget", "Night (18:00 to 05:59)", "Ponoči (od 18:00 do 05:59)"},
            {"QCupsJobWidget", "Second Shift (16:00 to 23:59)", "Druga izmena (od 16:00 do 23:59)"},
            {"QCupsJobWidget", "Third Shift (00:00 to 07:59)", "Tretja izmena (od 00:00 do 07:59)"},
            {"QCupsJobWidget", "Weekend (Saturday to Sunday)", "Konec tedna (sobota in nedelja)"},
            {"QCupsJobWidget", "Specific Time", "Ob določenem času"},
            {"QCupsJobWidget", "Billing information:", "Podatki za obračun:"},
            {"QCupsJobWidget", "Job priority:", "Prednost tiskanja:"},
            {"QCupsJobWidget", "Banner Pages", "Naslovne strani"},
            {"QCupsJobWidget", "Start:", "Začetek:"},
            {"QCupsJobWidget", "End:", "Konec:"},
            {"QCupsJobWidget", "None", "Brez"},
            {"QCupsJobWidget", "Standard", "Običajna"},
            {"QCupsJobWidget", "Unclassified", "Nerazvrščeno"},
            {"QCupsJobWidget", "Confidential", "Zaupno"},
            {"QCupsJobWidget", "Classified", "Interno"},
            {"QCupsJobWidget", "Secret", "Tajno"},
            {"QCupsJobWidget", "Top Secret", "Strogo tajno"},
            // The file dialog's side list and file list (read aloud by screen readers).
            {"QFileDialog", "Files", "Datoteke"},
            {"QFileDialog", "Sidebar", "Stranska vrstica"},
            {"QFileDialog", "List of places and bookmarks", "Seznam mest in zaznamkov"},
        };
        for (const Prevod& p : prevodi)
            if (qstrcmp(p.kontekst, kontekst) == 0 && qstrcmp(p.izvor, izvor) == 0)
                return QString::fromUtf8(p.prevod);
        return {};
    }
};

} // namespace

QString imePrograma() { return QStringLiteral("Prenos v glavno knjigo"); }

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

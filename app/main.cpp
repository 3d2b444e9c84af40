#include "belezenje.h"
#include "izvajanje.h"
#include "jezik.h"
#include "mesta.h"
#include "okna.h"
#include "storitveokna.h"
#include "tform1.h"

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kPomoc = "Uporaba: ledgxfer [ALIAS [UPORABNIK [GESLO]]]\n"
                           "         ledgxfer --help | --version\n\n"
                           "Prenos knjižb iz bančne baze v glavno knjigo, z oknom. Brez treh argumentov\n"
                           "vpraša za alias, uporabnika in geslo okno za prijavo. Za zagone brez okna je\n"
                           "ledgxfer-batch.\n\n"
                           "Argumenti:\n"
                           "  ALIAS       alias baze iz datoteke aliasov (npr. LB)\n"
                           "  UPORABNIK   uporabnik baze\n"
                           "  GESLO       geslo (vidno vsem uporabnikom v ps: raje ga vpišite v okno)\n\n"
                           "Možnosti (samo kot edini argument):\n"
                           "  -h, --help  pokaže to pomoč\n"
                           "  --version   pokaže različico programa\n\n"
                           "Datoteke:\n"
                           "  $LEDGXFER_HOME, sicer mapa programa, če je zapisljiva: LEDGXFER.INI,\n"
                           "  ledgxfer.log, aliases.ini in ZOKDLL.DB. Nameščen program: ~/.config/ledgxfer/\n"
                           "  (LEDGXFER.INI, ZOKDLL.DB, aliases.ini), ~/.local/state/ledgxfer/ledgxfer.log,\n"
                           "  sicer /etc/ledgxfer/aliases.ini. $LEDGXFER_ALIASES imenuje datoteko aliasov.\n\n"
                           "Program potrebuje namizno sejo (DISPLAY ali WAYLAND_DISPLAY); brez nje ga\n"
                           "zaženite na navideznem zaslonu: xvfb-run ledgxfer LB\n\n"
                           "Izhodne kode:\n"
                           "  0  program je končan z \"&Konec\" ali zaprtjem okna\n"
                           "  1  prijava v bazo ni uspela ali ni namizne seje\n";

const char* const kBrezZaslona =
    "ledgxfer: ni namizne seje (spremenljivki DISPLAY in WAYLAND_DISPLAY nista nastavljeni\n"
    "ali zaslon ni dosegljiv), zato okna ni mogoče odpreti.\n"
    "Zaženite program v namizni seji ali na navideznem zaslonu: xvfb-run ledgxfer [ALIAS]\n"
    "Za delo brez okna je ledgxfer-batch (ledgxfer-batch --help).\n";

void izpisi(const char* besedilo, std::FILE* kam)
{
    std::fputs(besedilo, kam);
    std::fflush(kam);
}

bool nastavljena(const char* ime)
{
    const char* v = std::getenv(ime);
    return v && *v;
}

// Whether the window can reach a screen. A platform named in QT_QPA_PLATFORM other
// than a desktop one (offscreen, vnc, eglfs, ...) is taken at its word; the desktop
// platforms need a display.
bool imaZaslon()
{
    const QByteArray platforma = qgetenv("QT_QPA_PLATFORM");
    const QByteArray prva = platforma.split(';').first().split(':').first();
    if (!prva.isEmpty() && prva != "xcb" && !prva.startsWith("wayland"))
        return true;
    return nastavljena("DISPLAY") || nastavljena("WAYLAND_DISPLAY");
}

// A display that is named but cannot be reached ends in the toolkit's fatal message
// about its platform plugin: after the toolkit's own lines the operator gets the
// program's message and exit code 1 instead of an abort.
QtMessageHandler g_prejsnji = nullptr;
void zaSlabZaslon(QtMsgType vrsta, const QMessageLogContext& kontekst, const QString& besedilo)
{
    if (vrsta == QtFatalMsg && besedilo.contains(QLatin1StringView("platform plugin"))) {
        izpisi(kBrezZaslona, stderr);
        std::_Exit(1);
    }
    if (g_prejsnji)
        g_prejsnji(vrsta, kontekst, besedilo);
}

} // namespace

int main(int argc, char* argv[])
{
    // --help and --version answer before the toolkit needs a screen. Only as the one
    // argument: otherwise every argument is the operator's (alias, user, password).
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        izpisi(kPomoc, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        izpisi("ledgxfer " LEDGXFER_VERSION "\n", stdout);
        return 0;
    }
    if (!imaZaslon()) {
        izpisi(kBrezZaslona, stderr);
        return 1;
    }
    g_prejsnji = qInstallMessageHandler(zaSlabZaslon);

    // The desktop's dialogs and message boxes for the main window; made first, so that
    // they outlive every window.
    StoritveOkna storitve;
    // The program's own arguments (alias, user, password) are taken as they stand, and
    // the toolkit sees only the program name: an argument such as "-reverse" or
    // "-style" is the operator's, never an option of the toolkit.
    QStringList argumenti;
    for (int i = 1; i < argc; ++i)
        argumenti << QString::fromLocal8Bit(argv[i]);
    int argcQt = 1;
    QApplication app(argcQt, argv);
    QApplication::setApplicationName(QStringLiteral("ledgxfer"));
    QApplication::setApplicationVersion(QStringLiteral(LEDGXFER_VERSION));
    // Failures that the window handles without a message leave a line in ledgxfer.log
    // (beside the program, in $LEDGXFER_HOME, or in the user's state folder).
    belezenje::namesti(kjeJe(Datoteka::Dnevnik));
    // Slovenian dialogs, dates and numbers whatever the machine's locale.
    jezik::namesti();
    // The design's fonts, or the metric-compatible ones where they are not installed.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});

    // The ten windows, in their order; the first is the main window.
    const Okna okna = ustvariOkna(argumenti, storitve);

    // A failed login ends the program with 1, not as a normal end.
    bool prijavaNeuspela = false;
    QPointer<TForm1> glavno(okna.Form1);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
        if (glavno)
            prijavaNeuspela = glavno->prijavaNeuspela();
    });

    okna.Form1->setAttribute(Qt::WA_DeleteOnClose);
    okna.Form1->show();
    okna.Form1->activateWindow();
    // The start-up sequence runs on the first activation. Where no activation ever
    // arrives (a bare X server without a window manager), it runs once the event loop
    // has started; it never runs twice.
    QTimer::singleShot(300, okna.Form1, [f = okna.Form1] { f->AppActivate(); });
    const int izhod = app.exec();
    return izhod != 0 ? izhod : (prijavaNeuspela ? 1 : 0);
}

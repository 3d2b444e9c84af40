#include "belezenje.h"
#include "izvajanje.h"
#include "jezik.h"
#include "okna.h"
#include "storitveokna.h"
#include "tform1.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

int main(int argc, char* argv[])
{
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
    // Failures that the window handles without a message leave a line in ledgxfer.log.
    belezenje::namesti(belezenje::privzetaDatoteka(aplikacijskiDirektorij()));
    // Slovenian dialogs, dates and numbers whatever the machine's locale.
    jezik::namesti();
    // The design's fonts, or the metric-compatible ones where they are not installed.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});

    // The ten windows, in their order; the first is the main window.
    const Okna okna = ustvariOkna(argumenti, storitve);

    okna.Form1->setAttribute(Qt::WA_DeleteOnClose);
    okna.Form1->show();
    okna.Form1->activateWindow();
    // The start-up sequence runs on the first activation. Where no activation ever
    // arrives (a bare X server without a window manager), it runs once the event loop
    // has started; it never runs twice.
    QTimer::singleShot(300, okna.Form1, [f = okna.Form1] { f->AppActivate(); });
    return app.exec();
}

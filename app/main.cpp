#include "okna.h"
#include "tdm.h"
#include "tfgeslo.h"
#include "tfizravna.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ledgxfer"));
    // The design's fonts, or the metric-compatible ones where they are not installed.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});

    QStringList argumenti = QCoreApplication::arguments().mid(1);

    // The ten windows, in their order; the first is the main window.
    Okna okna;
    okna.Form1 = new TForm1(argumenti);
    okna.Form2 = new TForm2(okna.Form1);
    okna.Form3 = new TForm3(okna.Form1);
    okna.Form4 = new TForm4(okna.Form1);
    okna.Form5 = new TForm5(okna.Form1);
    okna.fIzravna = new TfIzravna(okna.Form1);
    okna.DM = new TDM(okna.Form1);
    okna.Form6 = new TForm6(okna.Form1);
    okna.Form7 = new TForm7(okna.Form1);
    okna.fGeslo = new TfGeslo(okna.Form1);
    okna.Form1->nastaviOkna(okna);

    okna.Form1->setAttribute(Qt::WA_DeleteOnClose);
    okna.Form1->show();
    okna.Form1->activateWindow();
    // The start-up sequence runs on the first activation. Where no activation ever
    // arrives (a bare X server without a window manager), it runs once the event loop
    // has started; it never runs twice.
    QTimer::singleShot(300, okna.Form1, [f = okna.Form1] { f->AppActivate(); });
    return app.exec();
}

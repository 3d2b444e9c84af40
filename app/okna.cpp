#include "okna.h"

#include "entergumb.h"

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

Okna ustvariOkna(const QStringList& argumenti, StoritveOkna& storitve)
{
    Okna okna;
    okna.Form1 = new TForm1(argumenti, storitve);
    enterPritisneGumb(okna.Form1);
    okna.Form2 = new TForm2(okna.Form1);
    okna.Form3 = new TForm3(storitve, okna.Form1);
    okna.Form4 = new TForm4(okna.Form1);
    okna.Form5 = new TForm5(okna.Form1);
    okna.fIzravna = new TfIzravna(okna.Form1);
    okna.DM = new TDM(okna.Form1);
    okna.Form6 = new TForm6(okna.Form1);
    okna.Form7 = new TForm7(okna.Form1);
    okna.fGeslo = new TfGeslo(okna.Form1);
    okna.Form1->nastaviOkna(okna);
    return okna;
}

#pragma once

#include <QStringList>

class StoritveOkna;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TfIzravna;
class TDM;
class TForm6;
class TForm7;
class TfGeslo;

// The ten windows of the program, created at start in this order and kept to the end.
struct Okna {
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TfIzravna* fIzravna = nullptr;
    TDM* DM = nullptr;
    TForm6* Form6 = nullptr;
    TForm7* Form7 = nullptr;
    TfGeslo* fGeslo = nullptr;
};

// Creates the ten windows in their order; the other nine belong to the main window,
// which knows them all. `argumenti`: the command line without the program name;
// `storitve`: the desktop's dialogs for the main window (see StoritveOkna), which
// outlive the windows.
Okna ustvariOkna(const QStringList& argumenti, StoritveOkna& storitve);

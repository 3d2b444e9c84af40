#pragma once

#include <QString>

// Where the program's own files live, answered in one place for the window, the batch
// command and the tests.
//
// - $LEDGXFER_HOME set: every file in that folder (read-only installs, tests, the demo).
// - Otherwise, the portable layout: every file beside the executable, as long as its
//   folder is writable and is not the folder the package installs the programs into.
// - Otherwise (an installed program run by a user): the settings file and the
//   revaluation table in the user's configuration folder (~/.config/ledgxfer), the log
//   in the user's state folder (~/.local/state/ledgxfer); the aliases file is the
//   user's own (~/.config/ledgxfer/aliases.ini) when there is one, else the system's
//   (/etc/ledgxfer/aliases.ini).
// - $LEDGXFER_ALIASES names the aliases file in every layout.
enum class Datoteka {
    Nastavitve,     // LEDGXFER.INI
    Dnevnik,        // ledgxfer.log
    Aliasi,         // aliases.ini
    Prevrednotenje, // ZOKDLL.DB
};

// What the answer depends on, read from the environment and the file system by
// trenutnaMesta(), or set by a test.
struct Mesta {
    QString dom;                  // $LEDGXFER_HOME, empty when not set
    QString aliasi;               // $LEDGXFER_ALIASES, empty when not set
    QString mapaPrograma;         // the executable's folder
    bool namesceno = false;       // the executable's folder is not the program's to write in
    QString nastavitveUporabnika; // the user's configuration folder of the program
    QString stanjeUporabnika;     // the user's state folder of the program
    QString sistemskiAliasi;      // the system's aliases file
};

Mesta trenutnaMesta();

// The full path of file `d` under `m`. Touches nothing; only the aliases file of an
// installed program looks at which of its two places holds a file.
QString kjeJe(Datoteka d, const Mesta& m);

// The same for this run. The user's own folder of the answer is made (mode 0700) when
// it is missing, so that the file can be written there; a folder that cannot be made
// is logged, and the write that follows says why it failed.
QString kjeJe(Datoteka d);

// Whether `m` is the portable layout or $LEDGXFER_HOME (everything in one folder).
bool vseVEniMapi(const Mesta& m);

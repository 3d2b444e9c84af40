#pragma once

#include <QString>

// What every layer shares of paths and typed texts: the application folder, the parts
// of a path, and the trimming of what the operator types.

// The application directory, where the settings file and the revaluation table are:
// $LEDGXFER_HOME when set, else the executable's folder, else, for an installed
// program, the user's configuration folder (see mesta.h). Always ends with the
// native separator.
QString aplikacijskiDirektorij();

// The text after the last separator ('/', '\\' or ':'), the whole text without one.
QString imeDatotekeIzPoti(const QString& pot);

// The folder part of a path, with the native separator appended unless it is empty
// or ends with one already.
QString direktorijSSeparatorjem(const QString& direktorij);

// The text without leading and trailing blanks and control characters (every
// character up to code 32).
QString obrezi(const QString& besedilo);

// A text is blank when it is empty or holds only spaces (code 32); a tab or any other
// character makes it non-blank.
bool JePrazno(const QString& besedilo);

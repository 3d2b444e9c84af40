#pragma once

// The program looks Slovenian whatever the machine's locale: dates, numbers and time
// stamps are formatted as on a Slovenian desktop, and the toolkit's own texts (file
// and print dialogs, the calendar, message box buttons, command-line errors) are
// Slovenian.
#include <QString>

namespace jezik {

// Sets the default locale to sl_SI and installs the toolkit's Slovenian translation
// from the distribution's translations folder. Call once, right after the application
// object exists. A missing translation leaves a line in the log; the program goes on
// with the toolkit's English texts. Returns whether the translation was loaded.
bool namesti();

// The program's Slovenian name, the title of its message boxes.
QString imePrograma();

} // namespace jezik

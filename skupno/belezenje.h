#pragma once

#include <QLoggingCategory>
#include <QString>

// The program's log: one logging category per folder. Every failure that the program
// handles without telling the operator (an ignored create, a refused look-up, a file
// that could not be removed) leaves a line in one of them, so nothing is swallowed
// without a trace. Lines go to standard error and, where a log file is set, to it too.
Q_DECLARE_LOGGING_CATEGORY(lcDb)          // ledgxfer.db
Q_DECLARE_LOGGING_CATEGORY(lcTransfer)    // ledgxfer.transfer
Q_DECLARE_LOGGING_CATEGORY(lcReport)      // ledgxfer.report
Q_DECLARE_LOGGING_CATEGORY(lcReview)      // ledgxfer.review
Q_DECLARE_LOGGING_CATEGORY(lcAdjustments) // ledgxfer.adjustments
Q_DECLARE_LOGGING_CATEGORY(lcGroups)      // ledgxfer.groups
Q_DECLARE_LOGGING_CATEGORY(lcExports)     // ledgxfer.exports
Q_DECLARE_LOGGING_CATEGORY(lcApp)         // ledgxfer.app
Q_DECLARE_LOGGING_CATEGORY(lcCli)         // ledgxfer.cli

namespace belezenje {

// Sets the line format (qSetMessagePattern) and installs the program's message
// handler: every message as one line "YYYY-MM-DD HH:MM:SS.zzz category level: text" on
// standard error and, when `datoteka` is not empty, appended to that file as well
// (opened once, flushed after every line, so a crash keeps what was written). A log file that cannot be opened
// is said once on standard error; the program goes on.
void namesti(const QString& datoteka = QString());

// The log file of the window: "ledgxfer.log" in the application directory.
QString privzetaDatoteka(const QString& direktorijAplikacije);

} // namespace belezenje

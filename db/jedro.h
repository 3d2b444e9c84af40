#pragma once

#include <QSqlDatabase>
#include <QStringList>

// The tables of the core banking database that the ledger tool reads (postings,
// events, accounts, currencies, securities, parties, contracts, organisations and
// event codes). Production has them already; the demo database and the tests make
// them with these statements.
QStringList jedrneTabeleDDL();

// Creates the core tables on `db`; throws Napaka with the database's text on failure.
void ustvariJedrneTabele(QSqlDatabase& db);

#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables of the core banking database that the ledger tool reads (postings,
// events, accounts, currencies, securities, parties, contracts, organisations and
// event codes). Production has them already; the demo database and the tests make
// them with these statements.
QStringList jedrneTabeleDDL();

// Creates the core tables on `db`; throws Napaka with the database's text on failure.
void ustvariJedrneTabele(QSqlDatabase& db);

// Fills freshly created core tables with a believable bank book: organisations,
// currencies (one posted currency has no row), parties of kind "F" and others with
// numeric and non-numeric bank codes, securities with issuers, contracts with and
// without an organisation, events with activity codes (N and U among them), the event
// code list, accounts of every partner-code rule, domestic and foreign-currency ones,
// and `steviloKnjizb` postings spread over the 75 days that end on `danes`. Postings
// older than 45 days are already carried by transfer 1, which is in the register.
// The same seed gives the same book. Throws Napaka on failure.
void napolniDemo(QSqlDatabase& db, const QDate& danes, int steviloKnjizb = 5000);

// Makes the SQLite demo database `pot` (core tables and demo rows) and an aliases file
// `aliasiPot` with the alias LB leading to it. Existing files are left alone.
// Returns an empty text on success, else the reason.
QString ustvariDemoBazo(const QString& pot, const QString& aliasiPot, const QDate& danes,
                        int steviloKnjizb = 5000);

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

// Fills freshly created core tables with a small demo book: accounts of every
// partner-code rule, domestic and foreign postings, and postings spread over the
// sixty days that end on `danes`. Throws Napaka on failure.
void napolniDemo(QSqlDatabase& db, const QDate& danes);

// Makes the SQLite demo database `pot` (core tables and demo rows) and an aliases file
// `aliasiPot` with the alias LB leading to it. Existing files are left alone.
// Returns an empty text on success, else the reason.
QString ustvariDemoBazo(const QString& pot, const QString& aliasiPot, const QDate& danes);

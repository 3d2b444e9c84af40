#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QVarLengthArray>

// Fitting values to the fields of the fixed-layout ledger file. Fields are bytes:
// texts are in the file's 8-bit code page (Windows-1250, one byte per character) and
// are cut and padded by bytes. Numbers are never cut: a number with more digits than
// its field is written whole and makes the line longer.
//
// Each rule has a form that returns the field and one that appends it to a line under
// construction (ZapisVrstice), which is how the file's lines are built.

// A line under construction: bytes on the stack, growing onto the heap only for an
// unusually long line.
using ZapisVrstice = QVarLengthArray<char, 256>;

inline void dodaj(ZapisVrstice& vrstica, QByteArrayView bajti) { vrstica.append(bajti.data(), bajti.size()); }
inline QByteArray vBajte(const ZapisVrstice& vrstica) { return QByteArray(vrstica.data(), vrstica.size()); }

// "%N.Nd": the integer in decimal with at least `stevk` digits, zeros in front; a
// negative integer gets '-' before those digits. "%4.4d" of 7 gives 0007, "%4.4d" of
// 12345 gives 12345, "%8.8d" of -5 gives -00000005.
QByteArray PoljeCelo(qint64 n, int stevk);
void dodajCelo(ZapisVrstice& vrstica, qint64 n, int stevk);

// "%W.Ws": the text cut to its first `sirina` bytes, spaces in front up to that width.
// "%3.3s" of "97" gives " 97"; "%1.1s" of "" gives one space.
QByteArray PoljeDesno(QByteArrayView besedilo, int sirina);
void dodajDesno(ZapisVrstice& vrstica, QByteArrayView besedilo, int sirina);

// "%-W.Ws": the text cut to its first `sirina` bytes, spaces after it up to that width.
QByteArray PoljeLevo(QByteArrayView besedilo, int sirina);
void dodajLevo(ZapisVrstice& vrstica, QByteArrayView besedilo, int sirina);

// The same two rules for a text that is first put into the code page (besedilo1250.h);
// a character the code page lacks becomes '?', a control character a blank.
void dodajBesediloDesno(ZapisVrstice& vrstica, const QString& besedilo, int sirina);
void dodajBesediloLevo(ZapisVrstice& vrstica, const QString& besedilo, int sirina);

// The 15-digit amount field: "%.15d" of VStotine of the amount's magnitude. It never
// holds a sign (see Predznak); amounts of 10^13 and more give more than 15 digits.
QByteArray PoljeZneska(double znesek);
void dodajPoljeZneska(ZapisVrstice& vrstica, double znesek);

// '+' for a value greater than or equal to 0 (negative zero included), '-' below 0.
char Predznak(double vrednost);

// Year, month and day as "%4.4d%2.2d%2.2d": 31 January 2018 gives 20180131.
// An invalid date stands for day 0 of the date system, 30 December 1899.
QByteArray DatumPolje(const QDate& datum);
void dodajDatumPolje(ZapisVrstice& vrstica, const QDate& datum);

// Day 0 of the date system: what a null date reads as.
inline QDate dan0() { return QDate(1899, 12, 30); }

#pragma once

#include <QString>

#include <initializer_list>

class QSqlDriver;

// Work past a driver, on the driver's own handle (the postings of a run, the adjustment
// rows), is done only when the program has proven that the handle belongs to the very
// library the program calls. A Qt build may carry its own copy of an engine's client
// library inside the driver's plugin (usual for SQLite on Windows): the handle then
// belongs to that copy, and a call of the program's copy on it corrupts memory. Without
// the proof, and whenever the environment asks for it, the driver path runs; it gives
// the same values and the same bytes.
namespace nativno {

// Whether the environment allows the paths past the driver at all. LEDGXFER_NATIVNO set
// to 0 (or "no", "off", "false") forces the driver path everywhere.
bool dovoljeno();

// A proof, or the reason why there is none.
struct Dokaz {
    bool dokazano = false;
    QString razlog; // empty when proven
    explicit operator bool() const { return dokazano; }
};

// Whether `nasa` (the function `ime` as the program links it) and `gonilnikova` (the
// same function as the driver's plugin resolves it; null when the plugin exports none,
// as when its copy of the library is hidden inside it) are one function of one loaded
// library. The reason names both libraries when they differ.
Dokaz istaFunkcija(const char* ime, const void* nasa, const void* gonilnikova);

// The function `ime` as the driver's plugin resolves it: looked up in the plugin's own
// library and in the libraries it loads, the plugin found through the driver object's
// code. Null, with the reason, when it cannot be found (a driver built into the
// program, a platform without the dynamic loader's help).
const void* funkcijaGonilnika(const QSqlDriver* gonilnik, const char* ime, QString* razlog);

// One function the program calls on a driver's handle, as the program links it.
struct Funkcija {
    const char* ime;
    const void* nasa;
};

// The proof that the driver's plugin calls the very library the program calls: every
// one of `funkcije` resolves in the plugin to the program's own. Worked out once per
// plugin and kept; a missing proof is said once in the log, with its reason.
Dokaz knjiznicaGonilnika(const QSqlDriver* gonilnik, std::initializer_list<Funkcija> funkcije);

// A function's address as a plain pointer, for the comparisons above.
template <typename F>
const void* naslov(F* funkcija)
{
    return reinterpret_cast<const void*>(funkcija);
}

} // namespace nativno

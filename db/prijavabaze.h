#pragma once

#include "aliasi.h"
#include "povezava.h"

#include <QString>

// The login of the program, one step for the window's start-up and the batch command:
// the connection to the alias is opened under the alias's own name with the user and
// password, and the credentials are kept for the second connections (zapomniPrijavo).
struct IzidPrijave {
    QString alias;
    QString uporabnik;
    povezava::Izid povezava; // open, or why not

    bool uspela() const { return povezava.odprta(); }

    // The operator's message of a failed login: "Prijava v " alias " kot uporabnik "
    // user " ni uspela!", and on the next line the database's reason.
    QString sporocilo() const;
};

IzidPrijave prijaviVBazo(const QString& alias, const QString& uporabnik, const QString& geslo,
                         const Aliasi& aliasi = Aliasi::preberi());

#pragma once

#include "poizvedba.h"

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

// Event codes of a test: (code, name) pairs written into SfDog.
inline void vstaviDogodke(const QSqlDatabase& db, const QList<QPair<int, QString>>& dogodki)
{
    Poizvedba q(db);
    for (const auto& [koda, ime] : dogodki)
        q.izvedi(QStringLiteral("INSERT INTO SfDog (SfDog, Nzv) VALUES (:KODA, :IME)"),
                 {{QStringLiteral("KODA"), koda}, {QStringLiteral("IME"), ime}});
}

#include "izbiraizravnav.h"

#include "napaka.h"
#include "obdobje.h"
#include "povezava.h"
#include "rezultat.h"
#include "stevila.h"

#include <optional>

namespace {

qint64 zahtevajCelo(const QString& besedilo, const QString& polje)
{
    const std::optional<qint64> n = celoStevilo(besedilo);
    if (!n)
        throw Napaka(polje + QStringLiteral(" mora biti celo število (vpisano: \"") + besedilo
                     + QStringLiteral("\")."));
    return *n;
}

} // namespace

StavekIzravnav stavekIzravnav(const IzbiraIzravnav& izbira)
{
    StavekIzravnav s;
    s.sql = QStringLiteral("SELECT * FROM IZRAVNAVE ");
    if (izbira.samoOznaceno) {
        // DAN=DAN holds only for rows that have a day.
        s.sql += QStringLiteral(" WHERE DAN=DAN ");
        if (izbira.poDnevih) {
            if (const std::optional<QString> zavrnitev = zavrnitevObdobja(izbira.datum1, izbira.datum2))
                throw Napaka(*zavrnitev);
            s.sql += QStringLiteral(" AND DAN >= :DATUM1 AND DAN<=:DATUM2 ");
            s.parametri.insert(QStringLiteral("DATUM1"), izbira.datum1);
            s.parametri.insert(QStringLiteral("DATUM2"), izbira.datum2);
        }
        if (!izbira.prenos.isEmpty()) {
            s.sql += QStringLiteral(" AND PRENOS=:PRENOS");
            s.parametri.insert(QStringLiteral("PRENOS"),
                               zahtevajCelo(izbira.prenos, QStringLiteral("Številka prenosa")));
        }
        auto predpona = [&](const QString& besedilo, const QString& stolpec) {
            if (besedilo.isEmpty())
                return;
            s.sql += QStringLiteral(" AND ") + stolpec + QStringLiteral(" LIKE :") + stolpec + u' ';
            s.parametri.insert(stolpec, besedilo + u'%');
        };
        predpona(izbira.partner, QStringLiteral("PARTNER"));
        predpona(izbira.konto, QStringLiteral("KONTO"));
        predpona(izbira.dejavnost, QStringLiteral("SFDJV"));
        if (!izbira.papir.isEmpty()) {
            s.sql += QStringLiteral(" AND VP=:VP ");
            s.parametri.insert(QStringLiteral("VP"), zahtevajCelo(izbira.papir, QStringLiteral("Vrednostni papir")));
        }
    }
    s.sql += QStringLiteral(" ORDER BY PRENOS, DAN ");
    return s;
}

void odpriIzravnave(Rezultat& Qizravnave, const IzbiraIzravnav& izbira)
{
    const StavekIzravnav s = stavekIzravnav(izbira);
    const QSqlDatabase baza = povezava::zaIme(Qizravnave.imeBaze());
    Qizravnave.zapri();
    Qizravnave.odpri(baza, s.sql, s.parametri);
}

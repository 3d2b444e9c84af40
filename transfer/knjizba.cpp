#include "knjizba.h"

#include "napaka.h"
#include "poizvedba.h"
#include "rezultat.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Column names in the order of StolpciKnjizbe::Stolpec.
constexpr const char* kImena[] = {
    "DATUMK", "DATUMV", "SFDJV", "IDPOG", "KIDPOG", "IDMASTER", "SFOSB", "KONTO", "SALDAKONTEN",
    "DEVIZEN", "VALUTA", "STVALUTE", "STRAN", "BZNESEK", "DZNESEK", "BZNESEKSIT", "DZNESEKSIT",
    "KRTBNK", "KRTBNK1", "VP",
};

QDate datumAliDan0(const QVariant& v)
{
    const QDate d = vrednostDatum(v);
    return d.isValid() ? d : dan0();
}

} // namespace

StolpciKnjizbe::StolpciKnjizbe(const std::function<int(const QString&)>& indeksStolpca)
{
    static_assert(std::size(kImena) == steviloStolpcev);
    for (int i = 0; i < steviloStolpcev; ++i) {
        const QString ime = QString::fromLatin1(kImena[i]);
        m_indeks[i] = indeksStolpca(ime);
        if (m_indeks[i] < 0)
            throw Napaka(QStringLiteral("Polje '%1' ne obstaja").arg(ime));
    }
    m_ctrl = indeksStolpca(QStringLiteral("CTRL"));
}

StolpciKnjizbe::StolpciKnjizbe(const QSqlRecord& zapis)
    : StolpciKnjizbe([&zapis](const QString& ime) { return zapis.indexOf(ime); })
{
}

StolpciKnjizbe::StolpciKnjizbe(const Rezultat& rezultat)
    : StolpciKnjizbe([&rezultat](const QString& ime) { return rezultat.indeksStolpca(ime); })
{
}

Knjizba StolpciKnjizbe::beri(const std::function<QVariant(int)>& vrednost) const
{
    const auto v = [&](Stolpec s) { return vrednost(m_indeks[s]); };
    Knjizba k;
    k.DATUMK = datumAliDan0(v(sDATUMK));
    k.DATUMV = datumAliDan0(v(sDATUMV));
    k.SFDJV = vrednostNiz(v(sSFDJV));
    k.IDPOG = vrednostCelo(v(sIDPOG));
    k.KIDPOG = vrednostCelo(v(sKIDPOG));
    k.IDMASTER = vrednostCelo(v(sIDMASTER));
    k.SFOSB = vrednostCelo(v(sSFOSB));
    k.KONTO = vrednostNiz(v(sKONTO));
    k.SALDAKONTEN = vrednostNiz(v(sSALDAKONTEN));
    k.DEVIZEN = vrednostNiz(v(sDEVIZEN));
    k.VALUTA = vrednostNiz(v(sVALUTA));
    k.STVALUTE = vrednostNiz(v(sSTVALUTE));
    k.STRAN = vrednostNiz(v(sSTRAN));
    k.BZNESEK = vrednostRealno(v(sBZNESEK));
    k.DZNESEK = vrednostRealno(v(sDZNESEK));
    k.BZNESEKSIT = vrednostRealno(v(sBZNESEKSIT));
    k.DZNESEKSIT = vrednostRealno(v(sDZNESEKSIT));
    k.KRTBNK = vrednostNiz(v(sKRTBNK));
    k.KRTBNK1 = vrednostNiz(v(sKRTBNK1));
    k.VP = vrednostCelo(v(sVP));
    if (m_ctrl >= 0)
        k.CTRL = vrednostCelo(vrednost(m_ctrl));
    return k;
}

Knjizba StolpciKnjizbe::beri(const QSqlQuery& q) const
{
    return beri([&q](int i) { return q.value(i); });
}

Knjizba StolpciKnjizbe::beri(Rezultat& rezultat) const
{
    const int vrstica = rezultat.trenutnaVrstica();
    return beri([&rezultat, vrstica](int i) { return rezultat.vrednost(vrstica, i); });
}

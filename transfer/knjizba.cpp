#include "knjizba.h"

#include "napaka.h"
#include "poizvedba.h"
#include "rezultat.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Column names in the order of StolpciKnjizbe::Stolpec.
constexpr const char* kImena[] = {
    "DATUMK", "DATUMV",   "SFDJV", "IDPOG",   "KIDPOG",  "IDMASTER",   "SFOSB",      "KONTO",  "SALDAKONTEN", "DEVIZEN",
    "VALUTA", "STVALUTE", "STRAN", "BZNESEK", "DZNESEK", "BZNESEKSIT", "DZNESEKSIT", "KRTBNK", "KRTBNK1",     "VP",
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
    // Field by field through the result's own conversions, which read an engine's
    // value without making a QVariant of it where they can.
    const auto i = [this](Stolpec s) { return m_indeks[s]; };
    const qint64 ctrl = m_ctrl >= 0 ? rezultat.celo(m_ctrl) : 0;
    // An empty date is the empty date of the file; a value that is no date ends the
    // run before anything is marked, naming the posting.
    const auto datum = [&rezultat, ctrl](int stolpec) {
        const QDate d = rezultat.datum(stolpec);
        if (d.isValid())
            return d;
        if (rezultat.jeNull(stolpec))
            return dan0();
        throw Napaka(QStringLiteral("Datum %1 knjižbe CTRL=%2 ni datum (\"%3\"); prenos ni opravljen.")
                         .arg(rezultat.imeStolpca(stolpec))
                         .arg(ctrl)
                         .arg(rezultat.niz(stolpec)));
    };
    Knjizba k;
    k.DATUMK = datum(i(sDATUMK));
    k.DATUMV = datum(i(sDATUMV));
    k.SFDJV = rezultat.niz(i(sSFDJV));
    k.IDPOG = rezultat.celo(i(sIDPOG));
    k.KIDPOG = rezultat.celo(i(sKIDPOG));
    k.IDMASTER = rezultat.celo(i(sIDMASTER));
    k.SFOSB = rezultat.celo(i(sSFOSB));
    k.KONTO = rezultat.niz(i(sKONTO));
    k.SALDAKONTEN = rezultat.niz(i(sSALDAKONTEN));
    k.DEVIZEN = rezultat.niz(i(sDEVIZEN));
    k.VALUTA = rezultat.niz(i(sVALUTA));
    k.STVALUTE = rezultat.niz(i(sSTVALUTE));
    k.STRAN = rezultat.niz(i(sSTRAN));
    k.BZNESEK = rezultat.realno(i(sBZNESEK));
    k.DZNESEK = rezultat.realno(i(sDZNESEK));
    k.BZNESEKSIT = rezultat.realno(i(sBZNESEKSIT));
    k.DZNESEKSIT = rezultat.realno(i(sDZNESEKSIT));
    k.KRTBNK = rezultat.niz(i(sKRTBNK));
    k.KRTBNK1 = rezultat.niz(i(sKRTBNK1));
    k.VP = rezultat.celo(i(sVP));
    k.CTRL = ctrl;
    return k;
}

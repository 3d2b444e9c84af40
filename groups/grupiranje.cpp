#include "grupiranje.h"
#include "belezenje.h"
#include "stevila.h"

#include "poti.h"
#include "napaka.h"
#include "okolje.h"
#include "poizvedba.h"
#include "povezava.h"

#include <optional>

namespace grupe {

void UstvariGrupeDog()
{
    try {
        Poizvedba q(kImeBaze);
        q.poskusiIzvesti(kUstvari); // refused when the table exists, the usual case: no line
    } catch (const std::exception& e) {
        // No connection: the statements that follow fail on their own.
        qCWarning(lcGroups).noquote() << "Tabele GrupeDog ni mogoče ustvariti:" << QString::fromUtf8(e.what());
    }
}

QString kljucGrupe(int stevilka) { return QString::asprintf("%2.2d", stevilka); }

} // namespace grupe

namespace {

// CHAR columns come back padded with blanks on some servers; the fields show the
// value as it was typed.
QString brezRepa(const QString& s)
{
    qsizetype k = s.size();
    while (k > 0 && s.at(k - 1) == u' ')
        --k;
    return s.left(k);
}

// A text parameter never binds as NULL: an empty field stores an empty text.
QVariant besedilo(const QString& s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

// The event code of a field, as an integer; nothing when the text is not one.
std::optional<qint64> koda(const QString& s)
{
    bool ok = false;
    const qint64 n = s.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

} // namespace

GrupiranjeDogodkov::GrupiranjeDogodkov(QObject* parent)
    : QObject(parent), Q2(new Rezultat(this)), DataSource2(new PodatkovniVir(Q2, this))
{
    Q2->setObjectName(QStringLiteral("Q2"));
    Q2->nastaviImeBaze(grupe::kImeBaze);
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
}

void GrupiranjeDogodkov::odpriQ2(const QString& sql)
{
    m_vrstica = -1;
    Q2->odpri(povezava::zaIme(Q2->imeBaze()), sql);
    // Titled with the column names as the statement writes them, whatever case the
    // database returns them in.
    for (const QString& ime :
         {QStringLiteral("SfDog"), QStringLiteral("IdGrupe"), QStringLiteral("NzvGrupe"), QStringLiteral("Nzv")})
        Q2->nastaviPrikaz(ime, PrikazPolja{-1, QString(), ime});
    m_vrstica = Q2->steviloVrstic() > 0 ? 0 : -1;
}

void GrupiranjeDogodkov::odpriSeznam()
{
    if (!Q2->jeOdprt())
        odpriQ2(grupe::kSeznam);
}

void GrupiranjeDogodkov::premakniNa(int vrstica)
{
    m_vrstica = (vrstica >= 0 && vrstica < Q2->steviloVrstic()) ? vrstica : -1;
}

void GrupiranjeDogodkov::PodatkiIzBaze()
{
    // The group rows are searched in a query of their own; when it cannot be opened
    // the event code is still shown and the search fails.
    std::optional<Poizvedba> vse;
    try {
        vse.emplace(grupe::kImeBaze);
        if (!vse->poskusiOdpreti(grupe::kVseGrupe)) {
            qCWarning(lcGroups).noquote() << "Skupin dogodkov ni mogoče brati:" << vse->zadnjaNapaka();
            vse.reset();
        }
    } catch (const std::exception& e) {
        qCWarning(lcGroups).noquote() << "Skupin dogodkov ni mogoče brati:" << QString::fromUtf8(e.what());
        vse.reset();
    }

    try {
        const int stolpec = Q2->indeksStolpca(QStringLiteral("SfDog"));
        if (m_vrstica < 0 || stolpec < 0)
            return;
        polja.SfDog = vrednostNiz(Q2->vrednost(m_vrstica, stolpec));
        const std::optional<qint64> dogodek = koda(polja.SfDog);
        if (!vse || !dogodek)
            return;
        while (vse->naslednji()) {
            if (vse->celo(QStringLiteral("SfDog")) == *dogodek) {
                polja.IdGrupe = brezRepa(vse->niz(QStringLiteral("IdGrupe")));
                polja.NazivGrupe = brezRepa(vse->niz(QStringLiteral("NzvGrupe")));
                polja.srebrna = true;
                return;
            }
        }
        // An event without a group keeps the group last shown, ready to be given it.
        polja.srebrna = false;
    } catch (const std::exception& e) {
        // The fields stay as far as they were filled.
        qCWarning(lcGroups).noquote() << "Skupine dogodka ni mogoče prebrati:" << QString::fromUtf8(e.what());
    }
}

namespace {

// The text of a failure: the database's own where it carries one.
QString besediloNapake(const std::exception& e)
{
    if (const auto* n = dynamic_cast<const Napaka*>(&e))
        return n->besedilo();
    return QString::fromUtf8(e.what());
}

} // namespace

void GrupiranjeDogodkov::AzurirajGrupe(Okolje& okolje)
{
    if (JePrazno(polja.SfDog)) {
        okolje.sporocilo(grupe::kNiDogodka);
        return;
    }
    if (JePrazno(polja.IdGrupe)) {
        okolje.sporocilo(grupe::kNiIdGrupe);
        return;
    }
    const qint64 stevilka = celoStevilo(polja.IdGrupe).value_or(0);
    // The field takes two digits; a longer number would not fit the stored key.
    if (stevilka < 1 || stevilka > 99) {
        okolje.sporocilo(grupe::kNepravilenIdGrupe);
        return;
    }
    const QString kljuc = grupe::kljucGrupe(int(stevilka));

    DataSource2->nastaviOmogocen(false);
    grupe::UstvariGrupeDog();

    // A blank name takes the group's present name, if the group has rows.
    if (JePrazno(polja.NazivGrupe)) {
        try {
            Poizvedba q(grupe::kImeBaze);
            if (!q.poskusiOdpreti(grupe::kGrupa, {{QStringLiteral("IDGRUPE"), kljuc}}))
                qCWarning(lcGroups).noquote() << "Naziva skupine" << kljuc << "ni mogoče prebrati:" << q.zadnjaNapaka();
            else if (q.naslednji())
                polja.NazivGrupe = brezRepa(q.niz(QStringLiteral("NzvGrupe")));
        } catch (const std::exception& e) {
            qCWarning(lcGroups).noquote()
                << "Naziva skupine" << kljuc << "ni mogoče prebrati:" << QString::fromUtf8(e.what());
        }
    }

    // The event's own row: appended when it has none, else moved to the group.
    const std::optional<qint64> dogodek = koda(polja.SfDog);
    try {
        if (!dogodek)
            throw Napaka(QStringLiteral("SfDog ni število"));
        const QVariantMap p{{QStringLiteral("IDGRUPE"), kljuc},
                            {QStringLiteral("SFDOG"), *dogodek},
                            {QStringLiteral("NZVGRUPE"), besedilo(polja.NazivGrupe)}};
        Poizvedba q(grupe::kImeBaze);
        q.odpri(grupe::kDogodek, {{QStringLiteral("SFDOG"), *dogodek}});
        const bool obstaja = q.naslednji();
        q.zapri();
        q.izvedi(obstaja ? grupe::kPremakniDogodek : grupe::kDodajDogodek, p);
        polja.srebrna = true;
    } catch (const std::exception& e) {
        // Nothing was stored: the operator is told, the fields keep their colour and
        // the list stays as it is.
        const QString razlog = besediloNapake(e);
        qCWarning(lcGroups) << "saving the event's group failed:" << razlog;
        DataSource2->nastaviOmogocen(true);
        okolje.sporocilo(grupe::kNiShranjeno + razlog);
        return;
    }

    // Every row of the group gets the name.
    try {
        Poizvedba q(grupe::kImeBaze);
        if (!q.poskusiIzvesti(grupe::kPreimenujGrupo, {{QStringLiteral("NZVGRUPE"), besedilo(polja.NazivGrupe)},
                                                       {QStringLiteral("IDGRUPE"), kljuc}}))
            qCWarning(lcGroups).noquote() << "Skupina" << kljuc << "ni preimenovana:" << q.zadnjaNapaka();
    } catch (const std::exception& e) {
        qCWarning(lcGroups).noquote() << "Skupina" << kljuc << "ni preimenovana:" << QString::fromUtf8(e.what());
    }

    // The list shows what was really stored, on the saved event.
    try {
        Q2->zapri();
        odpriQ2(grupe::kSeznamPonovno);
        const int stolpec = Q2->indeksStolpca(QStringLiteral("SfDog"));
        const int vrstic = Q2->steviloVrstic();
        for (int v = 0; dogodek && v < vrstic; ++v) {
            const QVariant vrednost = Q2->vrednost(v, stolpec);
            if (!vrednost.isNull() && vrednostCelo(vrednost) == *dogodek) {
                m_vrstica = v;
                break;
            }
        }
    } catch (const std::exception& e) {
        m_vrstica = -1;
        const QString razlog = besediloNapake(e);
        qCWarning(lcGroups) << "reloading the event list failed:" << razlog;
        DataSource2->nastaviOmogocen(true);
        okolje.sporocilo(grupe::kSeznamNiOsvezen + razlog);
        return;
    }

    DataSource2->nastaviOmogocen(true);
}

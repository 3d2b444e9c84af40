#include "zokdll.h"
#include "belezenje.h"
#include "besedilo1250.h"
#include "fiksnapolja.h"
#include "izhodnadatoteka.h"
#include "poti.h"
#include "napaka.h"
#include "paradoxtabela.h"
#include "varovanjeizhoda.h"

#include <QDir>
#include <QFileInfo>

#include <map>

namespace {

const QString kTabela = QStringLiteral("ZOKDLL.DB");

// Key of an account: empty accounts first, then by number for a numeric column and by
// text for a text column.
struct Kljuc {
    bool prazen = true;
    double stevilo = 0;
    QString besedilo;
};

struct Primerjava {
    bool stevilsko = false;
    bool operator()(const Kljuc& a, const Kljuc& b) const
    {
        if (a.prazen != b.prazen)
            return a.prazen;
        if (a.prazen)
            return false;
        if (stevilsko)
            return a.stevilo < b.stevilo;
        return a.besedilo < b.besedilo;
    }
};

QString kotBesedilo(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

} // namespace

QList<ZokRacun> povzetekZokdll(const QString& potTabele)
{
    const ParadoxTabela t = ParadoxTabela::preberi(potTabele);
    const QString ime = QFileInfo(potTabele).absoluteFilePath();

    // Every missing field is named at once, so that one look at the table suffices.
    QStringList manjkajo;
    QStringList neStevilska;
    auto stolpec = [&](const QString& polje, bool stevilsko) {
        const int i = t.indeksPolja(polje);
        if (i < 0)
            manjkajo << polje;
        else if (stevilsko && !t.jeStevilsko(i))
            neStevilska << polje;
        return i;
    };
    const int iKonto = stolpec(QStringLiteral("KONTOGLV"), false);
    const int i30 = stolpec(QStringLiteral("OBRREV30"), true);
    const int i180 = stolpec(QStringLiteral("OBRREV180"), true);
    const int i999 = stolpec(QStringLiteral("OBRREV999"), true);
    if (manjkajo.size() == 1)
        throw Napaka(QStringLiteral("V tabeli ") + ime + QStringLiteral(" ni polja ") + manjkajo.first());
    if (manjkajo.size() > 1)
        throw Napaka(QStringLiteral("V tabeli ") + ime + QStringLiteral(" ni polj ")
                     + manjkajo.join(QStringLiteral(", ")));
    if (neStevilska.size() == 1)
        throw Napaka(QStringLiteral("Polje ") + neStevilska.first() + QStringLiteral(" v tabeli ") + ime
                     + QStringLiteral(" ni številsko"));
    if (neStevilska.size() > 1)
        throw Napaka(QStringLiteral("Polja ") + neStevilska.join(QStringLiteral(", ")) + QStringLiteral(" v tabeli ")
                     + ime + QStringLiteral(" niso številska"));

    std::map<Kljuc, ZokRacun, Primerjava> skupine(Primerjava{t.jeStevilsko(iKonto)});
    for (int r = 0; r < t.steviloVrstic(); ++r) {
        const QVariantList& v = t.vrstica(r);
        const QVariant konto = v.at(iKonto);
        Kljuc k;
        k.prazen = konto.isNull();
        k.stevilo = konto.toDouble();
        k.besedilo = kotBesedilo(konto);
        auto [it, nov] = skupine.try_emplace(k);
        if (nov)
            it->second.konto = k.besedilo;
        // A null amount reads as 0.
        it->second.obrrev30 += v.at(i30).toDouble();
        it->second.obrrev180 += v.at(i180).toDouble();
        it->second.obrrev999 += v.at(i999).toDouble();
    }

    QList<ZokRacun> izid;
    izid.reserve(static_cast<qsizetype>(skupine.size()));
    for (const auto& [k, r] : skupine)
        izid << r;
    return izid;
}

QByteArray zokZnesek(double vsota, const QLocale& jezik)
{
    // QString::asprintf formats with '.', whatever the process locale.
    QString t = QString::asprintf("%15.2f", vsota + 0.001);
    t.replace(u'.', jezik.decimalPoint());
    return desnoPolje(vWin1250(t), 15);
}

QByteArray zokVrstica(const QDate& datum, const ZokRacun& racun, const QLocale& jezik)
{
    QByteArray v("ORV  ");
    v += QString::asprintf("%4.4d%2.2d%2.2d", datum.year(), datum.month(), datum.day()).toLatin1();
    v += levoPolje(racun.konto, 10);
    v += zokZnesek(racun.obrrev30, jezik);
    v += zokZnesek(racun.obrrev180, jezik);
    v += ' ';
    return v;
}

std::optional<QString> najdiZokdll(const QString& direktorij)
{
    // Whatever lies under the name is found (a link, a FIFO, a device too): the reader
    // then refuses what is no regular file with its reason, instead of "no file".
    if (QFileInfo(direktorij + kTabela).exists() || QFileInfo(direktorij + kTabela).isSymLink())
        return direktorij + kTabela;
    // Name filters of QDir ignore case.
    const QStringList imena =
        QDir(direktorij).entryList(QStringList{kTabela}, QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    if (imena.isEmpty())
        return std::nullopt;
    if (imena.size() > 1)
        qCWarning(lcExports).noquote() << "V mapi" << direktorij << "je več tabel" << imena.join(QStringLiteral(", "))
                                       << "; berem" << imena.first();
    return direktorij + imena.first();
}

std::optional<int> prepisZokdll(Okolje& okolje, const QString& izhodnaPot, IzidIzvoza* izid)
{
    IzidIzvoza lastni;
    IzidIzvoza& i = izid ? *izid : lastni;
    i = {};
    const QString direktorij = aplikacijskiDirektorij();
    const std::optional<QString> tabela = najdiZokdll(direktorij);
    if (!tabela) {
        i.razlog = QStringLiteral("tabele ") + kTabela + QStringLiteral(" ni v mapi ") + direktorij;
        qCWarning(lcExports).noquote() << "Tabele" << kTabela << "ni v mapi" << direktorij;
        okolje.sporocilo(QStringLiteral("Ni datoteke ") + direktorij + kTabela);
        return std::nullopt;
    }
    if (izhodnaPot.trimmed().isEmpty()) {
        i.razlog = QStringLiteral("izhodna datoteka ni izbrana");
        okolje.sporocilo(QStringLiteral("Izhodna datoteka ZOKDLL.TXT ni izbrana. "
                                        "Izberite jo v meniju ZOKDLL, Direktorij odlagališča."));
        return std::nullopt;
    }

    // The lines go to a new file that replaces the output file only once all of them
    // are written. The guard refuses a special file or a link, the table this run
    // reads, and the files of a database or of the program, and leaves them alone.
    IzhodnaDatoteka izhod(izhodnaPot);
    const std::optional<QString> zakaj = zavrnitevIzhoda(izhodnaPot, QSqlDatabase(), {*tabela});
    if (zakaj || !izhod.odpri()) {
        i.razlog = zakaj ? *zakaj : izhod.razlog();
        qCWarning(lcExports).noquote() << "Izhodne datoteke" << izhodnaPot << "ni mogoče ustvariti:" << i.razlog;
        okolje.sporocilo(QStringLiteral("Verjetno neobstojeca datoteka (direktorij) ") + izhodnaPot);
        return std::nullopt;
    }
    auto ustavljen = [&] {
        i.ustavljen = true;
        i.razlog = QStringLiteral("povzetek je ustavljen na zahtevo; prejšnja datoteka ostane");
        qCWarning(lcExports).noquote() << "Povzetek v" << izhodnaPot << "je ustavljen na zahtevo";
        izhod.opusti();
        return std::nullopt;
    };

    QList<ZokRacun> povzetek;
    try {
        povzetek = povzetekZokdll(*tabela);
    } catch (const Napaka& e) {
        i.razlog = e.besedilo();
        qCWarning(lcExports).noquote() << e.besedilo();
        okolje.sporocilo(e.besedilo());
        return std::nullopt;
    }
    if (okolje.konecZahtevan())
        return ustavljen();

    auto nePisem = [&] {
        i.razlog = izhod.razlog();
        const QString t =
            QStringLiteral("Ne morem pisati v datoteko ") + izhodnaPot + QStringLiteral(": ") + izhod.razlog();
        qCWarning(lcExports).noquote() << t;
        return Napaka(t);
    };
    for (const ZokRacun& r : povzetek) {
        if (!izhod.pisi(zokVrstica(okolje.danes(), r) + "\r\n"))
            throw nePisem();
        if (okolje.konecZahtevan())
            return ustavljen();
    }
    if (!izhod.potrdi()) {
        if (izhod.ustavljena())
            return ustavljen();
        throw nePisem();
    }

    const int stevilo = static_cast<int>(povzetek.size());
    okolje.sporocilo(QStringLiteral("V datoteko ") + izhodnaPot + QStringLiteral("ZOKDLL.TXT je zapisanih ")
                     + QString::number(stevilo) + QStringLiteral(" vrstic!"));
    if (stevilo > 0)
        okolje.odpriVUrejevalniku(izhodnaPot);
    return stevilo;
}

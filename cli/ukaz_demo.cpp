#include "batchokno.h"
#include "demoknjiga.h"
#include "demozokdll.h"
#include "jedro.h"
#include "moznosti.h"
#include "napaka.h"
#include "povezava.h"
#include "prenos.h"
#include "prijava.h"
#include "rezultat.h"
#include "stevila.h"
#include "ukazi.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// The outside world of transfer 1 of the demo book: the terminal, on the day the
// transfer ran.
class DemoOkolje : public TerminalOkolje {
public:
    explicit DemoOkolje(const QDate& dan) : m_dan(dan) {}
    QDate danes() const override { return m_dan; }
    QDateTime zdaj() const override { return QDateTime(m_dan, QTime(8, 0)); }

private:
    QDate m_dan;
};

// Transfer 1 of the demo book through the transfer engine, as the operator ran it on
// its day: the file, the marks, the register row and the adjustment rows.
QString prenos1(const QString& baza, const QDate& danes, const QString& pot)
{
    const ObdobjeDemo o = obdobjeDemo(danes);
    DemoOkolje okolje(o.datumPrenosa1);
    BatchOkno okno;
    Rezultat Q1;
    IzidPrenosa izid = IzidPrenosa::Neuspel;
    QString razlog;
    try {
        izid = Zapis({QDir::toNativeSeparators(pot), QStringLiteral("0"), o.prvi1, o.zadnji1, baza}, Q1, okno, okolje);
    } catch (const Napaka& e) {
        razlog = e.besedilo();
    }
    Q1.zapri();
    if (izid != IzidPrenosa::Opravljen && razlog.isEmpty())
        razlog = QStringLiteral("Prenos 1 predstavitvene knjige ni bil opravljen.");
    return razlog;
}

} // namespace

// ledgxfer-batch demo --database FILE --aliases FILE [--postings N] [--shape demo|wide] [--today YYYY-MM-DD]
// Makes the SQLite demo database and an aliases file with the alias LB leading to it,
// each only when missing; transfer 1 is written beside the database as PRENOS1.TXT,
// and the revaluation table ZOKDLL.DB beside it too.
// ledgxfer-batch demo --alias A [--user U] [password options] [--postings N] [--output PATH]
// Creates the core tables and the demo book in the empty database behind alias A
// (a PostgreSQL or ODBC database, for benchmarks and trials on a server).
int ukazDemo(const QStringList& argumenti, TerminalOkolje& okolje)
{
    UkaznaVrstica p(
        QStringLiteral("demo"),
        QStringLiteral(
            "Naredi predstavitveno knjigo: osnovne tabele, knjižbe delovnih dni zadnjih 75 "
            "dni v uravnoteženih\ndogodkih in prenos 1 (prvih 29 dni), opravljen s programom "
            "samim (datoteka, oznake, register,\nizravnave). Z --database v novo bazo SQLite "
            "in datoteko aliasov --aliases (obstoječih ne spremeni;\ndatoteka prenosa 1 je "
            "PRENOS1.TXT poleg baze,\nprav tam tabela prevrednotenja ZOKDLL.DB z devetimi vrsticami štirih kontov), "
            "z --alias v prazno bazo za aliasom."),
        {QStringLiteral("ledgxfer-batch demo --database build/demo/ledger.sqlite --aliases "
                        "build/demo/aliases.ini"),
         QStringLiteral("ledgxfer-batch demo --alias PG --user ledger --password-stdin --postings 1000000")});
    p.dodaj({{QStringLiteral("database")},
             QStringLiteral("Datoteka SQLite predstavitvene baze."),
             QStringLiteral("DATOTEKA")});
    p.dodaj(
        {{QStringLiteral("postings")}, QStringLiteral("Število knjižb, N ≥ 1 (privzeto 5000)."), QStringLiteral("N")});
    p.dodaj({{QStringLiteral("shape")},
             QStringLiteral("Oblika knjige: demo (privzeta, opisana v README) ali wide (za merjenje: 20.000 "
                            "partnerjev in pogodb,\n2.000 kontov, besedila po 60 znakov, vsako iskanje poizvedbe "
                            "knjižb najde svojo vrstico)."),
             QStringLiteral("OBLIKA")});
    p.dodaj({{QStringLiteral("today")},
             QStringLiteral("Zadnji dan knjige (privzeto današnji)."),
             QStringLiteral("LLLL-MM-DD")});
    p.dodaj({{QStringLiteral("output")},
             QStringLiteral("Datoteka prenosa 1 (z --database privzeto PRENOS1.TXT poleg baze)."),
             QStringLiteral("POT")});
    p.dodajPrijavo();
    p.aliasiSoIzhod(QStringLiteral("Z --database: datoteka aliasov, ki jo ukaz zapiše (alias LB do baze); "
                                   "z --alias: datoteka aliasov, ki jo prebere."));
    if (const auto koda = p.razcleni(argumenti, okolje))
        return *koda;
    const bool vBazo = p.isSet(QStringLiteral("alias"));
    if (vBazo == p.isSet(QStringLiteral("database")))
        return p.zavrni(okolje, QStringLiteral("Podajte --database DATOTEKA --aliases DATOTEKA ali --alias A."));
    qint64 knjizb = 5000;
    if (p.isSet(QStringLiteral("postings"))) {
        const std::optional<qint64> n = celoStevilo(p.value(QStringLiteral("postings")));
        // A book without postings has no transfer 1 to make.
        if (!n || *n < 1 || *n > std::numeric_limits<int>::max())
            return p.zavrni(
                okolje,
                QStringLiteral("--postings ni pozitivno celo število: %1").arg(p.value(QStringLiteral("postings"))));
        knjizb = *n;
    }
    OblikaDemo oblika = OblikaDemo::Predstavitvena;
    if (p.isSet(QStringLiteral("shape"))) {
        const QString o = p.value(QStringLiteral("shape"));
        if (o == QLatin1String("wide"))
            oblika = OblikaDemo::Siroka;
        else if (o != QLatin1String("demo"))
            return p.zavrni(okolje, QStringLiteral("--shape je demo ali wide: %1").arg(o));
    }
    QDate danes = QDate::currentDate();
    if (p.isSet(QStringLiteral("today"))) {
        danes = QDate::fromString(p.value(QStringLiteral("today")), QStringLiteral("yyyy-MM-dd"));
        if (!danes.isValid())
            return p.zavrni(
                okolje,
                QStringLiteral("--today ni veljaven datum (LLLL-MM-DD): %1").arg(p.value(QStringLiteral("today"))));
    }

    if (vBazo) {
        if (p.isSet(QStringLiteral("aliases")))
            qputenv("LEDGXFER_ALIASES", QFileInfo(p.value(QStringLiteral("aliases"))).absoluteFilePath().toLocal8Bit());
        if (!prijaviSe(p, okolje))
            return kNeuspesno;
        const QString alias = p.value(QStringLiteral("alias"));
        QTemporaryDir zacasna;
        const QString pot = p.isSet(QStringLiteral("output")) ? p.value(QStringLiteral("output"))
                                                              : zacasna.filePath(QStringLiteral("PRENOS1.TXT"));
        QString napaka;
        try {
            QSqlDatabase db = QSqlDatabase::database(alias, false);
            ustvariJedrneTabele(db);
            napolniDemo(db, danes, int(knjizb), oblika);
            napaka = prenos1(alias, danes, pot);
        } catch (const Napaka& e) {
            napaka = e.besedilo();
        }
        povezava::zapriVse();
        if (!napaka.isEmpty()) {
            okolje.napaka(napaka);
            return kNeuspesno;
        }
        return kOpravljeno;
    }
    if (!p.isSet(QStringLiteral("aliases")))
        return p.zavrni(okolje, QStringLiteral("Manjka --aliases."));
    // The files go into folders that exist: a typing error in a path must not leave
    // new folders behind.
    for (const char* moznost : {"database", "aliases", "output"}) {
        const QString ime = QString::fromLatin1(moznost);
        if (!p.isSet(ime))
            continue;
        const QFileInfo datoteka(p.value(ime));
        if (!datoteka.absoluteDir().exists())
            return p.zavrni(okolje, QStringLiteral("Mapa datoteke --%1 ne obstaja: %2")
                                        .arg(ime, QDir::toNativeSeparators(datoteka.absolutePath())));
    }
    const QString baza = p.value(QStringLiteral("database"));
    const QString pot = p.isSet(QStringLiteral("output"))
                            ? p.value(QStringLiteral("output"))
                            : QFileInfo(baza).absoluteDir().filePath(QStringLiteral("PRENOS1.TXT"));
    QString napaka = ustvariDemoBazo(
        baza, p.value(QStringLiteral("aliases")), danes, int(knjizb),
        [&](const QString& ime) { return prenos1(ime, danes, pot); }, oblika);
    povezava::zapriVse();
    // The revaluation table beside the database, where the program looks for it when
    // LEDGXFER_HOME is the demo's folder.
    if (napaka.isEmpty())
        napaka = ustvariDemoZokdll(QFileInfo(baza).absoluteDir().filePath(QStringLiteral("ZOKDLL.DB")));
    if (!napaka.isEmpty()) {
        okolje.napaka(napaka);
        return kNeuspesno;
    }
    return kOpravljeno;
}

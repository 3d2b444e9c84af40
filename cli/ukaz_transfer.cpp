#include "oknoprenosa.h"
#include "napaka.h"
#include "povezava.h"
#include "prenos.h"
#include "rezultat.h"
#include "prijava.h"
#include "ukazi.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {

// The main window's part in a run, as plain values.
class BatchOkno : public OknoPrenosa {
public:
    QString stevilka;
    void nastaviStevilkoPrenosa(const QString& b) override { stevilka = b; }
    void nastaviSteviloZapisov(const QString&) override {}
    void povezavaMreze(bool) override {}
    void Sume() override {}
};

QDate datumIzMoznosti(const QCommandLineParser& p, const QString& ime, TerminalOkolje& okolje)
{
    const QDate d = QDate::fromString(p.value(ime), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        okolje.napaka(QStringLiteral("--%1 ni veljaven datum (LLLL-MM-DD): %2").arg(ime, p.value(ime)));
    return d;
}

} // namespace

// ledgxfer-batch transfer --alias A [--user U --password P] --from YYYY-MM-DD
//                         --to YYYY-MM-DD --output PATH [--repeat N]
// The transfer run of the window, without a window: the same engine, the same
// messages (one per line), exit 0 after a completed run.
int ukazTransfer(const QStringList& argumenti, TerminalOkolje& okolje)
{
    QCommandLineParser p;
    p.addOption({QStringLiteral("alias"), QStringLiteral("Database alias."), QStringLiteral("A")});
    p.addOption({QStringLiteral("user"), QStringLiteral("Database user."), QStringLiteral("U")});
    p.addOption({QStringLiteral("password"), QStringLiteral("Database password."), QStringLiteral("P")});
    p.addOption({QStringLiteral("from"), QStringLiteral("First booking date."), QStringLiteral("YYYY-MM-DD")});
    p.addOption({QStringLiteral("to"), QStringLiteral("Last booking date."), QStringLiteral("YYYY-MM-DD")});
    p.addOption({QStringLiteral("output"), QStringLiteral("The general-ledger file."), QStringLiteral("PATH")});
    p.addOption({QStringLiteral("repeat"), QStringLiteral("Write transfer N again."), QStringLiteral("N")});
    if (!p.parse(QStringList{QStringLiteral("transfer")} + argumenti)) {
        okolje.napaka(p.errorText());
        return 2;
    }
    for (const char* obvezna : {"alias", "from", "to", "output"}) {
        if (!p.isSet(QString::fromLatin1(obvezna))) {
            okolje.napaka(QStringLiteral("Manjka --%1. Uporaba: ledgxfer-batch transfer --alias A "
                                         "[--user U --password P] --from LLLL-MM-DD --to LLLL-MM-DD "
                                         "--output POT [--repeat N]").arg(QString::fromLatin1(obvezna)));
            return 2;
        }
    }
    const QDate od = datumIzMoznosti(p, QStringLiteral("from"), okolje);
    const QDate do_ = datumIzMoznosti(p, QStringLiteral("to"), okolje);
    if (!od.isValid() || !do_.isValid())
        return 2;
    const QString pot = p.value(QStringLiteral("output"));
    if (pot.isEmpty() || QFileInfo(pot).isDir()) {
        okolje.napaka(QStringLiteral("--output ne imenuje datoteke: %1").arg(pot));
        return 2;
    }
    // A typo in the number must never start a new transfer.
    QString stevilka = QStringLiteral("0");
    if (p.isSet(QStringLiteral("repeat"))) {
        bool ok = false;
        const int n = p.value(QStringLiteral("repeat")).trimmed().toInt(&ok);
        if (!ok) {
            okolje.napaka(QStringLiteral("--repeat ni celo število: %1").arg(p.value(QStringLiteral("repeat"))));
            return 2;
        }
        stevilka = QString::number(n);
    }

    const QString alias = p.value(QStringLiteral("alias"));
    if (!prijaviSe(p, okolje))
        return 1;

    BatchOkno okno;
    okno.stevilka = stevilka;
    Rezultat Q1;
    IzidPrenosa izid = IzidPrenosa::Neuspel;
    try {
        izid = Zapis({QDir::toNativeSeparators(pot), stevilka, od, do_, alias}, Q1, okno, okolje);
    } catch (const Napaka& e) {
        okolje.sporocilo(e.besedilo());
    } catch (const std::exception& e) {
        okolje.sporocilo(QString::fromUtf8(e.what()));
    }
    Q1.zapri();
    povezava::zapriVse();
    switch (izid) {
    case IzidPrenosa::Opravljen:
        return 0;
    case IzidPrenosa::OpravljenZOpozorili:
    case IzidPrenosa::NiPodatkov:
        return 3;
    case IzidPrenosa::Zavrnjen:
        return 2;
    case IzidPrenosa::Ustavljen:
    case IzidPrenosa::Neuspel:
        break;
    }
    return 1;
}

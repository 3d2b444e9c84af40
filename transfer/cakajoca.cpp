#include "cakajoca.h"

#include "belezenje.h"
#include "izhodnadatoteka.h"
#include "napaka.h"
#include "poizvedba.h"
#include "prenos.h"
#include "preverjanje.h"
#include "register.h"
#include "vhodnadatoteka.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const QString kPripona = QStringLiteral(".prenos");

QList<CakajocaDatoteka> poisci(const QString& mapa, const QString& predpona)
{
    static const QRegularExpression stevilka(QStringLiteral("^[1-9][0-9]{0,17}$"));
    QList<CakajocaDatoteka> izid;
    const QFileInfoList datoteke = QDir(mapa).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : datoteke) {
        const QString ime = f.fileName();
        const qsizetype i = ime.lastIndexOf(kPripona);
        if (i <= 0 || (!predpona.isEmpty() && ime.left(i) != predpona) || f.isSymLink())
            continue;
        const QString n = ime.mid(i + kPripona.size());
        if (stevilka.match(n).hasMatch())
            izid.append({f.absoluteFilePath(), n.toLongLong()});
    }
    std::sort(izid.begin(), izid.end(),
              [](const CakajocaDatoteka& a, const CakajocaDatoteka& b) { return a.stevilka < b.stevilka; });
    return izid;
}

} // namespace

QString imeCakajoceDatoteke(const QString& izhod, qint64 stevilka)
{
    return izhod + kPripona + QString::number(stevilka);
}

QList<CakajocaDatoteka> cakajoceDatoteke(const QString& izhod)
{
    const QFileInfo info(izhod);
    return poisci(info.absolutePath(), info.fileName());
}

QList<CakajocaDatoteka> cakajoceVMapi(const QString& mapa) { return poisci(mapa, QString()); }

bool cakajocaPotrjena(const QSqlDatabase& db, const CakajocaDatoteka& c)
{
    QString razlog;
    // The file is at most as large as a ledger file may be.
    const std::optional<QByteArray> vsebina = preberiVhodnoDatoteko(c.pot, qint64(1) << 30, razlog);
    if (!vsebina) {
        qCWarning(lcTransfer).noquote() << "Čakajoče datoteke" << c.pot << "ni mogoče brati:" << razlog;
        return false;
    }
    QByteArray kopija = *vsebina;
    QBuffer naprava(&kopija);
    naprava.open(QIODevice::ReadOnly);
    const IzidPreverjanja datoteka = preveriDatotekoGk(naprava);
    if (!datoteka.pravilna())
        return false; // a file that is not whole was never committed
    Poizvedba q(db);
    q.odpri(stavekIskanjaPrenosa(c.stevilka));
    if (!q.naslednji())
        return false;
    q.zapri();
    Poizvedba vrstice(db);
    if (!vrstice.poskusiOdpreti(QStringLiteral("SELECT COUNT(*) STEVILO, SUM(ZAOKROZEN) VSOTA FROM IZRAVNAVE"
                                               " WHERE PRENOS=:N"),
                                {{QStringLiteral("N"), c.stevilka}}))
        throw Napaka(vrstice.zadnjaNapaka());
    if (!vrstice.naslednji())
        return false;
    const qint64 stevilo = vrstice.celo(QStringLiteral("STEVILO"));
    const double vsota = vrstice.realno(QStringLiteral("VSOTA"));
    return stevilo == datoteka.podrobnihVrstic
           && std::abs(vsota - (datoteka.breme - datoteka.dobro)) < 0.005 + 1e-9 * std::abs(vsota);
}

std::optional<QString> namestiCakajoco(const CakajocaDatoteka& c, const QString& izhod)
{
    std::error_code napaka;
    const QString kopija = imeVarnostneKopije(izhod);
    if (kopija != izhod && fs::is_regular_file(fs::symlink_status(fsPot(izhod), napaka))) {
        // The previous output becomes the backup as a second name of the same file.
        const QString zacasna = kopija + QStringLiteral(".nova");
        fs::remove(fsPot(zacasna), napaka);
        fs::create_hard_link(fsPot(izhod), fsPot(zacasna), napaka);
        if (!napaka)
            fs::rename(fsPot(zacasna), fsPot(kopija), napaka);
        if (napaka) {
            qCWarning(lcTransfer).noquote()
                << "Varnostna kopija" << kopija << "ni zamenjana:" << QString::fromStdString(napaka.message());
            fs::remove(fsPot(zacasna), napaka);
        }
    }
    napaka.clear();
    fs::rename(fsPot(c.pot), fsPot(izhod), napaka);
    if (napaka)
        return QString::fromLocal8Bit(napaka.message().c_str());
    return std::nullopt;
}

QStringList dokoncajCakajoce(const QSqlDatabase& db, const QString& izhod)
{
    QStringList sporocila;
    for (const CakajocaDatoteka& c : cakajoceDatoteke(izhod)) {
        if (!cakajocaPotrjena(db, c)) {
            qCInfo(lcTransfer).noquote() << "Datoteka" << c.pot << "je ostala od prenosa" << c.stevilka
                                         << "brez potrditve v bazi; odstranjena je.";
            QFile::remove(c.pot);
            continue;
        }
        if (const std::optional<QString> razlog = namestiCakajoco(c, izhod)) {
            qCCritical(lcTransfer).noquote()
                << "Datoteke" << c.pot << "prenosa" << c.stevilka << "ni mogoče namestiti:" << *razlog;
            throw Napaka(QStringLiteral("Prenos %1 je zapisan v bazi, njegova datoteka pa ob prekinitvi ni bila "
                                        "nameščena in je tudi zdaj ni mogoče namestiti v %2: %3\nDatoteka čaka v %4; "
                                        "datoteko zapišete tudi s ponovitvijo prenosa %1.")
                             .arg(c.stevilka)
                             .arg(izhod, *razlog, c.pot));
        }
        qCWarning(lcTransfer).noquote() << "Datoteka prenosa" << c.stevilka << "je po prekinitvi nameščena v" << izhod;
        sporocila << QStringLiteral("Prenos %1 je bil zapisan v bazi, njegova datoteka pa ob prekinitvi ni bila "
                                    "nameščena. Zdaj je nameščena v %2.")
                         .arg(c.stevilka)
                         .arg(izhod);
    }
    return sporocila;
}

QStringList opozoriloCakajocih(const QSqlDatabase& db, const QString& mapa)
{
    QStringList sporocila;
    if (mapa.isEmpty())
        return sporocila;
    for (const CakajocaDatoteka& c : cakajoceVMapi(mapa)) {
        bool potrjena = false;
        try {
            potrjena = cakajocaPotrjena(db, c);
        } catch (const Napaka& e) {
            qCWarning(lcTransfer).noquote() << "Čakajoče datoteke" << c.pot << "ni mogoče preveriti:" << e.besedilo();
            continue;
        }
        if (!potrjena)
            continue;
        const QString izhod = c.pot.left(c.pot.lastIndexOf(QStringLiteral(".prenos")));
        sporocila << QStringLiteral("Prenos %1 je zapisan v bazi, njegova datoteka pa ni nameščena: čaka v %2.\n"
                                    "Namesti jo naslednji prenos v %3; datoteko zapišete tudi s ponovitvijo "
                                    "prenosa %1.")
                         .arg(c.stevilka)
                         .arg(c.pot, izhod);
    }
    return sporocila;
}

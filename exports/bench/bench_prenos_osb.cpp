// Times the party register export over a large SQLite book: by default 100,000
// contracts and 100,000 parties. Every contract has a short code; one in fifty refers to
// a party that is not in OSB. Pending events are processed once per contract, as the
// window does.
#include "jedro.h"
#include "povezava.h"
#include "prenososb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

class TihoOkolje : public Okolje {
public:
    QStringList sporocila;
    void sporocilo(const QString& b) override { sporocila << b; }
    bool vprasanje(const QString&) override { return false; }
    void statusnaVrstica(const QString&) override {}
    void skrijStatusnoVrstico() override {}
    void prikaziNapredek(bool) override {}
    void napredek(int) override {}
    void procentiBesedilo(const QString&) override {}
    void obdelajDogodke() override { QCoreApplication::processEvents(); }
    bool konecZahtevan() const override { return false; }
    void pocistiKonec() override {}
    void odpriVUrejevalniku(const QString&) override {}
    std::optional<QString> shraniDatoteko(const DialogShrani&) override { return std::nullopt; }
};

bool napolni(const QString& pot, int pogodb, int oseb)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("polnjenje"));
    db.setDatabaseName(pot);
    if (!db.open())
        return false;
    ustvariJedrneTabele(db);
    db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO OSB (SFOSB, Nzv, Ime, Nsl, Pst, Mst, Zrr, Sklic)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 1; i <= oseb; ++i) {
        q.addBindValue(i);
        q.addBindValue(QStringLiteral("Podjetje   %1 d.o.o.").arg(i));
        q.addBindValue(QStringLiteral("Janez  Novak"));
        q.addBindValue(QStringLiteral("Slovenska cesta %1").arg(i % 300));
        q.addBindValue(QStringLiteral("1000"));
        q.addBindValue(QStringLiteral("Ljubljana"));
        q.addBindValue(QStringLiteral("SI56 0201 0001 %1").arg(i, 8, 10, QLatin1Char('0')));
        q.addBindValue(QStringLiteral("SI00 %1").arg(i));
        if (!q.exec())
            return false;
    }
    q.prepare(QStringLiteral("INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv) VALUES (?, ?, ?, ?)"));
    for (int i = 1; i <= pogodb; ++i) {
        q.addBindValue(i);
        // Parties in a scattered order; every fiftieth contract names a missing party.
        q.addBindValue(i % 50 == 0 ? oseb + i : 1 + (i * 7919) % oseb);
        q.addBindValue(QStringLiteral("P%1").arg(i));
        q.addBindValue(QStringLiteral("Pogodba %1").arg(i));
        if (!q.exec())
            return false;
    }
    db.commit();
    db.close();
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const int pogodb = a.size() > 1 ? a.at(1).toInt() : 100000;
    const int oseb = a.size() > 2 ? a.at(2).toInt() : 100000;

    QTemporaryDir dir;
    QElapsedTimer ura;
    ura.start();
    if (!napolni(dir.filePath(QStringLiteral("bench.sqlite")), pogodb, oseb)) {
        std::fprintf(stderr, "the benchmark database could not be made\n");
        return 1;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("polnjenje"));
    const qint64 priprava = ura.elapsed();

    QFile ini(dir.filePath(QStringLiteral("aliases.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[BENCH]\ndriver=sqlite\ndatabase=bench.sqlite\n");
    ini.close();
    qputenv("LEDGXFER_ALIASES", ini.fileName().toUtf8());

    TihoOkolje okolje;
    PrenosOsb prenos;
    prenos.baza = QStringLiteral("BENCH");
    prenos.izhodnaPot = dir.filePath(QStringLiteral("OSB.TXT"));
    ura.restart();
    const std::optional<int> vrstic = prenesiOsb(okolje, prenos);
    const qint64 izvoz = ura.elapsed();
    povezava::zapriVse();

    std::printf("contracts %d, parties %d: database made in %lld ms\n", pogodb, oseb, static_cast<long long>(priprava));
    std::printf("export: %d lines, %lld bytes, %lld ms (%s)\n", vrstic.value_or(-1),
                static_cast<long long>(QFile(prenos.izhodnaPot).size()), static_cast<long long>(izvoz),
                okolje.sporocila.join(QStringLiteral(" | ")).toUtf8().constData());
    return vrstic ? 0 : 1;
}

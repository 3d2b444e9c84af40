// Renders the journal of one transfer of N postings to a PDF file and reports the
// time and the peak memory of the process.
//
//   bench_dnevnik N [stavek|rezultat] [folder]
//
// stavek: the postings read forward once (the batch command's way);
// postavitev: the same, laid out only, nothing drawn (the engine's own share);
// rezultat: the postings loaded into a shared result first, as the grid holds them,
// and the journal laid out over it (the window's way; the load is timed apart).
// The database is made in the folder (default: a temporary one) on first use.

#include "dnevnik.h"
#include "izris.h"
#include "jedro.h"
#include "povezava.h"
#include "pregled.h"
#include "register.h"
#include "rezultat.h"
#include "rezultatvir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

long vrhPomnilnikaMb()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss / 1024;
}

void pripraviBazo(const QString& pot, int n)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("priprava"));
    db.setDatabaseName(pot);
    db.open();
    ustvariJedrneTabele(db);
    QSqlQuery q(db);
    db.transaction();
    for (int i = 1; i <= 40; ++i)
        q.exec(QStringLiteral("INSERT INTO DOG (IDDOG, IDPOG, SFDJV) VALUES (%1, 0, '%2')").arg(i).arg(i % 17));
    for (int i = 1; i <= 30; ++i)
        q.exec(QStringLiteral("INSERT INTO SIFKONT (CTRL, OZNAKA) VALUES (%1, '%2')").arg(i).arg(1000 + i * 7));
    q.prepare(QStringLiteral("INSERT INTO KNJIZBE (DATUMK, DATUMV, KONTO, IDMASTER, PARTNER, VALUTA, STRAN,"
                             " BZNESEK, DZNESEK, BZNESEKSIT, DZNESEKSIT, TEKST, PRENOS)"
                             " VALUES (?, ?, ?, ?, 0, 'EUR', ?, ?, ?, ?, ?, 'x', 1)"));
    const QDate zacetek(2024, 1, 1);
    for (int i = 0; i < n; ++i) {
        const bool breme = i % 2 == 0;
        const double znesek = 10.0 + (i * 7919 % 100000) / 100.0;
        q.addBindValue(zacetek.addDays(i % 365));
        q.addBindValue(zacetek.addDays(i % 365 + 1));
        q.addBindValue(1 + i % 30);
        q.addBindValue(1 + i % 40);
        q.addBindValue(breme ? QStringLiteral("B") : QStringLiteral("D"));
        q.addBindValue(breme ? znesek : 0.0);
        q.addBindValue(breme ? 0.0 : znesek);
        q.addBindValue(breme ? znesek : 0.0);
        q.addBindValue(breme ? 0.0 : znesek);
        if (!q.exec())
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
    }
    q.exec(QStringLiteral("CREATE TABLE LEDGXFER (STPRENOSA INTEGER NOT NULL, DATUM1 DATE, DATUM2 DATE,"
                          " DATUMPRENOSA DATE, PRIMARY KEY(STPRENOSA))"));
    q.exec(QStringLiteral("INSERT INTO LEDGXFER VALUES (1, '2024-01-01', '2024-12-31', '2025-01-02')"));
    db.commit();
    db.close();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString nacin = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("stavek");
    QTemporaryDir zacasna;
    const QString mapa = argc > 3 ? QString::fromLocal8Bit(argv[3]) : zacasna.path();
    QDir().mkpath(mapa);
    const QString baza = QDir(mapa).filePath(QStringLiteral("dnevnik-%1.sqlite").arg(n));
    if (!QFileInfo::exists(baza))
        pripraviBazo(baza, n);
    QSqlDatabase::removeDatabase(QStringLiteral("priprava"));
    const QString aliasi = QDir(mapa).filePath(QStringLiteral("aliases-%1.ini").arg(n));
    QFile f(aliasi);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("[B]\ndriver=sqlite\ndatabase=%1\n").arg(QFileInfo(baza).fileName()).toUtf8());
    f.close();
    if (!povezava::odpri(QStringLiteral("B"), QStringLiteral("B"), {}, {}, Aliasi::preberi(aliasi)).isEmpty())
        return 1;
    const long predMb = vrhPomnilnikaMb();

    const QVariantMap parametri{{QStringLiteral("DATUM1"), QDate(2024, 1, 1)},
                                {QStringLiteral("DATUM2"), QDate(2024, 12, 31)}};
    const QString pdf = QDir(mapa).filePath(QStringLiteral("dnevnik-%1-%2.pdf").arg(n).arg(nacin));
    GlavaDnevnika glava;
    QElapsedTimer t;
    IzidPdf izid;
    qint64 nalaganje = 0;
    if (nacin == u"rezultat") {
        t.start();
        Rezultat Q1;
        Q1.odpri(povezava::zaIme(QStringLiteral("B")), stavekKnjizbPrenosa(1), parametri);
        Q1.steviloVrstic(); // the list-finishing pass fetches every row
        nalaganje = t.restart();
        preberiDatumeGlave(Q1, glava);
        auto vir = virDnevnika(Q1);
        izid = zapisiPdf(opisDnevnika(glava), *vir, pdf);
    } else if (nacin == u"postavitev") {
        // Layout alone, nothing drawn.
        t.start();
        StavekVir vir(povezava::zaIme(QStringLiteral("B")), stavekKnjizbPrenosa(1), parametri);
        izid.strani = postavi(opisDnevnika(glava), vir, QDateTime::currentDateTime(), [](const Stran&) {});
        izid.uspeh = true;
    } else {
        t.start();
        StavekVir vir(povezava::zaIme(QStringLiteral("B")), stavekKnjizbPrenosa(1), parametri);
        if (vir.prvi())
            preberiDatumeGlave(vir, glava);
        izid = zapisiPdf(opisDnevnika(glava), vir, pdf);
    }
    const qint64 risanje = t.elapsed();
    std::printf("postings %d, source %s: %d pages, load %.2f s, journal to PDF %.2f s, "
                "peak memory %ld MB (%ld MB before), PDF %lld kB\n",
                n, qPrintable(nacin), izid.strani, nalaganje / 1000.0, risanje / 1000.0, vrhPomnilnikaMb(), predMb,
                QFileInfo(pdf).size() / 1024);
    povezava::zapriVse();
    return izid.uspeh ? 0 : 1;
}

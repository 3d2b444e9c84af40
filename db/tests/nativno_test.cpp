#include "mnozicnivnos.h"
#include "nativno.h"
#include "okolje.h"
#include "pgnativno.h"
#include "pogon.h"
#include "rezultat.h"
#include "sqlitenativno.h"
#include "spremenljivka.h"
#include "testnabaza.h"
#include "transakcija.h"
#include "zapisnik.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlError>
#include <QTemporaryDir>
#include <QThread>

#include <cstring>
#include <vector>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// LEDGXFER_NATIVNO for one scope.
class Stikalo : public ZacasnaSpremenljivka {
public:
    explicit Stikalo(const char* vrednost) : ZacasnaSpremenljivka("LEDGXFER_NATIVNO", vrednost) {}
};

// A second copy of the SQLite library the program links, loaded beside it under a name
// of its own: the layout of a Qt build whose driver carries its own SQLite.
class DrugaKopija {
public:
    DrugaKopija()
    {
        Dl_info i{};
        if (!dladdr(nativno::naslov(&sqlite3_open_v2), &i) || !i.dli_fname) {
            m_razlog = "the program's SQLite library cannot be found";
            return;
        }
        const QString kopija = m_mapa.filePath(QStringLiteral("libsqlite3-kopija.so"));
        if (!QFile::copy(QString::fromLocal8Bit(i.dli_fname), kopija)) {
            m_razlog = "the SQLite library cannot be copied";
            return;
        }
        m_rocaj = dlopen(QFile::encodeName(kopija).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!m_rocaj)
            m_razlog = dlerror();
    }
    ~DrugaKopija()
    {
        if (m_rocaj)
            dlclose(m_rocaj);
    }
    const void* funkcija(const char* ime) const { return m_rocaj ? dlsym(m_rocaj, ime) : nullptr; }
    std::string razlog() const { return m_razlog; }

private:
    QTemporaryDir m_mapa;
    void* m_rocaj = nullptr;
    std::string m_razlog;
};

class SqliteBaza : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("nativno"));
        db.setDatabaseName(QStringLiteral(":memory:"));
        ASSERT_TRUE(db.open());
    }
    void TearDown() override
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("nativno"));
    }
    QSqlDatabase db;
};

} // namespace

TEST(NativnoDokaz, TheProgramsOwnFunctionIsProven)
{
    const nativno::Dokaz d = nativno::istaFunkcija("sqlite3_open_v2", nativno::naslov(&sqlite3_open_v2),
                                                   dlsym(RTLD_DEFAULT, "sqlite3_open_v2"));
    EXPECT_TRUE(d.dokazano) << d.razlog.toStdString();
    EXPECT_TRUE(d.razlog.isEmpty());
}

// Two copies of one version: the versions agree, only the addresses tell them apart.
TEST(NativnoDokaz, ASecondCopyOfTheSameSqliteIsNoProof)
{
    DrugaKopija kopija;
    const void* tuja = kopija.funkcija("sqlite3_open_v2");
    ASSERT_NE(tuja, nullptr) << kopija.razlog();
    const auto verzija = reinterpret_cast<int (*)()>(const_cast<void*>(kopija.funkcija("sqlite3_libversion_number")));
    ASSERT_NE(verzija, nullptr);
    EXPECT_EQ(verzija(), sqlite3_libversion_number()) << "the copy is of the very same version";

    const nativno::Dokaz d = nativno::istaFunkcija("sqlite3_open_v2", nativno::naslov(&sqlite3_open_v2), tuja);
    EXPECT_FALSE(d.dokazano);
    EXPECT_TRUE(d.razlog.contains(QStringLiteral("libsqlite3-kopija.so"))) << d.razlog.toStdString();
}

TEST(NativnoDokaz, AFunctionThePluginDoesNotExportIsNoProof)
{
    const nativno::Dokaz d = nativno::istaFunkcija("sqlite3_open_v2", nativno::naslov(&sqlite3_open_v2), nullptr);
    EXPECT_FALSE(d.dokazano);
    EXPECT_FALSE(d.razlog.isEmpty());
    EXPECT_FALSE(nativno::knjiznicaGonilnika(nullptr, {{"sqlite3_open_v2", nativno::naslov(&sqlite3_open_v2)}}));
}

// The plugin of this build links the system's SQLite, which the program links too: the
// proof holds, so the run reads past the driver. Where the plugin hides a copy of its
// own, nothing can be resolved through it and the proof must fail.
TEST_F(SqliteBaza, TheDriverIsProvenOnlyForTheLibraryItReallyCalls)
{
    Stikalo s(nullptr); // the proof itself, whatever the suite's switch
    QString razlog;
    const void* gonilnikova = nativno::funkcijaGonilnika(db.driver(), "sqlite3_open_v2", &razlog);
    if (!gonilnikova) {
        EXPECT_FALSE(sqlitenativno::dokaz(db.driver()));
        EXPECT_EQ(sqlitenativno::povezava(db), nullptr);
        GTEST_SKIP() << "this build's SQLite driver carries its own library: " << razlog.toStdString();
    }
    EXPECT_TRUE(sqlitenativno::dokaz(db.driver()));
    EXPECT_NE(sqlitenativno::povezava(db), nullptr);

    // The same driver, asked for a function the program would take from elsewhere (a
    // second copy of the library): refused.
    DrugaKopija kopija;
    const void* tuja = kopija.funkcija("sqlite3_close_v2");
    ASSERT_NE(tuja, nullptr) << kopija.razlog();
    const nativno::Dokaz d = nativno::knjiznicaGonilnika(db.driver(), {{"sqlite3_close_v2", tuja}});
    EXPECT_FALSE(d.dokazano);
    EXPECT_TRUE(d.razlog.contains(QStringLiteral("libsqlite3-kopija.so"))) << d.razlog.toStdString();
}

namespace {

struct PrimerStikala {
    const char* ime;
    const char* vrednost; // null: not set
    bool nativno;
};

class Stikala : public SqliteBaza, public ::testing::WithParamInterface<PrimerStikala> {};

} // namespace

TEST_P(Stikala, TheEnvironmentForcesTheDriverPath)
{
    const PrimerStikala& p = GetParam();
    Stikalo s(p.vrednost);
    EXPECT_EQ(nativno::dovoljeno(), p.nativno);
    EXPECT_EQ(sqlitenativno::povezava(db) != nullptr, p.nativno && sqlitenativno::dokaz(db.driver()));
}

INSTANTIATE_TEST_SUITE_P(Vrednosti, Stikala,
                         ::testing::Values(PrimerStikala{"nic", "0", false}, PrimerStikala{"no", "no", false},
                                           PrimerStikala{"OFF", "OFF", false}, PrimerStikala{"false", " false ", false},
                                           PrimerStikala{"ena", "1", true}, PrimerStikala{"prazno", "", true},
                                           PrimerStikala{"nenastavljeno", nullptr, true}),
                         [](const auto& info) { return std::string(info.param.ime); });

// The driver path that the switch forces gives every value exactly as the path past
// the driver does; the bulk insert stores the same rows either way.
TEST(NativnoInGonilnik, BothPathsReadAndStoreTheSameValues)
{
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    QSqlDatabase db = b.odpri();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE NV (ZAP INTEGER, D DATE, T VARCHAR(20), R DOUBLE PRECISION)")));
    const QStringList stolpci = {QStringLiteral("ZAP"), QStringLiteral("D"), QStringLiteral("T"), QStringLiteral("R")};
    const QList<QVariantList> vrstice = {
        {qint64(1), QDate(2024, 2, 29), QStringLiteral("a\tb\\c"), 0.1 + 0.2},
        {qint64(2), QDate(), QString(), -1e-17},
        {qint64(3), QDate(1999, 12, 31), QStringLiteral("ČŠŽ đ"), 123456789012.34},
    };
    Zapisnik okolje;
    const auto beri = [&](const char* stikalo) {
        Stikalo s(stikalo);
        QStringList izpis;
        const QString sql = QStringLiteral("SELECT ZAP, D, T, R FROM NV ORDER BY ZAP");
        Transakcija tx(db, okolje);
        tx.zacni();
        MnozicniVnos vnos(tx, QStringLiteral("NV"), stolpci,
                          [&](const QVariantList&, const QSqlError& e) { ADD_FAILURE() << e.text().toStdString(); });
        for (const QVariantList& v : vrstice)
            vnos.dodaj(v);
        vnos.koncaj();
        Rezultat r;
        if (b.gonilnik() == u"postgresql")
            r.odpriKazalec(db, sql, {}, 2);
        else
            r.odpri(db, sql, {}, true);
        for (bool je = !r.eof(); je; je = r.naslednji()) {
            QStringList polja{QString::number(r.trenutnaVrstica())};
            for (int i = 0; i < r.steviloStolpcev(); ++i) {
                const QVariant v = r.vrednost(r.trenutnaVrstica(), i);
                const double x = r.realno(i);
                QByteArray biti(reinterpret_cast<const char*>(&x), sizeof x);
                polja << QString::fromLatin1(v.typeName()) + u'=' + v.toString() << r.niz(i)
                      << QString::number(r.celo(i)) << QString::fromLatin1(biti.toHex())
                      << r.datum(i).toString(Qt::ISODate);
            }
            izpis << polja.join(u'|');
        }
        EXPECT_TRUE(r.napaka().isEmpty()) << r.napaka().toStdString();
        r.zapri();
        tx.preklici();
        return izpis;
    };
    const QStringList mimoGonilnika = beri(nullptr);
    const QStringList skoziGonilnik = beri("0");
    ASSERT_EQ(mimoGonilnika.size(), vrstice.size());
    EXPECT_EQ(mimoGonilnika, skoziGonilnik);
}

namespace {

// A PostgreSQL test database, or the reason to skip.
bool jePostgreSQL(const TestnaBaza& b) { return b.gonilnik() == u"postgresql"; }

} // namespace

// A forward-only query of the driver still being read leaves its rows pending on the
// connection: a statement of ours would drop them. The connection is not handed out
// then, and is again once the driver's query is gone (finish() alone leaves the rest
// of its rows on the connection).
TEST(PgNativno, AConnectionWithAPendingResultIsNotHandedOut)
{
    Stikalo s(nullptr); // the proof itself, whatever the suite's switch
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    if (!jePostgreSQL(b))
        GTEST_SKIP() << "the connection's state is PostgreSQL's";
    QSqlDatabase db = b.odpri();
    ASSERT_NE(pgnativno::povezava(db), nullptr) << "an idle connection is handed out";
    {
        QSqlQuery cakajoca(db);
        cakajoca.setForwardOnly(true);
        ASSERT_TRUE(cakajoca.exec(QStringLiteral("SELECT g FROM generate_series(1, 50000) g")));
        ASSERT_TRUE(cakajoca.next());
        EXPECT_EQ(pgnativno::povezava(db), nullptr);
        cakajoca.finish();
        EXPECT_EQ(pgnativno::povezava(db), nullptr);
    }
    EXPECT_NE(pgnativno::povezava(db), nullptr);
}

// The readers take text as UTF-8; under another client encoding the connection is not
// handed out.
TEST(PgNativno, AnotherClientEncodingIsNotHandedOut)
{
    Stikalo s(nullptr); // the proof itself, whatever the suite's switch
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    if (!jePostgreSQL(b))
        GTEST_SKIP() << "the client encoding is PostgreSQL's";
    QSqlDatabase db = b.odpri();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SET client_encoding TO 'LATIN2'")));
    PGconn* c = nullptr;
    {
        const QVariant h = db.driver()->handle();
        std::memcpy(&c, h.constData(), sizeof c);
    }
    const nativno::Dokaz d = pgnativno::prosta(c);
    EXPECT_FALSE(d.dokazano);
    EXPECT_TRUE(d.razlog.contains(QStringLiteral("LATIN2"))) << d.razlog.toStdString();
    EXPECT_EQ(pgnativno::povezava(db), nullptr);
    ASSERT_TRUE(q.exec(QStringLiteral("SET client_encoding TO 'UTF8'")));
    EXPECT_NE(pgnativno::povezava(db), nullptr);
}

// A cursor read past the driver whose connection the driver takes for a query of its
// own meanwhile: the rest of the cursor comes through the driver, every row once and
// numbered on. (What becomes of the driver's own query when the driver runs the next
// fetch is the driver's business: it reads the rest of the cursor as it would without
// this program's paths.)
TEST(PgNativno, ACursorGoesOnThroughTheDriverWhileTheConnectionIsBusy)
{
    Stikalo s(nullptr); // the proof itself, whatever the suite's switch
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    if (!jePostgreSQL(b))
        GTEST_SKIP() << "the cursor is PostgreSQL's";
    QSqlDatabase db = b.odpri();
    ASSERT_TRUE(db.transaction());
    Rezultat r;
    r.odpriKazalec(db, QStringLiteral("SELECT g FROM generate_series(1, 10) g ORDER BY g"), {}, 3);
    QList<qint64> prebrane;
    QSqlQuery cakajoca(db);
    cakajoca.setForwardOnly(true);
    for (bool je = !r.eof(); je; je = r.naslednji()) {
        EXPECT_EQ(r.trenutnaVrstica(), prebrane.size());
        prebrane << r.celo(0);
        if (prebrane.size() == 2) {
            ASSERT_TRUE(cakajoca.exec(QStringLiteral("SELECT g FROM generate_series(1, 20000) g")));
            ASSERT_TRUE(cakajoca.next());
            EXPECT_EQ(pgnativno::povezava(db), nullptr);
        }
    }
    EXPECT_TRUE(r.napaka().isEmpty()) << r.napaka().toStdString();
    EXPECT_EQ(prebrane, (QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    r.zapri();
    db.rollback();
}

// A bulk insert whose connection stops being one the program may use past the driver
// (here: another client encoding set meanwhile) sends the rest through the driver, and
// every row arrives. (The driver itself always sends UTF-8, so the texts here are ASCII.)
TEST(PgNativno, ABulkInsertGoesOnThroughTheDriverWhenCopyIsNoLongerAllowed)
{
    Stikalo s(nullptr); // the proof itself, whatever the suite's switch
    TestnaBaza b;
    LEDG_PRESKOCI_BREZ_BAZE(b);
    if (!jePostgreSQL(b))
        GTEST_SKIP() << "COPY is PostgreSQL's";
    QSqlDatabase db = b.odpri();
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE KV (ZAP INTEGER, T VARCHAR(20))")));
    Zapisnik okolje;
    Transakcija tx(db, okolje);
    tx.zacni();
    MnozicniVnos vnos(tx, QStringLiteral("KV"), {QStringLiteral("ZAP"), QStringLiteral("T")},
                      [](const QVariantList&, const QSqlError& e) { ADD_FAILURE() << e.text().toStdString(); });
    ASSERT_EQ(vnos.opisNacina(), QStringLiteral("s COPY"));
    vnos.dodaj({qint64(1), QStringLiteral("prva")});
    vnos.poslji();
    ASSERT_TRUE(q.exec(QStringLiteral("SET client_encoding TO 'LATIN2'")));
    vnos.dodaj({qint64(2), QStringLiteral("druga\tz tabulatorjem")});
    vnos.dodaj({qint64(3), QString()});
    vnos.koncaj();
    EXPECT_EQ(vnos.opisNacina(), QStringLiteral("posamič"));
    ASSERT_TRUE(q.exec(QStringLiteral("SET client_encoding TO 'UTF8'")));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT ZAP, T FROM KV ORDER BY ZAP")));
    QStringList vrstice;
    while (q.next())
        vrstice << q.value(0).toString() + u'|'
                       + (q.value(1).isNull() ? QStringLiteral("NULL") : q.value(1).toString());
    EXPECT_EQ(vrstice, (QStringList{QStringLiteral("1|prva"), QStringLiteral("2|druga\tz tabulatorjem"),
                                    QStringLiteral("3|NULL")}));
    tx.preklici();
}

// Text past the driver is the driver's text whatever its bytes: ASCII, empty, with a
// NUL inside, other letters, bytes that are no UTF-8 (read) and a lone surrogate
// (stored); read back and stored the same both ways, byte for byte.
TEST_F(SqliteBaza, TextOfAnyBytesIsReadAndStoredAsTheDriverDoes)
{
    if (!sqlitenativno::povezava(db))
        GTEST_SKIP() << "this build's SQLite driver is not used past the driver";
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE B (ZAP INTEGER, T TEXT)")));
    ASSERT_TRUE(q.exec(
        QStringLiteral("INSERT INTO B VALUES (1, 'abc'), (2, ''), (3, CAST(X'610062' AS TEXT)), (4, 'ČŠŽ đ'), "
                       "(5, CAST(X'41FF42' AS TEXT)), (6, CAST(X'41C3' AS TEXT)), (7, CAST(X'EDA080' AS TEXT))")));
    const QList<QString> zapisi = {
        QStringLiteral("abc"),   QString(),
        QStringLiteral(""),      QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")),
        QStringLiteral("ČŠŽ đ"), QString(QChar(0xD800)) + QStringLiteral("x")};
    Zapisnik okolje;
    const auto beri = [&](const char* stikalo) {
        Stikalo s(stikalo);
        QStringList izpis;
        Rezultat r;
        r.odpri(db, QStringLiteral("SELECT ZAP, T FROM B ORDER BY ZAP"), {}, true);
        for (bool je = !r.eof(); je; je = r.naslednji()) {
            const QString t = r.niz(1);
            const QVariant v = r.vrednost(r.trenutnaVrstica(), 1);
            izpis << QString::number(r.celo(0)) + u'|' + QString::number(t.isNull()) + u'|'
                         + QString::fromLatin1(
                             QByteArray(reinterpret_cast<const char*>(t.utf16()), t.size() * 2).toHex())
                         + u'|' + QString::fromLatin1(v.typeName()) + u'=' + v.toString();
        }
        r.zapri();
        // Stored by the bulk insert and read back as the engine's bytes.
        Transakcija tx(db, okolje);
        tx.zacni();
        MnozicniVnos vnos(tx, QStringLiteral("BV"), {QStringLiteral("ZAP"), QStringLiteral("T")},
                          [&](const QVariantList&, const QSqlError& e) { ADD_FAILURE() << e.text().toStdString(); });
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE BV (ZAP INTEGER, T TEXT)"));
        for (qsizetype i = 0; i < zapisi.size(); ++i)
            vnos.dodaj({qint64(i), zapisi.at(i)});
        vnos.koncaj();
        QSqlQuery h(db);
        EXPECT_TRUE(h.exec(QStringLiteral("SELECT ZAP, typeof(T), hex(T) FROM BV ORDER BY ZAP")));
        while (h.next())
            izpis << h.value(0).toString() + u'|' + h.value(1).toString() + u'|' + h.value(2).toString();
        tx.preklici();
        return izpis;
    };
    const QStringList mimoGonilnika = beri(nullptr);
    const QStringList skoziGonilnik = beri("0");
    ASSERT_EQ(mimoGonilnika.size(), 7 + zapisi.size());
    EXPECT_EQ(mimoGonilnika, skoziGonilnik);
}

namespace {

// A connection of the test's own to the test database, with the parameters of the
// driver's connection.
PGconn* tretjaPovezava(const QSqlDatabase& db)
{
    const QVariant h = db.driver()->handle();
    PGconn* c = *static_cast<PGconn* const*>(h.constData());
    PQconninfoOption* moznosti = PQconninfo(c);
    std::vector<const char*> k, v;
    for (PQconninfoOption* m = moznosti; m->keyword; ++m)
        if (m->val && *m->val) {
            k.push_back(m->keyword);
            v.push_back(m->val);
        }
    k.push_back(nullptr);
    v.push_back(nullptr);
    PGconn* d = PQconnectdbParams(k.data(), v.data(), 0);
    PQconninfoFree(moznosti);
    return d;
}

// Sessions on the test's database other than the driver's whose last statement carries
// `oznaka` (the other engine variants run the same tests on the server meanwhile).
int sejeZOznako(const QSqlDatabase& db, const QString& oznaka)
{
    QSqlQuery q(db);
    // The statistics views keep what they showed first for the rest of a transaction.
    q.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
    q.prepare(QStringLiteral(
        "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid() "
        "AND position(? in query) > 0 AND query NOT LIKE '%pg_stat_activity%'"));
    q.addBindValue(oznaka);
    return q.exec() && q.next() ? q.value(0).toInt() : -1;
}

// Every value of every row as each of the result's conversions gives it.
QStringList vseVrednosti(Rezultat& r)
{
    QStringList izpis;
    for (bool je = !r.eof(); je; je = r.naslednji()) {
        QString v = QString::number(r.trenutnaVrstica());
        for (int s = 0; s < r.steviloStolpcev(); ++s) {
            const QVariant x = r.polje(r.imeStolpca(s));
            v += u'|' + r.imeStolpca(s) + u'/' + QString::number(r.dolzinaStolpca(s)) + u'='
                 + QString::fromLatin1(x.typeName()) + u':' + x.toString() + u'/' + QString::number(r.jeNull(s)) + u'/'
                 + r.niz(s) + u'/' + QString::number(r.celo(s)) + u'/' + QString::number(r.realno(s), 'g', 17) + u'/'
                 + r.datum(s).toString(Qt::ISODate);
        }
        izpis << v;
    }
    EXPECT_TRUE(r.napaka().isEmpty()) << r.napaka().toStdString();
    return izpis;
}

const QString kStavekPosnetka =
    QStringLiteral("SELECT ZAP, V, N, F, D, T, C FROM P WHERE ZAP < :MEJA /* oznaka_posnetka */ ORDER BY ZAP");

// The test table P with values that COPY's text format escapes or marks, and one row
// of every other kind; an open REPEATABLE READ transaction on the driver's connection.
void pripraviTabeloP(QSqlDatabase& db)
{
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE P (ZAP INTEGER, V BIGINT, N NUMERIC(15,2), "
                                      "F DOUBLE PRECISION, D DATE, T VARCHAR(40), C CHAR(4))")));
    const QStringList besedila{QStringLiteral("a\tb"),    QStringLiteral("vrstica\nnaslednja"),
                               QStringLiteral("\\N"),     QStringLiteral("poševnica\\"),
                               QStringLiteral(""),        QString(),
                               QStringLiteral("\r\\t\b"), QStringLiteral("čšž ČŠŽ đ"),
                               QStringLiteral("N"),       QStringLiteral("\\\\N\\")};
    ASSERT_TRUE(q.prepare(QStringLiteral("INSERT INTO P VALUES (?, ?, ?, ?, ?, ?, ?)")));
    for (int i = 0; i < besedila.size(); ++i) {
        q.addBindValue(i);
        q.addBindValue(i % 3 == 2 ? QVariant(QMetaType::fromType<qlonglong>()) : QVariant(-9000000000000000000LL + i));
        q.addBindValue(i % 4 == 1 ? QVariant(QMetaType::fromType<double>()) : QVariant(-12.35 * i));
        q.addBindValue(0.1 * i);
        q.addBindValue(i % 5 == 3 ? QVariant(QMetaType::fromType<QDate>()) : QVariant(QDate(2026, 1, 31).addDays(i)));
        q.addBindValue(besedila.at(i).isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(besedila.at(i)));
        q.addBindValue(i % 2 ? QVariant(QMetaType::fromType<QString>()) : QVariant(QStringLiteral("ab")));
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    ASSERT_TRUE(db.transaction());
    ASSERT_TRUE(q.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ")));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM P"))); // the snapshot is taken here
}

// A PostgreSQL test database opened on the proven path, whatever the suite's switch.
class PgPosnetek : public ::testing::Test {
protected:
    void SetUp() override
    {
        LEDG_PRESKOCI_BREZ_BAZE(b);
        if (!jePostgreSQL(b))
            GTEST_SKIP() << "the shared snapshot is PostgreSQL's";
        db = b.odpri();
    }
    Stikalo s{nullptr};
    TestnaBaza b;
    QSqlDatabase db;
};

} // namespace

// The rows read on a second connection on the transaction's snapshot: every value as
// the cursor of the transaction itself gives it, a row another client commits after
// the snapshot not among them, and the second connection really used.
TEST_F(PgPosnetek, ASnapshotReaderGivesTheCursorsRowsOnASecondConnection)
{
    pripraviTabeloP(db);
    PGconn* tretja = tretjaPovezava(db);
    ASSERT_EQ(PQstatus(tretja), CONNECTION_OK) << PQerrorMessage(tretja);
    PGresult* r3 = PQexec(tretja, "INSERT INTO P (ZAP, T) VALUES (5, 'po posnetku')");
    EXPECT_EQ(PQresultStatus(r3), PGRES_COMMAND_OK) << PQerrorMessage(tretja);
    PQclear(r3);

    const QVariantMap meja{{QStringLiteral("MEJA"), 100}};
    Rezultat posnetek;
    posnetek.odpriNaPosnetku(db, kStavekPosnetka, meja, 3);
    EXPECT_EQ(sejeZOznako(db, QStringLiteral("oznaka_posnetka")), 1);
    const QStringList naPosnetku = vseVrednosti(posnetek);
    posnetek.zapri();
    Rezultat kazalec;
    kazalec.odpriKazalec(db, kStavekPosnetka, meja, 3);
    const QStringList sKazalcem = vseVrednosti(kazalec);
    kazalec.zapri();
    EXPECT_EQ(naPosnetku.size(), 10);
    EXPECT_EQ(naPosnetku, sKazalcem);
    db.rollback();
    PQfinish(tretja);
}

// Where the second connection would not see what the transaction sees, the rows come
// through the transaction's own cursor: below REPEATABLE READ (no snapshot to share),
// and after the transaction has written (its own rows are not in the shared snapshot).
TEST(PgNativno, ASnapshotReaderIsNotUsedWhereItWouldSeeOtherRows)
{
    Stikalo s(nullptr);
    struct Primer {
        const char* ime;
        const char* izolacija;
        bool vpis;
        int vrstic;
    };
    for (const Primer& p : {Primer{"read committed", "READ COMMITTED", false, 10},
                            Primer{"written before the read", "REPEATABLE READ", true, 11}}) {
        SCOPED_TRACE(p.ime);
        TestnaBaza b;
        LEDG_PRESKOCI_BREZ_BAZE(b);
        if (!jePostgreSQL(b))
            GTEST_SKIP() << "the shared snapshot is PostgreSQL's";
        QSqlDatabase db = b.odpri();
        pripraviTabeloP(db);
        db.rollback();
        ASSERT_TRUE(db.transaction());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL ") + QString::fromLatin1(p.izolacija)));
        if (p.vpis) {
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO P (ZAP, T) VALUES (50, 'lastna')")));
        }
        Rezultat r;
        r.odpriNaPosnetku(db, kStavekPosnetka, {{QStringLiteral("MEJA"), 100}}, 4);
        EXPECT_EQ(sejeZOznako(db, QStringLiteral("oznaka_posnetka")), 0);
        EXPECT_EQ(vseVrednosti(r).size(), p.vrstic);
        r.zapri();
        db.rollback();
    }
}

// A second connection's table lock can only wait for a lock request that itself waits
// for the transaction (another client's exclusive lock, queued behind the run's): the
// reader gives the wait up and the transaction's own cursor reads the rows.
TEST_F(PgPosnetek, ASnapshotReaderDoesNotWaitForALockQueuedBehindTheTransaction)
{
    pripraviTabeloP(db);
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("LOCK TABLE P IN ACCESS SHARE MODE")));
    PGconn* tretja = tretjaPovezava(db);
    ASSERT_EQ(PQstatus(tretja), CONNECTION_OK) << PQerrorMessage(tretja);
    ASSERT_EQ(PQsendQuery(tretja, "BEGIN; LOCK TABLE P IN ACCESS EXCLUSIVE MODE /* oznaka_zaklepa */"), 1);
    // Until the server has queued the request.
    bool caka = false;
    for (int i = 0; i < 100 && !caka; ++i) {
        QSqlQuery w(db);
        w.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
        caka =
            w.exec(QStringLiteral(
                "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() AND wait_event_type = 'Lock' "
                "AND position('oznaka_zaklepa' in query) > 0"))
            && w.next() && w.value(0).toInt() == 1;
        if (!caka)
            QThread::msleep(50);
    }
    if (!caka && PQconsumeInput(tretja) && !PQisBusy(tretja)) {
        PGresult* x = PQgetResult(tretja);
        ADD_FAILURE() << PQresStatus(PQresultStatus(x)) << " " << PQerrorMessage(tretja);
        PQclear(x);
    }
    ASSERT_TRUE(caka);

    Rezultat r;
    r.odpriNaPosnetku(db, kStavekPosnetka, {{QStringLiteral("MEJA"), 100}}, 4);
    EXPECT_EQ(vseVrednosti(r).size(), 10);
    r.zapri();
    db.rollback();
    while (PGresult* x = PQgetResult(tretja)) {
        EXPECT_EQ(PQresultStatus(x), PGRES_COMMAND_OK) << PQerrorMessage(tretja);
        PQclear(x);
    }
    PQfinish(tretja);
}

// A statement that fails after some rows ends the reading with the server's reason, as
// the cursor does; a reader closed before its end leaves no session behind.
TEST_F(PgPosnetek, ASnapshotReaderEndsWithTheServersReasonAndLeavesNoSession)
{
    pripraviTabeloP(db);
    const QString deljenje =
        QStringLiteral("SELECT g, 1 / (g - 15000) k FROM generate_series(1, 20000) g /* oznaka_deljenja */");
    Rezultat r;
    r.odpriNaPosnetku(db, deljenje, {}, 100);
    EXPECT_EQ(sejeZOznako(db, QStringLiteral("oznaka_deljenja")), 1);
    int vrstic = 0;
    for (bool je = !r.eof(); je; je = r.naslednji())
        ++vrstic;
    EXPECT_LT(vrstic, 15000);
    EXPECT_TRUE(r.napaka().contains(QStringLiteral("division by zero"))) << r.napaka().toStdString();
    r.zapri();

    r.odpriNaPosnetku(db, QStringLiteral("SELECT g FROM generate_series(1, 200000) g /* oznaka_zaprtja */"), {}, 100);
    ASSERT_FALSE(r.eof());
    EXPECT_EQ(r.celo(0), 1);
    EXPECT_EQ(sejeZOznako(db, QStringLiteral("oznaka_zaprtja")), 1);
    r.zapri();
    int ostalih = -1;
    for (int i = 0; i < 100 && ostalih != 0; ++i) {
        ostalih = sejeZOznako(db, QStringLiteral("oznaka_zaprtja"));
        if (ostalih)
            QThread::msleep(50);
    }
    EXPECT_EQ(ostalih, 0);
    db.rollback();
}

// The reading is one statement on the second connection, lasting as long as the run
// writes its file: a limit the server puts on one statement does not cut it.
TEST_F(PgPosnetek, ASnapshotReaderIsNotCutByTheServersStatementLimit)
{
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT current_database()")) && q.next());
    // A limit long enough for the second connection's own setting-up on a busy machine.
    ASSERT_TRUE(
        q.exec(QStringLiteral("ALTER DATABASE \"%1\" SET statement_timeout = '1s'").arg(q.value(0).toString())));
    ASSERT_TRUE(db.transaction());
    ASSERT_TRUE(q.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ")));
    Rezultat r;
    // Far more than the sockets' buffers hold: the server waits for the reader meanwhile.
    r.odpriNaPosnetku(
        db, QStringLiteral("SELECT g, repeat('x', 500) t FROM generate_series(1, 100000) g /* oznaka_meje */"), {},
        100);
    EXPECT_EQ(sejeZOznako(db, QStringLiteral("oznaka_meje")), 1);
    qint64 vsota = 0;
    for (bool je = !r.eof(); je; je = r.naslednji()) {
        vsota += r.celo(0);
        if (r.trenutnaVrstica() == 0)
            QThread::msleep(2000);
    }
    EXPECT_TRUE(r.napaka().isEmpty()) << r.napaka().toStdString();
    EXPECT_EQ(vsota, 100000LL * 100001 / 2);
    r.zapri();
    db.rollback();
}

// While the server works on the statement before its first row (the sort), the run's
// window is called every few dozen milliseconds: the second connection's wait is no
// blind one.
TEST_F(PgPosnetek, ASnapshotReaderCallsTheWindowWhileTheServerSorts)
{
    ASSERT_TRUE(db.transaction());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ")));
    int klicev = 0;
    const std::unique_ptr<Pogon::Odzivnost> odzivnost = Pogon::za(db)->odzivnost([&] { ++klicev; });
    ASSERT_NE(odzivnost, nullptr);
    Rezultat r;
    r.odpriNaPosnetku(
        db, QStringLiteral("SELECT g FROM generate_series(1, 4) g WHERE pg_sleep(0.1) IS NOT NULL ORDER BY g DESC"), {},
        100);
    EXPECT_GE(klicev, 4);
    QList<qint64> prebrane;
    for (bool je = !r.eof(); je; je = r.naslednji())
        prebrane << r.celo(0);
    EXPECT_EQ(prebrane, (QList<qint64>{4, 3, 2, 1}));
    r.zapri();
    db.rollback();
}

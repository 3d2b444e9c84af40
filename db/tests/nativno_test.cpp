#include "mnozicnivnos.h"
#include "nativno.h"
#include "okolje.h"
#include "pgnativno.h"
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
#include <QTemporaryDir>

#include <cstring>
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
    const QList<MnozicniVnos::Stolpec> stolpci = {{QStringLiteral("ZAP"), QStringLiteral("INTEGER")},
                                                  {QStringLiteral("D"), QStringLiteral("DATE")},
                                                  {QStringLiteral("T"), QStringLiteral("VARCHAR(20)")},
                                                  {QStringLiteral("R"), QStringLiteral("DOUBLE PRECISION")}};
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
    MnozicniVnos vnos(
        tx, QStringLiteral("KV"),
        {{QStringLiteral("ZAP"), QStringLiteral("INTEGER")}, {QStringLiteral("T"), QStringLiteral("VARCHAR(20)")}},
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
        MnozicniVnos vnos(
            tx, QStringLiteral("BV"),
            {{QStringLiteral("ZAP"), QStringLiteral("INTEGER")}, {QStringLiteral("T"), QStringLiteral("TEXT")}},
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

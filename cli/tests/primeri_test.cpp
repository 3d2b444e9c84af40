#include "batch.h"
#include "povezava.h"
#include "testnabaza.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

// Whole-file regression cases: every subfolder of primeri/ (at the top of the source
// tree) is one case, found when the suite starts, so that a case is added with files
// alone. A case folder holds:
//   knjiga.sql    the book, schema and rows: statements that end with ';' at the end of
//                 a line; lines that start with "--" are comments. Plain SQL that SQLite
//                 and PostgreSQL both run (DOUBLE PRECISION, DATE 'yyyy-MM-dd' as text).
//   ukaz.txt      the runs of ledgxfer-batch, in order, one a line: the exit code the run
//                 must end with, then its arguments, quoted as a shell would quote them.
//                 {alias} is the book's alias, {mapa} the folder the outputs go to; blank
//                 lines and lines that start with '#' are skipped. The test database's
//                 login is added to each run.
//   pricakovano/  the files the runs must leave in {mapa}, byte for byte, and no others.
//                 In them {danes} stands for the day of the run as yyyyMMdd (a ledger
//                 file carries the day it was written).

namespace {

QString mapaPrimerov() { return QStringLiteral(LEDGXFER_PRIMERI_DIR); }

struct Primer {
    std::string ime; // the test's name: the folder's, with '_' for what a name cannot hold
    QString mapa;
};

std::vector<Primer> najdiPrimere()
{
    std::vector<Primer> primeri;
    const QDir koren(mapaPrimerov());
    for (const QString& ime : koren.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        std::string imeTesta = ime.toStdString();
        std::replace_if(
            imeTesta.begin(), imeTesta.end(),
            [](char c) { return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')); }, '_');
        primeri.push_back({imeTesta, koren.filePath(ime)});
    }
    return primeri;
}

QByteArray preberi(const QString& pot)
{
    QFile f(pot);
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << pot.toStdString() << ": " << f.errorString().toStdString();
    return f.readAll();
}

// The statements of knjiga.sql.
QStringList stavki(const QString& pot)
{
    QStringList izid;
    QString stavek;
    for (const QString& vrstica : QString::fromUtf8(preberi(pot)).split(u'\n')) {
        const QString t = vrstica.trimmed();
        if (t.startsWith(QStringLiteral("--")))
            continue;
        stavek += vrstica + u'\n';
        if (t.endsWith(u';')) {
            stavek = stavek.trimmed();
            stavek.chop(1);
            izid << stavek;
            stavek.clear();
        }
    }
    if (!stavek.trimmed().isEmpty())
        ADD_FAILURE() << pot.toStdString() << " ends with a statement without ';': " << stavek.toStdString();
    return izid;
}

// One run of ukaz.txt: the exit code it must end with and its arguments.
struct Zagon {
    int koda = 0;
    QStringList argumenti;
    int vrstica = 0;
};

std::vector<Zagon> zagoni(const QString& pot, const QString& alias, const QString& izhodi)
{
    std::vector<Zagon> izid;
    int st = 0;
    for (const QString& vrstica : QString::fromUtf8(preberi(pot)).split(u'\n')) {
        ++st;
        const QString t = vrstica.trimmed();
        if (t.isEmpty() || t.startsWith(u'#'))
            continue;
        QStringList deli = QProcess::splitCommand(t);
        bool ok = false;
        const int koda = deli.takeFirst().toInt(&ok);
        if (!ok || deli.isEmpty()) {
            ADD_FAILURE() << pot.toStdString() << ":" << st
                          << ": an exit code, then the arguments: " << t.toStdString();
            continue;
        }
        for (QString& d : deli)
            d.replace(QStringLiteral("{alias}"), alias).replace(QStringLiteral("{mapa}"), izhodi);
        izid.push_back({koda, deli, st});
    }
    return izid;
}

// The bytes around `mesto`, control bytes and bytes outside ASCII written as \xNN.
std::string okolica(const QByteArray& b, qsizetype mesto)
{
    std::string s;
    const qsizetype od = std::max<qsizetype>(0, mesto - 20);
    const qsizetype do_ = std::min<qsizetype>(b.size(), mesto + 20);
    for (qsizetype i = od; i < do_; ++i) {
        const auto c = static_cast<unsigned char>(b.at(i));
        if (i == mesto)
            s += "[>]";
        if (c >= 0x20 && c < 0x7f) {
            s += static_cast<char>(c);
        } else {
            static const char hex[] = "0123456789abcdef";
            s += "\\x";
            s += hex[c >> 4];
            s += hex[c & 15];
        }
    }
    return s;
}

// Empty when the bytes are equal, else where and how they first differ.
std::string razlika(const QByteArray& pricakovano, const QByteArray& dobljeno)
{
    if (pricakovano == dobljeno)
        return {};
    const qsizetype n = std::min(pricakovano.size(), dobljeno.size());
    qsizetype mesto = 0;
    while (mesto < n && pricakovano.at(mesto) == dobljeno.at(mesto))
        ++mesto;
    const qsizetype vrstica = pricakovano.left(mesto).count('\n') + 1;
    const qsizetype stolpec = mesto - (pricakovano.lastIndexOf('\n', mesto - 1) + 1) + 1;
    return "first difference at byte offset " + std::to_string(mesto) + " (line " + std::to_string(vrstica)
           + ", column " + std::to_string(stolpec) + "); expected " + std::to_string(pricakovano.size())
           + " bytes, got " + std::to_string(dobljeno.size()) + "\n  expected: " + okolica(pricakovano, mesto)
           + "\n  got:      " + okolica(dobljeno, mesto);
}

void PrintTo(const Primer& p, std::ostream* os) { *os << p.mapa.toStdString(); }

class Primeri : public ::testing::TestWithParam<Primer> {};

} // namespace

TEST_P(Primeri, TheRunsLeaveExactlyTheExpectedFiles)
{
    const QDir primer(GetParam().mapa);
    TestnaBaza baza(QStringLiteral("LB"), false);
    LEDG_PRESKOCI_BREZ_BAZE(baza);
    {
        QSqlQuery q(baza.odpri());
        for (const QString& s : stavki(primer.filePath(QStringLiteral("knjiga.sql"))))
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    }
    povezava::zapriVse();

    QTemporaryDir izhodi;
    ASSERT_TRUE(izhodi.isValid());
    const std::vector<Zagon> runs = zagoni(primer.filePath(QStringLiteral("ukaz.txt")), baza.alias(), izhodi.path());
    ASSERT_FALSE(runs.empty()) << "ukaz.txt names no run";
    const QDate prej = QDate::currentDate();
    for (const Zagon& z : runs) {
        const IzidBatch i = zazeniBatch(baza, z.argumenti);
        ASSERT_EQ(i.koda, z.koda) << "ukaz.txt:" << z.vrstica << ": " << z.argumenti.join(u' ').toStdString() << "\n"
                                  << i.izhod.toStdString() << i.napake.toStdString();
    }
    const QDate potem = QDate::currentDate();

    const QDir pricakovano(primer.filePath(QStringLiteral("pricakovano")));
    const QStringList imena = pricakovano.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(QDir(izhodi.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), imena)
        << "the files left in the output folder";
    for (const QString& ime : imena) {
        const QByteArray vzorec = preberi(pricakovano.filePath(ime));
        const QByteArray dobljeno = preberi(QDir(izhodi.path()).filePath(ime));
        // A run that passed midnight may carry either day.
        std::string prva;
        bool enako = false;
        for (const QDate& dan : {potem, prej}) {
            const std::string r =
                razlika(QByteArray(vzorec).replace("{danes}", dan.toString(u"yyyyMMdd").toLatin1()), dobljeno);
            enako = enako || r.empty();
            if (prva.empty())
                prva = r;
        }
        EXPECT_TRUE(enako) << ime.toStdString() << ": " << prva;
    }
}

INSTANTIATE_TEST_SUITE_P(Mapa, Primeri, ::testing::ValuesIn(najdiPrimere()),
                         [](const ::testing::TestParamInfo<Primer>& i) { return i.param.ime; });

// An empty list would make the suite above pass without checking anything.
TEST(PrimeriMapa, HoldsCases) { EXPECT_FALSE(najdiPrimere().empty()) << mapaPrimerov().toStdString(); }

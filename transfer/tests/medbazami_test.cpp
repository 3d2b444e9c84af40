#include "dnevnik.h"
#include "izris.h"
#include "demoknjiga.h"
#include "pdf.h"
#include "poizvedba.h"
#include "povezava.h"
#include "pregled.h"
#include "prenos.h"
#include "rezultat.h"
#include "rezultatvir.h"
#include "snemalnik.h"
#include "spremenljivka.h"
#include "testnabaza.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// What a transfer leaves behind: the file and every database effect, as text.
struct Izid {
    QByteArray datoteka;
    QStringList sporocila;
    QStringList oznake;    // CTRL and PRENOS of every posting
    QStringList register_; // the register rows
    QStringList izravnave; // the adjustment rows, sorted
    QStringList dnevnik;   // the text of the transfer's journal, line by line
};

QString besedilo(const QVariant& v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 17);
    return vrednostNiz(v).trimmed();
}

QStringList vrstice(QSqlDatabase db, const QString& sql, const QStringList& datumi = {})
{
    Poizvedba q(db);
    q.odpri(sql);
    QStringList izhod;
    while (q.naslednji()) {
        QStringList polja;
        const QSqlRecord r = q.q().record();
        for (int i = 0; i < r.count(); ++i) {
            const bool datum = datumi.contains(r.fieldName(i), Qt::CaseInsensitive);
            const QVariant v = q.q().value(i);
            if (datum)
                polja << vrednostDatum(v).toString(Qt::ISODate);
            else if (r.fieldName(i).compare(QStringLiteral("PRENOS"), Qt::CaseInsensitive) == 0
                     || r.fieldName(i).compare(QStringLiteral("VP"), Qt::CaseInsensitive) == 0)
                polja << (v.isNull() ? QStringLiteral("NULL") : QString::number(vrednostCelo(v)));
            else if (r.fieldName(i).startsWith(QStringLiteral("Z"), Qt::CaseInsensitive)
                     || r.fieldName(i).compare(QStringLiteral("RAZLIKA"), Qt::CaseInsensitive) == 0)
                polja << QString::number(vrednostRealno(v), 'g', 17);
            else
                polja << besedilo(v);
        }
        izhod << polja.join(u'|');
    }
    return izhod;
}

Izid prenesi(TestnaBaza& b)
{
    QSqlDatabase db = b.odpri();
    napolniDemo(db, QDate(2018, 1, 31), 3000);
    Snemalnik s;
    Rezultat Q1;
    const QString pot = QDir(b.mapa()).filePath(QStringLiteral("GKDODAT2.TXT"));
    const IzidPrenosa koncan =
        Zapis({pot, QStringLiteral("0"), QDate(2018, 1, 1), QDate(2018, 1, 31), b.alias()}, Q1, s, s);
    EXPECT_EQ(koncan, IzidPrenosa::Opravljen) << b.gonilnik().toStdString();
    Q1.zapri();
    Izid izid;
    QFile f(pot);
    if (f.open(QIODevice::ReadOnly))
        izid.datoteka = f.readAll();
    izid.sporocila = s.sporocila;
    izid.oznake = vrstice(db, QStringLiteral("SELECT CTRL, PRENOS FROM KNJIZBE ORDER BY CTRL"));
    izid.register_ = vrstice(db,
                             QStringLiteral("SELECT STPRENOSA, DATUM1, DATUM2, DATUMPRENOSA FROM LEDGXFER"
                                            " ORDER BY STPRENOSA"),
                             {QStringLiteral("DATUM1"), QStringLiteral("DATUM2"), QStringLiteral("DATUMPRENOSA")});
    izid.izravnave = vrstice(db,
                             QStringLiteral("SELECT PRENOS, VP, DAN, KONTO, SFDJV, PARTNER, ZNESEK, ZAOKROZEN,"
                                            " RAZLIKA FROM IZRAVNAVE"),
                             {QStringLiteral("DAN")});
    std::sort(izid.izravnave.begin(), izid.izravnave.end());

    // The journal of the transfer, as "&Izpis" and `journal` print it after opening it,
    // at a fixed time, so that only the rows and their order can differ.
    GlavaDnevnika glava;
    glava.stevilkaTemeljnice = QStringLiteral("1");
    glava.iniciator = QStringLiteral("Ana Novak");
    StavekVir vir(db, stavekKnjizbPrenosa(1),
                  {{QStringLiteral("DATUM1"), QDate(2018, 1, 1)}, {QStringLiteral("DATUM2"), QDate(2018, 1, 31)}});
    if (vir.prvi())
        preberiDatumeGlave(vir, glava);
    const QString pdf = QDir(b.mapa()).filePath(QStringLiteral("dnevnik.pdf"));
    const IzidPdf natisnjen = zapisiPdf(opisDnevnika(glava), vir, pdf, QDateTime(QDate(2018, 2, 1), QTime(8, 0)));
    EXPECT_TRUE(natisnjen.uspeh) << b.gonilnik().toStdString() << ": " << natisnjen.napaka.toStdString();
    EXPECT_TRUE(vir.zadnjaNapaka().isEmpty()) << vir.zadnjaNapaka().toStdString();
    izid.dnevnik = besediloPdf(pdf).split(u'\n');
    return izid;
}

// The first difference of two lists, for a readable failure.
std::string razlika(const QStringList& a, const QStringList& b)
{
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a.at(i) != b.at(i))
            return QStringLiteral("row %1: %2 <> %3").arg(i).arg(a.at(i), b.at(i)).toStdString();
    return QStringLiteral("%1 rows <> %2 rows").arg(a.size()).arg(b.size()).toStdString();
}

} // namespace

// The same book transferred on SQLite, on PostgreSQL and through ODBC (a DSN of a
// temporary odbc.ini and the PostgreSQL ODBC driver) gives the same bytes and the
// same marks, register row and adjustment rows, and its journal the same text: rows
// that tie on the journal's sort keys (account, activity, booking date, side,
// currency) come out in the order of their CTRL on every engine.
TEST(MedBazami, SameTransferGivesTheSameFileAndEffectsOnEveryEngine)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    TestnaBaza sqlite(QStringLiteral("SQ"), true, QStringLiteral("sqlite"));
    TestnaBaza pg(QStringLiteral("PG"), true, QStringLiteral("postgresql"));
    LEDG_PRESKOCI_BREZ_BAZE(pg);
    TestnaBaza odbc(QStringLiteral("OD"), true, QStringLiteral("odbc-dsn"));
    LEDG_PRESKOCI_BREZ_BAZE(odbc);

    const Izid a = prenesi(sqlite);
    const Izid b = prenesi(pg);
    const Izid c = prenesi(odbc);

    ASSERT_GT(a.datoteka.size(), 100000);
    EXPECT_EQ(a.sporocila.size(), 1);
    EXPECT_TRUE(a.datoteka == b.datoteka) << "PostgreSQL file differs";
    EXPECT_TRUE(a.datoteka == c.datoteka) << "ODBC file differs";
    EXPECT_EQ(a.sporocila, b.sporocila);
    EXPECT_EQ(a.sporocila, c.sporocila);
    EXPECT_TRUE(a.oznake == b.oznake) << razlika(a.oznake, b.oznake);
    EXPECT_TRUE(a.oznake == c.oznake) << razlika(a.oznake, c.oznake);
    EXPECT_TRUE(a.register_ == b.register_) << razlika(a.register_, b.register_);
    EXPECT_TRUE(a.register_ == c.register_) << razlika(a.register_, c.register_);
    // The demo book alone is untransferred: this run is transfer 1.
    ASSERT_EQ(a.register_.size(), 1);
    EXPECT_TRUE(a.register_.at(0).startsWith(QStringLiteral("1|2018-01-01|2018-01-31|")))
        << a.register_.at(0).toStdString();
    EXPECT_TRUE(a.izravnave == b.izravnave) << razlika(a.izravnave, b.izravnave);
    EXPECT_TRUE(a.izravnave == c.izravnave) << razlika(a.izravnave, c.izravnave);
    EXPECT_GT(a.izravnave.size(), 1000);
    // Every posting of the transfer is a line of the journal.
    EXPECT_GT(a.dnevnik.size(), a.izravnave.size());
    EXPECT_TRUE(a.dnevnik == b.dnevnik) << "PostgreSQL journal differs: " << razlika(a.dnevnik, b.dnevnik);
    EXPECT_TRUE(a.dnevnik == c.dnevnik) << "ODBC journal differs: " << razlika(a.dnevnik, c.dnevnik);
}

namespace {

// LEDGXFER_NATIVNO for one scope.
class Stikalo : public ZacasnaSpremenljivka {
public:
    explicit Stikalo(const char* vrednost) : ZacasnaSpremenljivka("LEDGXFER_NATIVNO", vrednost) {}
};

class PotiBranja : public ::testing::TestWithParam<const char*> {};

} // namespace

// The same book transferred on one engine past the driver (where this build proves the
// driver's handle to be the program's) and through the driver alone (LEDGXFER_NATIVNO=0,
// the path wherever there is no proof) gives the same bytes, effects and journal.
TEST_P(PotiBranja, TheDriverPathGivesTheSameFileAndEffectsAsThePathPastIt)
{
    LEDG_PRESKOCI_BREZ_PDFTOTEXT();
    const QString gonilnik = QString::fromLatin1(GetParam());
    TestnaBaza mimo(QStringLiteral("MI"), true, gonilnik);
    LEDG_PRESKOCI_BREZ_BAZE(mimo);
    TestnaBaza skozi(QStringLiteral("SK"), true, gonilnik);
    LEDG_PRESKOCI_BREZ_BAZE(skozi);

    Izid a;
    {
        Stikalo s(nullptr);
        a = prenesi(mimo);
    }
    Izid b;
    {
        Stikalo s("0");
        b = prenesi(skozi);
    }
    ASSERT_GT(a.datoteka.size(), 100000);
    EXPECT_TRUE(a.datoteka == b.datoteka) << "the driver path's file differs";
    EXPECT_EQ(a.sporocila, b.sporocila);
    EXPECT_TRUE(a.oznake == b.oznake) << razlika(a.oznake, b.oznake);
    EXPECT_TRUE(a.register_ == b.register_) << razlika(a.register_, b.register_);
    EXPECT_TRUE(a.izravnave == b.izravnave) << razlika(a.izravnave, b.izravnave);
    EXPECT_GT(a.izravnave.size(), 1000);
    EXPECT_TRUE(a.dnevnik == b.dnevnik) << razlika(a.dnevnik, b.dnevnik);
}

INSTANTIATE_TEST_SUITE_P(Pogoni, PotiBranja, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return std::string(info.param); });

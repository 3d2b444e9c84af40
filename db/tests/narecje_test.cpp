#include "narecje.h"

#include <gtest/gtest.h>

namespace {

struct PrimerPrevoda {
    const char* vhod;
    QSqlDriver::DbmsType dbms;
    const char* izhod;
    const char* ime = nullptr; // the case's name after its engine
};

const char* imeStreznika(QSqlDriver::DbmsType dbms)
{
    switch (dbms) {
    case QSqlDriver::SQLite: return "sqlite";
    case QSqlDriver::PostgreSQL: return "postgresql";
    case QSqlDriver::DB2: return "db2";
    default: return "drug";
    }
}

void PrintTo(const PrimerPrevoda& p, std::ostream* os) { *os << imeStreznika(p.dbms) << ": " << p.vhod; }

// "sqlite_AliasInTableName": the engine and the case, or its position when unnamed.
std::string imePrimera(const ::testing::TestParamInfo<PrimerPrevoda>& i)
{
    return std::string(imeStreznika(i.param.dbms)) + '_'
           + (i.param.ime ? std::string(i.param.ime) : std::to_string(i.index));
}

class Narecje : public ::testing::TestWithParam<PrimerPrevoda> {};

} // namespace

TEST_P(Narecje, RewritesOnlyTheFormsTheServerRefuses)
{
    const PrimerPrevoda& p = GetParam();
    EXPECT_EQ(prevediStavek(QString::fromUtf8(p.vhod), p.dbms), QString::fromUtf8(p.izhod));
}

INSTANTIATE_TEST_SUITE_P(
    Primeri, Narecje,
    ::testing::Values(
        // Alias-qualified table: every driver gets the plain name.
        PrimerPrevoda{"SELECT * FROM ':LB:pog' WHERE IdPog>=1", QSqlDriver::SQLite, "SELECT * FROM pog WHERE IdPog>=1",
                      "AliasInTableName"},
        PrimerPrevoda{"SELECT * FROM ':LB:pog'", QSqlDriver::PostgreSQL, "SELECT * FROM pog", "AliasInTableName"},
        // The table file name in double quotes names the table.
        PrimerPrevoda{"CREATE TABLE  \"GrupeDog.db\" (IdGrupe char(2) )", QSqlDriver::SQLite,
                      "CREATE TABLE  GrupeDog (IdGrupe char(2) )", "TableFileName"},
        // Double-quoted text literals become single-quoted; quotes inside are doubled.
        PrimerPrevoda{"SELECT * FROM GrupeDog WHERE IdGrupe=\"05\" ", QSqlDriver::PostgreSQL,
                      "SELECT * FROM GrupeDog WHERE IdGrupe='05' ", "DoubleQuotedText"},
        PrimerPrevoda{"UPDATE T SET N=\"it's\"", QSqlDriver::SQLite, "UPDATE T SET N='it''s'", "QuoteInsideText"},
        // DOUBLE only on PostgreSQL, never twice, never inside a literal.
        PrimerPrevoda{"CREATE TABLE X (ZNESEK DOUBLE,RAZLIKA DOUBLE)", QSqlDriver::PostgreSQL,
                      "CREATE TABLE X (ZNESEK DOUBLE PRECISION,RAZLIKA DOUBLE PRECISION)", "Double"},
        PrimerPrevoda{"CREATE TABLE X (Z DOUBLE PRECISION)", QSqlDriver::PostgreSQL,
                      "CREATE TABLE X (Z DOUBLE PRECISION)", "DoublePrecisionKept"},
        PrimerPrevoda{"CREATE TABLE X (ZNESEK DOUBLE)", QSqlDriver::DB2, "CREATE TABLE X (ZNESEK DOUBLE)",
                      "DoubleKept"},
        PrimerPrevoda{"SELECT 'DOUBLE \"x\"' FROM T", QSqlDriver::PostgreSQL, "SELECT 'DOUBLE \"x\"' FROM T",
                      "DoubleInsideTextKept"},
        // NULL keys sort as on the servers: last ascending, first descending; SQLite only.
        PrimerPrevoda{"SELECT * FROM K ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA", QSqlDriver::SQLite,
                      "SELECT * FROM K ORDER BY  S.OZNAKA NULLS LAST, D.SFDJV NULLS LAST,  K.DATUMK NULLS LAST,"
                      " K.STRAN NULLS LAST, K.VALUTA NULLS LAST",
                      "NullsLastAscending"},
        PrimerPrevoda{"SELECT * FROM  LEDGXFER  ORDER BY StPrenosa DESC ", QSqlDriver::SQLite,
                      "SELECT * FROM  LEDGXFER  ORDER BY StPrenosa DESC NULLS FIRST ", "NullsFirstDescending"},
        PrimerPrevoda{
            "SELECT * FROM (SELECT A FROM T ORDER BY A) X WHERE B='ORDER BY' ORDER BY B nulls first LIMIT 3",
            QSqlDriver::SQLite,
            "SELECT * FROM (SELECT A FROM T ORDER BY A NULLS LAST) X WHERE B='ORDER BY' ORDER BY B nulls first LIMIT 3",
            "NullsLastInSubqueryNotInText"},
        PrimerPrevoda{"SELECT * FROM K ORDER BY  S.OZNAKA, K.VALUTA", QSqlDriver::PostgreSQL,
                      "SELECT * FROM K ORDER BY  S.OZNAKA, K.VALUTA", "OrderByKept"},
        // Statements without such forms pass unchanged, spaces included.
        PrimerPrevoda{"SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV FROM KNJIZBE  K  WHERE K.DATUMK>=:DATUM1 ",
                      QSqlDriver::PostgreSQL,
                      "SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV FROM KNJIZBE  K  WHERE K.DATUMK>=:DATUM1 ",
                      "PlainStatementKept"}),
    imePrimera);

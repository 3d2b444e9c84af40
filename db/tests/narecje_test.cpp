#include "narecje.h"

#include <gtest/gtest.h>

struct PrimerPrevoda {
    const char* vhod;
    QSqlDriver::DbmsType dbms;
    const char* izhod;
};

class Narecje : public ::testing::TestWithParam<PrimerPrevoda> {};

TEST_P(Narecje, RewritesOnlyTheFormsTheServerRefuses)
{
    const PrimerPrevoda& p = GetParam();
    EXPECT_EQ(prevediStavek(QString::fromUtf8(p.vhod), p.dbms), QString::fromUtf8(p.izhod));
}

INSTANTIATE_TEST_SUITE_P(
    Primeri, Narecje,
    ::testing::Values(
        // Alias-qualified table: every driver gets the plain name.
        PrimerPrevoda{"SELECT * FROM ':LB:pog' WHERE IdPog>=1", QSqlDriver::SQLite,
                      "SELECT * FROM pog WHERE IdPog>=1"},
        PrimerPrevoda{"SELECT * FROM ':LB:pog'", QSqlDriver::PostgreSQL, "SELECT * FROM pog"},
        // The table file name in double quotes names the table.
        PrimerPrevoda{"CREATE TABLE  \"GrupeDog.db\" (IdGrupe char(2) )", QSqlDriver::SQLite,
                      "CREATE TABLE  GrupeDog (IdGrupe char(2) )"},
        // Double-quoted text literals become single-quoted; quotes inside are doubled.
        PrimerPrevoda{"SELECT * FROM GrupeDog WHERE IdGrupe=\"05\" ", QSqlDriver::PostgreSQL,
                      "SELECT * FROM GrupeDog WHERE IdGrupe='05' "},
        PrimerPrevoda{"UPDATE T SET N=\"it's\"", QSqlDriver::SQLite, "UPDATE T SET N='it''s'"},
        // DOUBLE only on PostgreSQL, never twice, never inside a literal.
        PrimerPrevoda{"CREATE TABLE X (ZNESEK DOUBLE,RAZLIKA DOUBLE)", QSqlDriver::PostgreSQL,
                      "CREATE TABLE X (ZNESEK DOUBLE PRECISION,RAZLIKA DOUBLE PRECISION)"},
        PrimerPrevoda{"CREATE TABLE X (Z DOUBLE PRECISION)", QSqlDriver::PostgreSQL,
                      "CREATE TABLE X (Z DOUBLE PRECISION)"},
        PrimerPrevoda{"CREATE TABLE X (ZNESEK DOUBLE)", QSqlDriver::DB2, "CREATE TABLE X (ZNESEK DOUBLE)"},
        PrimerPrevoda{"SELECT 'DOUBLE \"x\"' FROM T", QSqlDriver::PostgreSQL,
                      "SELECT 'DOUBLE \"x\"' FROM T"},
        // NULL keys sort as on the servers: last ascending, first descending; SQLite only.
        PrimerPrevoda{"SELECT * FROM K ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA",
                      QSqlDriver::SQLite,
                      "SELECT * FROM K ORDER BY  S.OZNAKA NULLS LAST, D.SFDJV NULLS LAST,  K.DATUMK NULLS LAST,"
                      " K.STRAN NULLS LAST, K.VALUTA NULLS LAST"},
        PrimerPrevoda{"SELECT * FROM  LEDGXFER  ORDER BY StPrenosa DESC ", QSqlDriver::SQLite,
                      "SELECT * FROM  LEDGXFER  ORDER BY StPrenosa DESC NULLS FIRST "},
        PrimerPrevoda{"SELECT * FROM (SELECT A FROM T ORDER BY A) X WHERE B='ORDER BY' ORDER BY B nulls first LIMIT 3",
                      QSqlDriver::SQLite,
                      "SELECT * FROM (SELECT A FROM T ORDER BY A NULLS LAST) X WHERE B='ORDER BY' ORDER BY B nulls first LIMIT 3"},
        PrimerPrevoda{"SELECT * FROM K ORDER BY  S.OZNAKA, K.VALUTA", QSqlDriver::PostgreSQL,
                      "SELECT * FROM K ORDER BY  S.OZNAKA, K.VALUTA"},
        // Statements without such forms pass unchanged, spaces included.
        PrimerPrevoda{"SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV FROM KNJIZBE  K  WHERE K.DATUMK>=:DATUM1 ",
                      QSqlDriver::PostgreSQL,
                      "SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV FROM KNJIZBE  K  WHERE K.DATUMK>=:DATUM1 "}));

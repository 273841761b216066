#include "frame/db/sql_dialect.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "frame/db/database.h"
#include "frame/errors.h"

namespace ravadid::db {
namespace {

using dialect::TokenKind;

struct TranslationCase {
  const char* name;
  const char* dialect;
  const char* sqlite;
};

class SqlDialectTranslation : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(SqlDialectTranslation, RewritesToSqlite) {
  EXPECT_EQ(translateSql(GetParam().dialect), GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    SqlShapes, SqlDialectTranslation,
    ::testing::Values(
        TranslationCase{"PlainSelectPassesThrough", "select * from District",
                        "select * from District"},
        TranslationCase{"TrailingSemicolonKept",
                        "SELECT CUSTOMER.CUSTOMER From CUSTOMER order by CUSTOMER.CUSTOMER;",
                        "SELECT CUSTOMER.CUSTOMER From CUSTOMER order by CUSTOMER.CUSTOMER;"},
        TranslationCase{"TrimComparesIgnoringCase",
                        "Select * from KRSCU where trim$(KRSCU.KRSC1) = 'jsmith'",
                        "Select * from KRSCU where vb_trim(KRSCU.KRSC1) COLLATE VB_NOCASE = "
                        "'jsmith'"},
        TranslationCase{"NestedTextFunctions", "WHERE trim$(ucase$(CUSTOMER.CUSTOMER))='LHS';",
                        "WHERE vb_trim(vb_ucase(CUSTOMER.CUSTOMER) COLLATE VB_NOCASE) COLLATE "
                        "VB_NOCASE='LHS';"},
        TranslationCase{"UcaseLike", "WHERE ucase$(Customer.CUSTNAME) like 'LARK%'",
                        "WHERE vb_ucase(Customer.CUSTNAME) COLLATE VB_NOCASE like 'LARK%'"},
        TranslationCase{"TextLiteralsComparedFoldByUnicodeDatesAndNumbersKeepTheirOrder",
                        "WHERE C.CUSTOMER = 'lhs' AND 'x' <> C.N AND D >= #3/5/2024# AND N = 5",
                        "WHERE C.CUSTOMER = 'lhs' COLLATE VB_NOCASE AND 'x' COLLATE VB_NOCASE <> "
                        "C.N AND D >= '2024-03-05 00:00:00' AND N = 5"},
        TranslationCase{"EqualityWithAnAsciiLiteralNoOtherTextCanFoldToUsesNocase",
                        "WHERE C = 'BEN' AND 'ben' = C AND C = 'LHS' AND C = 'Kay' AND C = 'Fo' "
                        "AND C = 'Bén' AND C < 'BEN' AND C <> 'BEN'",
                        "WHERE C = 'BEN' COLLATE NOCASE AND 'ben' COLLATE NOCASE = C AND C = "
                        "'LHS' COLLATE VB_NOCASE AND C = 'Kay' COLLATE VB_NOCASE AND C = 'Fo' "
                        "COLLATE VB_NOCASE AND C = 'Bén' COLLATE VB_NOCASE AND C < 'BEN' COLLATE "
                        "VB_NOCASE AND C <> 'BEN' COLLATE VB_NOCASE"},
        TranslationCase{"BooleanWords",
                        "WHERE Fund.Active = True AND (X.ACTIVE=TRUE) AND Y.B = FALSE",
                        "WHERE Fund.Active = 1 AND (X.ACTIVE=1) AND Y.B = 0"},
        TranslationCase{"DateLiteral", "where NoteDate = #3/5/2024#",
                        "where NoteDate = '2024-03-05 00:00:00'"},
        TranslationCase{"DateLiteralWithTime", "D >= #3/5/2024 10:30:00 PM# and D <= #12/31/2024#",
                        "D >= '2024-03-05 22:30:00' and D <= '2024-12-31 00:00:00'"},
        TranslationCase{"DateValueAndClng",
                        "DateValue(T.STATUS_DATE) AS Expr1 WHERE TRIPNUM = CLNG(5) AND "
                        "datevalue(T.R) >= #3/1/2024#",
                        "vb_datevalue(T.STATUS_DATE) AS Expr1 WHERE TRIPNUM = vb_clng(5) AND "
                        "vb_datevalue(T.R) >= '2024-03-01 00:00:00'"},
        TranslationCase{"IsNull", "KRSCU.CUSTOMER='' or isnull(KRSCU.CUSTOMER))",
                        "KRSCU.CUSTOMER='' COLLATE NOCASE or vb_isnull(KRSCU.CUSTOMER))"},
        TranslationCase{"DateCallWithoutArguments", "WHERE D = Date() AND T.Date = 1",
                        "WHERE D = vb_date() AND T.Date = 1"},
        TranslationCase{
            "ConcatenationOfStrAndColumns",
            "SELECT (STR(DESTINATION.DESTINATION)&' - '&DESTINATION.DESTDESC) AS "
            "TYPEDESCRIPTION, ",
            "SELECT (vb_concat(vb_str(DESTINATION.DESTINATION) COLLATE VB_NOCASE, ' - ', "
            "DESTINATION.DESTDESC) COLLATE VB_NOCASE) AS TYPEDESCRIPTION, "},
        TranslationCase{"ConcatenationBothSidesOfComparison", "WHERE a & b = c&'x' AND d",
                        "WHERE vb_concat(a, b) COLLATE VB_NOCASE = vb_concat(c, 'x') COLLATE "
                        "VB_NOCASE AND d"},
        TranslationCase{"ArithmeticBindsTighterThanConcatenation", "SELECT x + 1 & y AS z",
                        "SELECT vb_concat(x + 1, y) COLLATE VB_NOCASE AS z"},
        TranslationCase{"AmpersandInsideLiteralUntouched", "WHERE N = 'O''Brien & Co'",
                        "WHERE N = 'O''Brien & Co' COLLATE NOCASE"},
        TranslationCase{"SumOverSubSelectTakesTheSubSelect",
                        "SUM(SELECT COUNT(*) FROM TRIPSPLIT WHERE TRIPS.TRIPCAT = '') AS N, ",
                        "(SELECT COUNT(*) FROM TRIPSPLIT WHERE TRIPS.TRIPCAT = '' COLLATE "
                        "NOCASE) AS N, "},
        TranslationCase{"OtherAggregateOverSubSelectWrapped", "MAX(SELECT A FROM T) AS M",
                        "MAX((SELECT A FROM T)) AS M"},
        TranslationCase{"OrdinarySumUntouched", "SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS",
                        "SUM(TRIPS.NUMSTUDENTS) AS NUMBEROFSTUDENTS"},
        TranslationCase{
            "NestedLeftJoinsPassThrough",
            "FROM ((TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) "
            "LEFT JOIN CUSTOMER AS CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER) ",
            "FROM ((TRIPS LEFT JOIN CUSTOMER ON TRIPS.CUSTOMER = CUSTOMER.CUSTOMER) "
            "LEFT JOIN CUSTOMER AS CUSTOMER_1 ON TRIPS.BILLCUST = CUSTOMER_1.CUSTOMER) "},
        TranslationCase{"BracketedName", "SELECT [INVOICE_COMMENT#1], [a\"b] FROM T",
                        "SELECT \"INVOICE_COMMENT#1\", \"a\"\"b\" FROM T"},
        TranslationCase{"DoubleQuotedTextIsALiteral", "WHERE A = \"it's\"",
                        "WHERE A = 'it''s' COLLATE VB_NOCASE"},
        TranslationCase{"NameWithNumberSign", "SELECT INVOICE_COMMENT#1 FROM T",
                        "SELECT INVOICE_COMMENT#1 FROM T"},
        TranslationCase{"TwoMinusSignsNeverOpenAComment", "WHERE A = 5--1", "WHERE A = 5- -1"},
        TranslationCase{"UnknownFunctionPassesThrough", "SELECT IIf(A, B, C), Nz(D) FROM T",
                        "SELECT IIf(A, B, C), Nz(D) FROM T"},
        TranslationCase{"QualifiedTrueIsAName", "SELECT T.True FROM T", "SELECT T.True FROM T"},
        TranslationCase{"LoneNumberSignIsAnOperator", "SELECT a # b", "SELECT a # b"}),
    [](const ::testing::TestParamInfo<TranslationCase>& info) { return info.param.name; });

// Fields a pass does not read become NULL; anything whose meaning could change is kept.
TEST(SqlDialect, OnlyTheFieldsReadAreSelected) {
  struct Case {
    const char* sql;
    const char* expected;
  };
  const std::vector<std::string_view> read = {"TRIPNUM", "customer", "trDESTDESC"};
  const Case cases[] = {
      {"SELECT TRIPSREQ.TRIPNUM, DateValue(TRIPSREQ.STATUS_DATE) AS Expr1, tripsreq.destdesc as "
       "trDESTDESC, TRIPSREQ.CUSTOMER FROM TRIPSREQ WHERE TRIPSREQ.CUSTOMER = 'A, B' ORDER BY "
       "TRIPSREQ.DEPDATE",
       "SELECT TRIPSREQ.TRIPNUM, NULL AS Expr1 , tripsreq.destdesc as trDESTDESC, "
       "TRIPSREQ.CUSTOMER FROM TRIPSREQ WHERE TRIPSREQ.CUSTOMER = 'A, B' ORDER BY "
       "TRIPSREQ.DEPDATE"},
      // Sorted by an alias, or by a field name the statement also selects: kept.
      {"select TRIPNUM, GRADE, STATUS from TRIPSREQ order by GRADE",
       "select TRIPNUM, GRADE, NULL AS STATUS from TRIPSREQ order by GRADE"},
      // Commas inside calls, quotes and brackets do not split fields; an expression without a
      // name is kept.
      {"SELECT Trim$(A, ','), [x,y] AS Q, \"a,b\" AS R, TRIPNUM FROM T",
       "SELECT Trim$(A, ','), NULL AS Q , NULL AS R , TRIPNUM FROM T"},
      // Not a plain list of fields: left as it is.
      {"SELECT DISTINCT TRIPNUM, GRADE FROM T", nullptr},
      {"SELECT * FROM T", nullptr},
      {"SELECT GRADE FROM T UNION SELECT GRADE FROM U", nullptr},
      {"UPDATE T SET GRADE = 1", nullptr},
      {"SELECT 'unclosed, GRADE FROM T", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(dialect::withOnlyFields(c.sql, read), c.expected ? c.expected : c.sql);
  }
}

TEST(SqlDialect, DateLiteralThatIsNoDateIsAnError) {
  try {
    translateSql("WHERE D = #13/45/2024x#");
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kDatabase);
    EXPECT_NE(e.description().find("#13/45/2024x#"), std::string::npos);
  }
}

TEST(SqlDialect, DeeplyNestedParenthesesAreAnErrorNotAStackOverflow) {
  // 256 levels still translate; tens of thousands are refused before any recursion.
  const std::string deepest = std::string(256, '(') + "1" + std::string(256, ')');
  EXPECT_EQ(translateSql("SELECT " + deepest), "SELECT " + deepest);
  try {
    translateSql("SELECT " + std::string(50000, '('));
    FAIL() << "expected an error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::kDatabase);
  }
}

TEST(SqlDialect, TokenizerKeepsDoubledQuotesInsideOneLiteral) {
  std::vector<dialect::Token> tokens = dialect::tokenize("N='O''Brien' AND x");
  ASSERT_GE(tokens.size(), 3u);
  EXPECT_EQ(tokens[0].kind, TokenKind::Word);
  EXPECT_EQ(tokens[1].kind, TokenKind::Operator);
  EXPECT_EQ(tokens[2].kind, TokenKind::String);
  EXPECT_EQ(tokens[2].text, "'O''Brien'");
  EXPECT_EQ(tokens[3].kind, TokenKind::Space);
}

TEST(SqlDialect, TokenizerReadsOperatorsNumbersAndDates) {
  std::vector<dialect::Token> tokens;
  for (auto& t : dialect::tokenize("a<>1.5E+3 <= #3/5/2024# >= b.c"))
    if (t.kind != TokenKind::Space) tokens.push_back(t);
  ASSERT_EQ(tokens.size(), 9u);
  EXPECT_EQ(tokens[1].text, "<>");
  EXPECT_EQ(tokens[2].kind, TokenKind::Number);
  EXPECT_EQ(tokens[2].text, "1.5E+3");
  EXPECT_EQ(tokens[3].text, "<=");
  EXPECT_EQ(tokens[4].kind, TokenKind::Date);
  EXPECT_EQ(tokens[4].text, "3/5/2024");
  EXPECT_EQ(tokens[5].text, ">=");
  EXPECT_EQ(tokens[7].kind, TokenKind::Dot);
}

TEST(SqlDialect, SingleTableSelectIsRecognised) {
  auto s = dialect::parseSingleTableSelect("Select TRIPS.* from Trips where vb_trim(X) = 'a'");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->columns, " TRIPS.* ");
  EXPECT_EQ(s->table, "Trips");
  EXPECT_EQ(s->rest, " where vb_trim(X) = 'a'");
  ASSERT_TRUE(dialect::parseSingleTableSelect("Select * from TRIPSREQ").has_value());
}

TEST(SqlDialect, JoinsAndGroupsAreNoSingleTableSelect) {
  for (const char* sql :
       {"SELECT * FROM A INNER JOIN B ON A.X = B.X", "SELECT * FROM A, B",
        "SELECT X, COUNT(*) FROM A WHERE 1 GROUP BY X", "SELECT DISTINCT X FROM A",
        "SELECT * FROM A UNION SELECT * FROM B", "DELETE FROM A"})
    EXPECT_FALSE(dialect::parseSingleTableSelect(sql).has_value()) << sql;
}

TEST(SqlDialect, FindCriterionReadsQuotedText) {
  auto c = dialect::parseFindCriterion("CUSTOMER = 'O''Brien'");
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(c->column, "CUSTOMER");
  EXPECT_EQ(c->value, Value::text("O'Brien"));
  auto n = dialect::parseFindCriterion("[DESTINATION] = 12");
  ASSERT_TRUE(n.has_value());
  EXPECT_EQ(n->column, "DESTINATION");
  EXPECT_EQ(n->value, Value::number(12));
  EXPECT_FALSE(dialect::parseFindCriterion("CUSTOMER LIKE 'A%'").has_value());
  EXPECT_FALSE(dialect::parseFindCriterion("CUSTOMER = 'A' OR 1 = 1").has_value());
}

}  // namespace
}  // namespace ravadid::db

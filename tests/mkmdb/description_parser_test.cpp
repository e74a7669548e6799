// The description format: escapes, joined and repeated strings, values and
// the errors that name the line.
#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "tools/mkmdb/description_parser.h"

namespace tovra::mkmdb {
namespace {

// The single value of a one-column table holding `value`.
std::optional<std::string> ValueOf(const std::string& value) {
    const auto db = ParseDescription("table \"T\"\ncolumn \"C\" memo\nrow " + value + "\n");
    return db.tables.at(0).rows.at(0).at(0);
}

TEST(DescriptionParser, ValuesAndEscapes) {
    const struct {
        const char* source;
        std::optional<std::string> value;
    } cases[] = {
        {R"("plain")", "plain"},
        {R"("{\\rtf1\\ansi \\par}")", "{\\rtf1\\ansi \\par}"},
        {R"("say \"hi\"")", "say \"hi\""},
        {R"("a\r\nb\rc\nd\te")", "a\r\nb\rc\nd\te"},
        {R"("nul\0after")", std::string("nul\0after", 9)},
        {R"("\x41\xC3\xA9")", "A\xC3\xA9"},
        {R"("\u{3bb}\u{5D0}\u{201C}\u{1F600}")", "\xCE\xBB\xD7\x90\xE2\x80\x9C\xF0\x9F\x98\x80"},
        {"\"two\nlines\"", "two\nlines"},
        {"\"crlf file\r\nline\"", "crlf file\nline"},
        {R"("ab" * 3 + "c")", "abababc"},
        {R"("x" * 0 + "" + "y")", "y"},
        {"\"a\" +\n  \"b\" # comment\n", "ab"},
        {"NULL", std::nullopt},
        {"null", std::nullopt},
        {"-12", "-12"},
        {"1.5", "1.5"},
        {"true", "true"},
        {R"("# not a comment")", "# not a comment"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(ValueOf(c.source), c.value);
    }
}

TEST(DescriptionParser, TablesColumnsAndRows) {
    const auto db = ParseDescription(
        "# header\n"
        "password \"Selah-1611\"\n"
        "table \"Topic Notes\"\n"
        "  column \"Title\" text 100\n"
        "  column \"Comments\" Memo\n"
        "  column \"ID\" long autonumber\n"
        "  column \"N\" integer\n  column \"B\" byte\n  column \"F\" boolean\n  column \"D\" double\n"
        "  row \"Faith\"\n    \"text\" 1 2 3 true 1.5\n"
        "  row \"Love\" NULL 2 NULL NULL false NULL\n"
        "table \"dictionary\"\n  column \"topic\" text 1\n");
    EXPECT_EQ(db.password, "Selah-1611");
    ASSERT_EQ(db.tables.size(), 2u);
    const auto& t = db.tables[0];
    EXPECT_EQ(t.name, "Topic Notes");
    ASSERT_EQ(t.columns.size(), 7u);
    EXPECT_EQ(t.columns[0].type, TColumnType::Text);
    EXPECT_EQ(t.columns[0].length, 100);
    EXPECT_EQ(t.columns[1].type, TColumnType::Memo);
    EXPECT_EQ(t.columns[2].type, TColumnType::LongInteger);
    EXPECT_TRUE(t.columns[2].autoNumber);
    EXPECT_EQ(t.columns[3].type, TColumnType::Integer);
    EXPECT_EQ(t.columns[4].type, TColumnType::Byte);
    EXPECT_EQ(t.columns[5].type, TColumnType::Boolean);
    EXPECT_EQ(t.columns[6].type, TColumnType::Double);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0][6], "1.5");
    EXPECT_EQ(t.rows[1][1], std::nullopt);
    EXPECT_EQ(db.tables[1].name, "dictionary");
    EXPECT_TRUE(db.tables[1].rows.empty());
}

TEST(DescriptionParser, SqlStatementsAreKeptInOrder) {
    const auto db = ParseDescription(
        "sql \"CREATE TABLE t (a)\"\n"
        "table \"T\"\n  column \"C\" memo\n  row \"x\"\n"
        "SQL \"INSERT INTO t VALUES ('say \\\"hi\\\"')\"\n");
    EXPECT_EQ(db.sql, (std::vector<std::string>{"CREATE TABLE t (a)", "INSERT INTO t VALUES ('say \"hi\"')"}));
    ASSERT_EQ(db.tables.size(), 1u);
    EXPECT_EQ(db.tables[0].rows.size(), 1u);
}

TEST(DescriptionParser, ErrorsNameTheLine) {
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"table \"T\"\ncolumn \"C\" currency\n", "line 2: unknown column type \"currency\""},
        {"table \"T\"\ncolumn \"C\" text\nrow \"a\"\n", "line 2: text column \"C\" needs a length"},
        {"table \"T\"\ncolumn \"C\" memo\ncolumn \"D\" memo\nrow \"a\"\n", "line 4: row has 1 values, table \"T\" has 2 columns"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"a\" \"b\"\n", "line 3: row has more values"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"a\\q\"\n", "line 3: unknown escape \\q"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"open\n\n", "line 3: string not closed"},
        {"column \"C\" memo\n", "line 1: column before any table"},
        {"table \"T\"\nrow \"a\"\n", "line 2: row before any column"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"a\"\ncolumn \"D\" memo\n", "line 4: column after the first row"},
        {"tabel \"T\"\n", "line 1: unknown keyword"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"\\u{D800}\"\n", "not a Unicode scalar value"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"\\x4\"\n", "\\x needs two hex digits"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"a\" * \"b\"\n", "expected a repeat count"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"ab\" * 999999999 * 9\n", "line 3"},
        {"table \"T\"\ncolumn \"C\" memo\nrow \"abc\" * 999999999\n", "value longer than 1 GB"},
        {"table \"T\"\ncolumn \"C\" memo\nrow @\n", "line 3: unexpected character '@'"},
        {"table \"T\"\nsql CREATE\n", "line 2: expected a quoted name after sql"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        try {
            ParseDescription(c.source);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace tovra::mkmdb

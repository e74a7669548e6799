// Databases written by the writer, read back through the project's own
// reader (db/access_reader.h) the way the converter reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "db/access_reader.h"
#include "platform/error.h"
#include "support/temp_folder.h"
#include "tools/mkmdb/jet_writer.h"

namespace tovra::mkmdb {
namespace {

class DbReaderRoundTrip : public ::testing::Test {
protected:
    std::string Write(const TDatabaseDef& db, const std::string& name) {
        const std::string path = dir_ / name;
        WriteJetFile(db, path);
        return path;
    }

    static void OpenConnection(TAccessConnection& c, const std::string& path) {
        c.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False");
        c.Open();
    }

    test_support::TempFolder dir_;
};

TEST_F(DbReaderRoundTrip, TablesRowsAndValuesAsTheConverterReadsThem) {
    std::string longMemo = "{\\rtf1 START\\par\r\n";
    while (longMemo.size() < 150000) longMemo += "In the beginning was the Word \xE2\x80\x94 and the Word was with God.\\par\r\n";
    longMemo += "END}";
    TDatabaseDef db;
    db.tables.push_back({"Details", {{"Version", TColumnType::LongInteger, 0, false}}, {{"3"}}});
    db.tables.push_back({"Topic Notes",
                         {{"Title", TColumnType::Text, 100, false},
                          {"Comments", TColumnType::Memo, 0, false},
                          {"Book ID", TColumnType::LongInteger, 0, false},
                          {"Chapter", TColumnType::Integer, 0, false},
                          {"Verse", TColumnType::Byte, 0, false}},
                         {
                             {"Faith", "line 1\r\nline 2\rline 3\nend", "1", "-2", "255"},
                             {"Caf\xC3\xA9 \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82", "\xE2\x80\x9Cq\xE2\x80\x9D \xD7\xA9", "-7", "32767", "0"},
                             {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
                             {"Long", longMemo, "2147483647", "0", "1"},
                         }});
    const std::string path = Write(db, "reader.top");

    TAccessConnection connection;
    OpenConnection(connection, path);
    auto names = connection.TableNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Details", "Topic Notes"}));

    TAccessTable table(connection);
    table.Open("topic notes");  // letter case ignored
    struct TWant {
        std::string title, comments;
        int32_t book, chapter, verse;
    };
    std::string longAnsi = longMemo;
    for (size_t at; (at = longAnsi.find("\xE2\x80\x94")) != std::string::npos;) longAnsi.replace(at, 3, "\x97");
    const TWant want[] = {
        {"Faith", "line 1\r\nline 2\rline 3\nend", 1, -2, 255},
        {"Caf\xE9 &#955;&#972;&#947;&#959;&#962;", "\x93q\x94 \\u1513?", -7, 32767, 0},
        {"", "", 0, 0, 0},
        {"Long", longAnsi, 2147483647, 0, 1},
    };
    for (const auto& w : want) {
        ASSERT_FALSE(table.Eof());
        SCOPED_TRACE(w.title);
        EXPECT_EQ(table.FieldByName("Title").AsString(TUnmappableForm::CharacterReference), w.title);
        EXPECT_EQ(table.FieldByName("Comments").AsString(), w.comments);
        EXPECT_EQ(table.FieldByName("Book ID").AsInteger(), w.book);
        EXPECT_EQ(table.FieldByName("chapter").AsInteger(), w.chapter);
        EXPECT_EQ(table.FieldByName("Verse").AsInteger(), w.verse);
        table.Next();
    }
    EXPECT_TRUE(table.Eof());
    table.Close();
    connection.Close();
}

TEST_F(DbReaderRoundTrip, PasswordProtectedFileIsRefusedWithPasswordInTheMessage) {
    TDatabaseDef db;
    db.password = "Selah-1611";
    db.tables.push_back({"Dictionary", {{"Topic", TColumnType::Text, 50, false}}, {{"Selah"}}});
    TAccessConnection connection;
    try {
        OpenConnection(connection, Write(db, "password.dct"));
        ADD_FAILURE() << "opened a password-protected database";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("password"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(connection.Connected());
}

}  // namespace
}  // namespace tovra::mkmdb

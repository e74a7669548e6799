#include "db/access_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/error.h"
#include "support/databases.h"
#include "support/temp_folder.h"

namespace tovra {
namespace {

using test_support::Database;
using test_support::TempFolder;
using test_support::WriteFile;

std::string ConnectionFor(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False";
}

std::string OpenError(const std::string& path) {
    TAccessConnection c;
    c.SetConnectionString(ConnectionFor(path));
    try {
        c.Open();
    } catch (const Error& e) {
        EXPECT_FALSE(c.Connected());
        return e.what();
    }
    return "";
}

TEST(AccessReaderTest, DataSourceIsTakenFromTheConnectionString) {
    EXPECT_EQ(DataSourceOf(ConnectionFor("/a b/c.dct")), "/a b/c.dct");
    EXPECT_EQ(DataSourceOf("data source=/x"), "/x");
    EXPECT_EQ(DataSourceOf("Provider=x"), "");
}

TEST(AccessReaderTest, OpenFailuresHaveClearMessages) {
    TempFolder dir;
    WriteFile(dir / "empty.dct", "");
    EXPECT_EQ(OpenError(dir / "none.dct"), "Could not find file '" + dir / "none.dct" + "'.");
    EXPECT_EQ(OpenError(dir.path()), "'" + dir.path() + "' is a folder, not a database file.");
    EXPECT_EQ(OpenError(dir / "empty.dct"), "Unrecognized database format '" + dir / "empty.dct" + "'.");
    const std::string notAccess = Database("not-access.top");
    EXPECT_EQ(OpenError(notAccess), "Unrecognized database format '" + notAccess + "'.");
    const std::string truncated = Database("truncated.dct");
    EXPECT_NE(OpenError(truncated).find("Unrecognized database format"), std::string::npos);
    EXPECT_NE(OpenError(Database("password.dct")).find("password"), std::string::npos);
    EXPECT_EQ(OpenError(Database("dictionary.dct")), "");
}

TEST(AccessReaderTest, TablesFieldsAndValues) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString(ConnectionFor(Database("dictionary.dct")));
    c.Open();
    auto names = c.TableNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Details", "Dictionary"}));

    t.Open("DICTIONARY");  // letter case does not matter, for tables or fields
    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("topic").AsString(), "Aaron");
    try {
        t.FieldByName("Word");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ADOTable1: Field 'Word' not found");
    }
    std::vector<std::string> topics;
    std::string abel = "not read";
    std::string alpha;
    while (!t.Eof()) {
        std::string topic = t.FieldByName("Topic").AsString(TUnmappableForm::CharacterReference);
        if (topic == "Abel") abel = t.FieldByName("Definition").AsString();
        if (topic == "Alpha and Omega") alpha = t.FieldByName("Definition").AsString();
        topics.push_back(topic);
        t.Next();
    }
    EXPECT_EQ(topics.size(), 16u);
    EXPECT_EQ(topics[1], "Adam");
    EXPECT_EQ(abel, "");  // NULL reads as empty
    EXPECT_NE(alpha.find("\\u-1238?"), std::string::npos);
    EXPECT_THROW(t.Next(), Error);
    t.Close();
    t.Close();  // closing twice does nothing
    EXPECT_THROW(t.Open("Missing"), Error);
}

TEST(AccessReaderTest, IntegersNullsAndLongMemos) {
    TAccessConnection c;
    TAccessTable t(c);
    c.SetConnectionString(ConnectionFor(Database("commentary.cmt")));
    c.Open();
    t.Open("Book Notes");
    std::string longNote;
    while (!t.Eof()) {
        if (t.FieldByName("Book ID").AsInteger() == 43) longNote = t.FieldByName("Comments").AsString();
        t.Next();
    }
    EXPECT_EQ(longNote.size(), 92098u);
    EXPECT_EQ(longNote.rfind("START OF THE LONG NOTE", 200) != std::string::npos, true);
    EXPECT_EQ(longNote.substr(longNote.size() - 26), "END OF THE LONG NOTE.\\par}");

    t.Open("Commentary");
    int nullBooks = 0;
    while (!t.Eof()) {
        if (t.FieldByName("Book ID").IsNull()) {
            ++nullBooks;
            EXPECT_EQ(t.FieldByName("Book ID").AsInteger(), 0);
        }
        t.Next();
    }
    EXPECT_EQ(nullBooks, 1);
    c.Close();
    EXPECT_TRUE(t.Eof());  // closing the connection leaves the reader without rows
    c.Close();
}

}  // namespace
}  // namespace tovra

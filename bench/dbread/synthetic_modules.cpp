#include "bench/dbread/synthetic_modules.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ascii.h"
#include "platform/error.h"

namespace tovra::bench {

namespace {

using mkmdb::TColumnType;
using mkmdb::TDatabaseDef;
using mkmdb::TTableDef;

// A small fixed-seed generator (xorshift), the same on every platform.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 11);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint64_t state_;
};

const char* const kWords[] = {
    "and", "the", "of", "LORD", "God", "said", "unto", "them", "that", "was", "in", "his", "people", "land",
    "children", "Israel", "king", "house", "day", "which", "heaven", "earth", "light", "word", "spirit", "waters",
    "shall", "be", "upon", "with", "from", "before", "servant", "voice", "hand", "city", "mountain", "covenant",
    "righteousness", "mercy", "truth", "glory", "blessed", "went", "came", "among", "brethren", "fathers", "law",
    "prophet", "wilderness", "sea", "bread", "wine", "peace", "grace", "faith", "love", "way", "life",
};

std::string Word(TRandom& r) { return kWords[r.Below(static_cast<int>(std::size(kWords)))]; }

std::string Sentence(TRandom& r, int words, bool markup) {
    std::string s;
    char footnote = 'a';
    for (int i = 0; i < words; ++i) {
        if (i > 0) s += ' ';
        const int roll = r.Below(100);
        if (markup && roll < 8) {
            // A supplied word group, in one of the two forms Bibles use.
            s += (r.Below(2) ? "{\\cf15\\i " : "{\\i ") + Word(r) + " " + Word(r) + "}";
        } else {
            s += i == 0 ? "And" : Word(r);
            // Most words of a Strong's-number Bible carry their number.
            if (markup && roll >= 8 && roll < 80)
                s += "{\\cf11 " + std::string(r.Below(2) ? "H" : "G") + std::to_string(1 + r.Below(8674)) + "}";
            if (markup && roll >= 97 && footnote <= 'z') s += std::string("{\\cf6\\super ") + footnote++ + "}";
        }
        if (i + 1 < words && r.Below(9) == 0) s += r.Below(2) ? "," : ";";
    }
    return s + ".";
}

const char* const kRtfHead =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue255;\\red128\\green0\\blue0;}\r\n";

std::string RtfNote(TRandom& r, const std::string& title, int paragraphs) {
    std::string s = kRtfHead;
    s += "\\pard\\plain\\f0\\fs22 {\\b " + title + "} " + Sentence(r, 12, false) + "\\par\r\n";
    for (int p = 0; p < paragraphs; ++p) {
        s += "\\pard\\plain\\f0\\fs22 " + Sentence(r, 10 + r.Below(20), false) + " {\\i " + Word(r) + " " + Word(r) +
             "} {\\cf1 " + std::to_string(1 + r.Below(50)) + ":" + std::to_string(1 + r.Below(30)) + "} " +
             Sentence(r, 8 + r.Below(12), false) + "\\par\r\n";
    }
    return s + "}";
}

// A whole RTF document on one line, as many dictionary modules store their
// entries: font and colour tables, formatting groups and Unicode escapes for
// the Greek and Hebrew words.
std::string OneLineRtf(TRandom& r, const std::string& topic) {
    static const char* const kEscapes[] = {"\\u955?\\u972?\\u947?\\u959?\\u962?", "\\u1488?\\u1491?\\u1501?",
                                           "\\u8212?", "\\u945?\\u947?\\u940?\\u960?\\u951?"};
    std::string s =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Times New Roman;}{\\f1\\fnil\\fcharset161 "
        "Gentium;}}{\\colortbl ;\\red0\\green0\\blue255;\\red153\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs24 {\\b " +
        topic + "} ";
    const int parts = 1 + r.Below(4);
    for (int p = 0; p < parts; ++p) {
        s += Sentence(r, 8 + r.Below(16), false);
        s += " {\\f1 " + std::string(kEscapes[r.Below(static_cast<int>(std::size(kEscapes)))]) + "} ";
        s += "{\\cf2\\i " + Word(r) + "} {\\cf1 " + std::to_string(1 + r.Below(50)) + ":" +
             std::to_string(1 + r.Below(30)) + "}\\par ";
    }
    return s + "}";
}

// A long topic: many paragraphs of RTF over many lines, about `bytes` long.
std::string LongRtf(TRandom& r, const std::string& title, size_t bytes) {
    std::string s = kRtfHead;
    s += "\\pard\\plain\\f0\\fs22 {\\b " + title + "}\\par\r\n";
    while (s.size() < bytes) {
        s += "\\pard\\plain\\f0\\fs22 " + Sentence(r, 20 + r.Below(40), false) + " {\\i " + Word(r) + "} " +
             Sentence(r, 10 + r.Below(20), false) + "\\par\r\n";
    }
    return s + "}";
}

}  // namespace

std::vector<TChapterSize> LoadVersification(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Error("cannot open the versification file " + path);
    std::vector<TChapterSize> out;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::istringstream fields(line);
        std::string book, name, abbrev, chapter, verses;
        std::getline(fields, book, '\t');
        std::getline(fields, name, '\t');
        std::getline(fields, abbrev, '\t');
        std::getline(fields, chapter, '\t');
        std::getline(fields, verses, '\t');
        try {
            out.push_back({std::stoi(book), std::stoi(chapter), std::stoi(verses)});
        } catch (const std::exception&) {
            throw Error("bad versification line in " + path + ": " + line);
        }
    }
    return out;
}

std::string DefaultVersificationPath() {
    const std::filesystem::path source = std::filesystem::path(TOVRA_SOURCE_DIR) / "data" / "kjv-versification.tsv";
    if (std::filesystem::exists(source)) return source.string();
    return (std::filesystem::path(TOVRA_SHARED_DIR) / "data" / "kjv-versification.tsv").string();
}

namespace {

// The Details table every module has: its description, abbreviation and
// version (a whole number in most modules, a fraction in commentaries).
TTableDef DetailsTable(const std::string& description, const std::string& abbreviation, TColumnType versionType,
                       const std::string& version) {
    return {"Details",
            {{"Description", TColumnType::Text, 255, false},
             {"Abbreviation", TColumnType::Text, 50, false},
             {"Comments", TColumnType::Memo, 0, false},
             {"Version", versionType, 0, false}},
            {{description, abbreviation, "Generated for the benchmarks.", version}}};
}

}  // namespace

TDatabaseDef SyntheticBible(const std::vector<TChapterSize>& versification) {
    TRandom r(0xB1B1E);
    TDatabaseDef db;
    db.tables.push_back(DetailsTable("Synthetic Bible", "SYNB", TColumnType::LongInteger, "1"));
    TTableDef bible{"Bible",
                    {{"Book ID", TColumnType::LongInteger, 0, false},
                     {"Chapter", TColumnType::LongInteger, 0, false},
                     {"Verse", TColumnType::LongInteger, 0, false},
                     {"Scripture", TColumnType::Memo, 0, false}},
                    {}};
    for (const auto& c : versification)
        for (int v = 1; v <= c.verses; ++v)
            bible.rows.push_back({std::to_string(c.book), std::to_string(c.chapter), std::to_string(v),
                                  Sentence(r, 10 + r.Below(16), true)});
    db.tables.push_back(std::move(bible));
    return db;
}

TDatabaseDef SyntheticSqliteBible(const std::vector<TChapterSize>& versification) {
    TDatabaseDef db = SyntheticBible(versification);
    for (TTableDef& table : db.tables)
        for (auto& column : table.columns)
            if (column.name == "Book ID") column.name = "Book";
    db.sql.push_back("CREATE INDEX BookChapterVerseIndex ON Bible (Book, Chapter, Verse)");
    return db;
}

TDatabaseDef SyntheticDictionary(int entries) {
    TRandom r(0xD1C7);
    TDatabaseDef db;
    db.tables.push_back(DetailsTable("Synthetic Dictionary", "SYND", TColumnType::LongInteger, "1"));
    TTableDef dict{"Dictionary", {{"Topic", TColumnType::Text, 100, false}, {"Definition", TColumnType::Memo, 0, false}}, {}};
    for (int i = 0; i < entries; ++i) {
        std::string topic = Word(r) + " " + std::to_string(i + 1);
        topic[0] = AsciiToUpper(topic[0]);
        dict.rows.push_back({topic, OneLineRtf(r, topic)});
    }
    db.tables.push_back(std::move(dict));
    return db;
}

TDatabaseDef SyntheticTopics(int topics) {
    TRandom r(0x70B1C);
    TDatabaseDef db;
    db.tables.push_back(DetailsTable("Synthetic Topics", "SYNT", TColumnType::LongInteger, "1"));
    TTableDef notes{"Topic Notes", {{"Title", TColumnType::Text, 100, false}, {"Comments", TColumnType::Memo, 0, false}}, {}};
    for (int i = 0; i < topics; ++i) {
        std::string title = Word(r) + " and " + Word(r) + " " + std::to_string(i + 1);
        title[0] = AsciiToUpper(title[0]);
        // Mostly a few kilobytes; one topic in a hundred is a long study
        // of 100 to 300 KB.
        const size_t bytes = r.Below(100) == 0 ? 100000 + static_cast<size_t>(r.Below(200000))
                                               : 500 + static_cast<size_t>(r.Below(6000));
        notes.rows.push_back({title, LongRtf(r, title, bytes)});
    }
    db.tables.push_back(std::move(notes));
    return db;
}

TDatabaseDef SyntheticCommentary(const std::vector<TChapterSize>& versification, int notes) {
    TRandom r(0xC033);
    TDatabaseDef db;
    db.tables.push_back(DetailsTable("Synthetic Commentary", "SYNC", TColumnType::Double, "1.5"));
    TTableDef bookNotes{"Book Notes",
                        {{"ID", TColumnType::LongInteger, 0, true},
                         {"Book ID", TColumnType::LongInteger, 0, false},
                         {"Comments", TColumnType::Memo, 0, false}},
                        {}};
    TTableDef chapterNotes{"Chapter Notes",
                           {{"ID", TColumnType::LongInteger, 0, true},
                            {"Book ID", TColumnType::LongInteger, 0, false},
                            {"Chapter", TColumnType::LongInteger, 0, false},
                            {"Comments", TColumnType::Memo, 0, false}},
                           {}};
    TTableDef cmt{"Commentary",
                  {{"ID", TColumnType::LongInteger, 0, true},
                   {"Book ID", TColumnType::LongInteger, 0, false},
                   {"Chapter", TColumnType::LongInteger, 0, false},
                   {"Start Verse", TColumnType::LongInteger, 0, false},
                   {"End Verse", TColumnType::LongInteger, 0, false},
                   {"Comments", TColumnType::Memo, 0, false}},
                  {}};
    int total = 0;
    for (const auto& c : versification) total += c.verses;
    // An introduction to every book and a note on every chapter.
    int lastBook = 0;
    for (const auto& c : versification) {
        if (c.book != lastBook) {
            lastBook = c.book;
            bookNotes.rows.push_back({std::to_string(bookNotes.rows.size() + 1), std::to_string(c.book),
                                      RtfNote(r, "Introduction", 4 + r.Below(8))});
        }
        chapterNotes.rows.push_back({std::to_string(chapterNotes.rows.size() + 1), std::to_string(c.book),
                                     std::to_string(c.chapter),
                                     RtfNote(r, "Chapter " + std::to_string(c.chapter), 1 + r.Below(3))});
    }
    // Spread the verse notes evenly over the verses, in canonical order.
    int id = 0;
    int ordinal = 0;
    for (const auto& c : versification) {
        for (int v = 1; v <= c.verses; ++v, ++ordinal) {
            const long long want = static_cast<long long>(ordinal + 1) * notes / total;
            while (id < want) {
                ++id;
                const int end = std::min(c.verses, v + r.Below(3));
                cmt.rows.push_back({std::to_string(id), std::to_string(c.book), std::to_string(c.chapter),
                                    std::to_string(v), std::to_string(end),
                                    RtfNote(r, std::to_string(c.chapter) + ":" + std::to_string(v), 1 + r.Below(3))});
            }
        }
    }
    db.tables.push_back(std::move(bookNotes));
    db.tables.push_back(std::move(chapterNotes));
    db.tables.push_back(std::move(cmt));
    return db;
}

}  // namespace tovra::bench

#include "tools/mkmdb/description_parser.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/ascii.h"
#include "platform/error.h"
#include "platform/utf8.h"

namespace tovra::mkmdb {

namespace {

constexpr size_t kMaxValueBytes = size_t{1} << 30;

enum class TTokenKind { Word, String, Plus, Star, End };

struct TToken {
    TTokenKind kind = TTokenKind::End;
    std::string text;
    int line = 0;
};

class TLexer {
public:
    explicit TLexer(std::string_view text) : text_(text) {}

    TToken Next() {
        SkipBlanks();
        TToken t;
        t.line = line_;
        if (pos_ >= text_.size()) return t;
        const char c = text_[pos_];
        if (c == '+') { ++pos_; t.kind = TTokenKind::Plus; return t; }
        if (c == '*') { ++pos_; t.kind = TTokenKind::Star; return t; }
        if (c == '"') { t.kind = TTokenKind::String; t.text = ReadString(); return t; }
        if (IsWordChar(c)) {
            t.kind = TTokenKind::Word;
            while (pos_ < text_.size() && IsWordChar(text_[pos_])) t.text.push_back(text_[pos_++]);
            return t;
        }
        Fail(line_, std::string("unexpected character '") + c + "'");
    }

    [[noreturn]] static void Fail(int line, const std::string& message) {
        throw Error("line " + std::to_string(line) + ": " + message);
    }

private:
    static bool IsWordChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.';
    }

    void SkipBlanks() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') { ++line_; ++pos_; }
            else if (c == ' ' || c == '\t' || c == '\r') ++pos_;
            else if (c == '#') { while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_; }
            else break;
        }
    }

    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::string ReadString() {
        const int startLine = line_;
        ++pos_;  // opening quote
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) Fail(startLine, "string not closed");
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (c == '\n') { ++line_; out.push_back('\n'); continue; }
            if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') continue;  // CR LF file: keep LF
            if (c != '\\') { out.push_back(c); continue; }
            if (pos_ >= text_.size()) Fail(startLine, "string not closed");
            const char e = text_[pos_++];
            switch (e) {
                case '\\': out.push_back('\\'); break;
                case '"': out.push_back('"'); break;
                case 'r': out.push_back('\r'); break;
                case 'n': out.push_back('\n'); break;
                case 't': out.push_back('\t'); break;
                case '0': out.push_back('\0'); break;
                case 'x': {
                    if (text_.size() - pos_ < 2 || HexValue(text_[pos_]) < 0 || HexValue(text_[pos_ + 1]) < 0)
                        Fail(line_, "\\x needs two hex digits");
                    out.push_back(static_cast<char>(HexValue(text_[pos_]) * 16 + HexValue(text_[pos_ + 1])));
                    pos_ += 2;
                    break;
                }
                case 'u': {
                    if (pos_ >= text_.size() || text_[pos_] != '{') Fail(line_, "\\u needs the form \\u{HHHH}");
                    ++pos_;
                    uint32_t cp = 0;
                    int digits = 0;
                    while (pos_ < text_.size() && text_[pos_] != '}') {
                        const int h = HexValue(text_[pos_]);
                        if (h < 0 || ++digits > 6) Fail(line_, "\\u{...} needs 1 to 6 hex digits");
                        cp = cp * 16 + static_cast<uint32_t>(h);
                        ++pos_;
                    }
                    if (pos_ >= text_.size() || digits == 0) Fail(line_, "\\u{...} needs 1 to 6 hex digits");
                    ++pos_;
                    if (!IsUnicodeScalarValue(cp)) Fail(line_, "\\u{...} is not a Unicode scalar value");
                    AppendUtf8(static_cast<char32_t>(cp), out);
                    break;
                }
                default: Fail(line_, std::string("unknown escape \\") + e + " (write \\\\ for a backslash)");
            }
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

bool IsNumber(const std::string& w) {
    size_t i = (w[0] == '-') ? 1 : 0;
    bool digit = false;
    bool dot = false;
    for (; i < w.size(); ++i) {
        if (w[i] >= '0' && w[i] <= '9') digit = true;
        else if (w[i] == '.' && !dot) dot = true;
        else return false;
    }
    return digit;
}

class TParser {
public:
    explicit TParser(std::string_view text) : lexer_(text) { Advance(); }

    TDatabaseDef Parse() {
        TDatabaseDef db;
        while (token_.kind != TTokenKind::End) {
            if (token_.kind != TTokenKind::Word) TLexer::Fail(token_.line, "expected a keyword (table, column, row, password, sql)");
            const std::string word = token_.text;
            const std::string keyword = AsciiLowerCase(word);
            const int line = token_.line;
            Advance();
            if (keyword == "password") {
                db.password = ExpectString("password");
            } else if (keyword == "sql") {
                db.sql.push_back(ExpectString("sql"));
            } else if (keyword == "table") {
                TTableDef t;
                t.name = ExpectString("table");
                db.tables.push_back(std::move(t));
            } else if (keyword == "column") {
                if (db.tables.empty()) TLexer::Fail(line, "column before any table");
                TTableDef& t = db.tables.back();
                if (!t.rows.empty()) TLexer::Fail(line, "column after the first row of table \"" + t.name + "\"");
                t.columns.push_back(ParseColumn(line));
            } else if (keyword == "row") {
                if (db.tables.empty()) TLexer::Fail(line, "row before any table");
                TTableDef& t = db.tables.back();
                if (t.columns.empty()) TLexer::Fail(line, "row before any column of table \"" + t.name + "\"");
                TRow row;
                for (size_t c = 0; c < t.columns.size(); ++c) {
                    if (!StartsValue())
                        TLexer::Fail(line, "row has " + std::to_string(c) + " values, table \"" + t.name + "\" has " +
                                               std::to_string(t.columns.size()) + " columns");
                    row.push_back(ParseValue());
                }
                if (StartsValue())
                    TLexer::Fail(token_.line, "row has more values than table \"" + t.name + "\" has columns (" +
                                                  std::to_string(t.columns.size()) + ")");
                t.rows.push_back(std::move(row));
            } else {
                TLexer::Fail(line, "unknown keyword \"" + word + "\" (known: table, column, row, password, sql)");
            }
        }
        return db;
    }

private:
    void Advance() { token_ = lexer_.Next(); }

    bool StartsValue() const {
        if (token_.kind == TTokenKind::String) return true;
        if (token_.kind != TTokenKind::Word) return false;
        const std::string w = AsciiLowerCase(token_.text);
        return w == "null" || w == "true" || w == "false" || IsNumber(token_.text);
    }

    std::string ExpectString(const std::string& after) {
        if (token_.kind != TTokenKind::String) TLexer::Fail(token_.line, "expected a quoted name after " + after);
        std::string s = token_.text;
        Advance();
        return s;
    }

    TColumnDef ParseColumn(int line) {
        TColumnDef c;
        c.name = ExpectString("column");
        if (token_.kind != TTokenKind::Word) TLexer::Fail(line, "column \"" + c.name + "\" needs a type");
        const std::string type = AsciiLowerCase(token_.text);
        Advance();
        if (type == "text") {
            c.type = TColumnType::Text;
            if (token_.kind != TTokenKind::Word || !IsNumber(token_.text) || token_.text.find_first_of("-.") != std::string::npos)
                TLexer::Fail(line, "text column \"" + c.name + "\" needs a length (1-255)");
            c.length = token_.text.size() > 4 ? 100000 : std::stoi(token_.text);
            Advance();
        } else if (type == "memo") c.type = TColumnType::Memo;
        else if (type == "long") c.type = TColumnType::LongInteger;
        else if (type == "integer") c.type = TColumnType::Integer;
        else if (type == "byte") c.type = TColumnType::Byte;
        else if (type == "boolean") c.type = TColumnType::Boolean;
        else if (type == "double") c.type = TColumnType::Double;
        else
            TLexer::Fail(line, "unknown column type \"" + type +
                                   "\" (known: text LENGTH, memo, long, integer, byte, boolean, double)");
        if (token_.kind == TTokenKind::Word && AsciiLowerCase(token_.text) == "autonumber") {
            c.autoNumber = true;
            Advance();
        }
        return c;
    }

    TCell ParseValue() {
        if (token_.kind == TTokenKind::Word) {
            const std::string w = AsciiLowerCase(token_.text);
            Advance();
            if (w == "null") return std::nullopt;
            return w;  // number, true or false
        }
        std::string value;
        for (;;) {
            if (token_.kind != TTokenKind::String) TLexer::Fail(token_.line, "expected a string after +");
            std::string piece = token_.text;
            const int line = token_.line;
            Advance();
            size_t count = 1;
            if (token_.kind == TTokenKind::Star) {
                Advance();
                if (token_.kind != TTokenKind::Word || !IsNumber(token_.text) ||
                    token_.text.find_first_of("-.") != std::string::npos || token_.text.size() > 9)
                    TLexer::Fail(line, "expected a repeat count after *");
                count = std::stoul(token_.text);
                Advance();
            }
            if (!piece.empty() && count > (kMaxValueBytes - value.size()) / piece.size())
                TLexer::Fail(line, "value longer than 1 GB");
            for (size_t k = 0; k < count; ++k) value += piece;
            if (token_.kind != TTokenKind::Plus) break;
            Advance();
        }
        return value;
    }

    TLexer lexer_;
    TToken token_;
};

}  // namespace

TDatabaseDef ParseDescription(std::string_view text) { return TParser(text).Parse(); }

TDatabaseDef ReadDescriptionFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot open " + path + ": " + std::strerror(errno));
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) throw Error("cannot read " + path);
    try {
        return ParseDescription(buffer.str());
    } catch (const Error& e) {
        throw Error(path + ": " + e.what());
    }
}

}  // namespace tovra::mkmdb

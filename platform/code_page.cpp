// Code-page conversions over iconv, with per-code-page tables for the
// single-byte code pages so that the hot paths never call iconv.
#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/little_endian.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

namespace tovra {
namespace {

int Normalize(int codePage) { return codePage == 0 ? kAnsiCodePage : codePage; }

std::string IconvName(int codePage) {
    switch (codePage) {
        case 932: return "CP932";
        case 936: return "CP936";
        case 949: return "CP949";
        case 950: return "CP950";
        case 874: return "CP874";
        case 1361: return "JOHAB";
        case 10000: return "MACINTOSH";
        case 65001: return "UTF-8";
        default: return "CP" + std::to_string(codePage);
    }
}

bool IsMultiByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 1361 || codePage == 65001;
}

class Iconv {
public:
    Iconv(const std::string& to, const std::string& from)
        : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (ok()) iconv_close(handle_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// An open conversion per direction and code page, kept for the thread's
// lifetime: opening one costs far more than converting a short text.
const Iconv& CachedIconv(const std::string& to, const std::string& from) {
    thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Iconv>> cache;
    auto& slot = cache[{to, from}];
    if (!slot) slot = std::make_unique<Iconv>(to, from);
    return *slot;
}

// Byte-to-UTF-16 and UTF-16-to-byte tables of one single-byte code page.
struct SingleByteTable {
    std::array<char16_t, 256> toUnicode{};
    std::vector<int16_t> fromUnicode = std::vector<int16_t>(65536, -1);
};

std::unique_ptr<SingleByteTable> BuildTable(int codePage) {
    Iconv conv("UTF-16LE", IconvName(codePage));
    if (!conv.ok()) return nullptr;
    auto table = std::make_unique<SingleByteTable>();
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* inPtr = &in;
        size_t inLeft = 1;
        char* outPtr = out;
        size_t outLeft = sizeof out;
        iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        char16_t unit = static_cast<char16_t>(b);  // undefined bytes map to the same C1 value
        // CP1255 and CP1258 compose characters and hold the last one back
        // until the flush.
        if (iconv(conv.get(), &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
            iconv(conv.get(), nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
            outPtr - out == 2) {
            unit = ReadLe16(out);
        }
        table->toUnicode[b] = unit;
    }
    // Lower bytes win when two bytes decode to the same character.
    for (int b = 255; b >= 0; --b) table->fromUnicode[table->toUnicode[b]] = static_cast<int16_t>(b);
    return table;
}

// Tables are made on first use and live as long as the program. Each
// thread remembers the last one it was given, so that the lock shared by
// all threads is taken only when a thread changes code page.
const SingleByteTable* TableFor(int codePage) {
    thread_local int lastCodePage = -1;
    thread_local const SingleByteTable* last = nullptr;
    if (codePage == lastCodePage) return last;
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<SingleByteTable>> tables;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = tables.find(codePage);
    if (it == tables.end()) it = tables.emplace(codePage, BuildTable(codePage)).first;
    lastCodePage = codePage;
    last = it->second.get();
    return last;
}

// Resolves a code page to a usable table, falling back to the ANSI one.
const SingleByteTable* SingleByteOrAnsi(int codePage) {
    if (const SingleByteTable* t = TableFor(codePage)) return t;
    return TableFor(kAnsiCodePage);
}

// Runs iconv over `in`, replacing each unconvertible unit of `unitSize`
// input bytes by `replacement`.
std::string IconvAll(iconv_t cd, std::string_view in, size_t unitSize, std::string_view replacement) {
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            size_t used = static_cast<size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: skip one unit and write the replacement.
        size_t skip = inLeft < unitSize ? inLeft : unitSize;
        inPtr += skip;
        inLeft -= skip;
        if (outLeft < replacement.size() + 8) {
            size_t used = static_cast<size_t>(outPtr - out.data());
            out.resize(out.size() * 2 + replacement.size());
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        for (char c : replacement) {
            *outPtr++ = c;
            --outLeft;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
}

}  // namespace

int CharsetToCodePage(int charset) {
    switch (charset) {
        case 0: return 1252;
        case 77: return 10000;
        case 128: return 932;
        case 129: return 949;
        case 130: return 1361;
        case 134: return 936;
        case 136: return 950;
        case 161: return 1253;
        case 162: return 1254;
        case 163: return 1258;
        case 177: return 1255;
        case 178: return 1256;
        case 186: return 1257;
        case 204: return 1251;
        case 222: return 874;
        case 238: return 1250;
        case 255: return 437;
        default: return 0;
    }
}

bool IsKnownCodePage(int codePage) {
    codePage = Normalize(codePage);
    if (IsMultiByte(codePage)) return Iconv("UTF-16LE", IconvName(codePage)).ok();
    return TableFor(codePage) != nullptr;
}

std::u16string CodePageToUtf16(std::string_view text, int codePage) {
    codePage = Normalize(codePage);
    std::u16string out;
    if (IsMultiByte(codePage)) {
        const Iconv& conv = CachedIconv("UTF-16LE", IconvName(codePage));
        if (conv.ok()) {
            std::string bytes = IconvAll(conv.get(), text, 1, std::string_view("?\0", 2));
            out.resize(bytes.size() / 2);
            for (size_t i = 0; i < out.size(); ++i) out[i] = ReadLe16(bytes.data() + 2 * i);
            return out;
        }
        codePage = kAnsiCodePage;
    }
    const SingleByteTable* t = SingleByteOrAnsi(codePage);
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) out[i] = t->toUnicode[static_cast<unsigned char>(text[i])];
    return out;
}

std::string Utf16ToCodePage(std::u16string_view text, int codePage) {
    codePage = Normalize(codePage);
    if (IsMultiByte(codePage)) {
        const Iconv& conv = CachedIconv(IconvName(codePage), "UTF-16LE");
        if (conv.ok()) {
            std::string bytes;
            bytes.reserve(text.size() * 2);
            for (char16_t unit : text) AppendLe16(bytes, unit);
            return IconvAll(conv.get(), bytes, 2, "?");
        }
        codePage = kAnsiCodePage;
    }
    const SingleByteTable* t = SingleByteOrAnsi(codePage);
    std::string out(text.size(), '?');
    for (size_t i = 0; i < text.size(); ++i) {
        int16_t b = t->fromUnicode[text[i]];
        if (b >= 0) out[i] = static_cast<char>(b);
    }
    return out;
}

std::string Utf8ToCodePage(std::string_view utf8, int codePage, UnmappableHandler unmappable) {
    const SingleByteTable* t = SingleByteOrAnsi(Normalize(codePage));
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80 && t->fromUnicode[c] == c) {
            out.push_back(static_cast<char>(c));
            ++pos;
            continue;
        }
        // A malformed sequence stands for one U+FFFD per byte.
        const std::optional<char32_t> decoded = DecodeUtf8(utf8, pos);
        if (!decoded) ++pos;
        const char32_t cp = decoded.value_or(kReplacementCharacter);
        int16_t b = cp < 0x10000 ? t->fromUnicode[cp] : -1;
        if (b >= 0) {
            out.push_back(static_cast<char>(b));
        } else if (unmappable) {
            unmappable(cp, out);
        } else {
            out.push_back('?');
        }
    }
    return out;
}

std::string CodePageToUtf8(std::string_view text, int codePage) {
    std::u16string wide = CodePageToUtf16(text, codePage);
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (IsHighSurrogate(cp) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
            cp = CombineSurrogates(cp, wide[i + 1]);
            ++i;
        }
        AppendUtf8(cp, out);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Byte-at-a-time decoders

namespace {

constexpr char16_t kReplacement = kReplacementCharacter;

// Converts `n` bytes with `conv` into exactly one UTF-16 code unit; false
// when the bytes are incomplete, invalid or give anything else. The flush
// matters for CP1255 and CP1258, which hold a character back to compose it.
bool ConvertOne(const Iconv& conv, const char* bytes, size_t n, char16_t& unit, bool& incomplete) {
    char in[2] = {bytes[0], n > 1 ? bytes[1] : '\0'};
    char out[16];
    char* inPtr = in;
    size_t inLeft = n;
    char* outPtr = out;
    size_t outLeft = sizeof out;
    incomplete = false;
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    if (iconv(conv.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        incomplete = errno == EINVAL;
        return false;
    }
    if (iconv(conv.get(), nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    if (outPtr - out != 2) return false;
    unit = ReadLe16(out);
    return true;
}

bool IsDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

std::unique_ptr<CodePageDecoder> BuildDecoder(int codePage) {
    if (codePage == 65001) return nullptr;
    Iconv conv("UTF-16LE", IconvName(codePage));
    if (!conv.ok()) return nullptr;
    auto decoder = std::make_unique<CodePageDecoder>();
    const bool doubleByte = IsDoubleByte(codePage);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        char16_t unit = kReplacement;
        bool incomplete = false;
        if (ConvertOne(conv, &byte, 1, unit, incomplete)) {
            decoder->single[b] = unit;
        } else {
            decoder->single[b] = kReplacement;
            decoder->lead[b] = doubleByte && incomplete && b >= 0x80;
        }
    }
    if (!doubleByte) return decoder;
    decoder->pairs.assign(128 * 256, kReplacement);
    for (int lead = 0x80; lead < 256; ++lead) {
        if (!decoder->lead[lead]) continue;
        for (int trail = 0; trail < 256; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t unit = kReplacement;
            bool incomplete = false;
            if (ConvertOne(conv, bytes, 2, unit, incomplete)) decoder->pairs[(lead - 0x80) * 256 + trail] = unit;
        }
    }
    return decoder;
}

}  // namespace

// Made on first use and kept, with the last one remembered per thread, as
// the tables are.
const CodePageDecoder* DecoderFor(int codePage) {
    codePage = Normalize(codePage);
    thread_local int lastCodePage = -1;
    thread_local const CodePageDecoder* last = nullptr;
    if (codePage == lastCodePage) return last;
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePageDecoder>> decoders;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = decoders.find(codePage);
    if (it == decoders.end()) it = decoders.emplace(codePage, BuildDecoder(codePage)).first;
    lastCodePage = codePage;
    last = it->second.get();
    return last;
}

int AnsiByteOf(char32_t codePoint) {
    static const SingleByteTable* const ansi = TableFor(kAnsiCodePage);
    if (codePoint >= 0x10000 || !ansi) return -1;
    return ansi->fromUnicode[codePoint];
}

}  // namespace tovra

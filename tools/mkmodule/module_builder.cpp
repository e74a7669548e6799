// Laying out a module file.
#include "tools/mkmodule/module_builder.h"

#include <cstring>
#include <filesystem>
#include <zlib.h>

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/little_endian.h"
#include "refbible/comma_text.h"
#include "refbible/seeded_adler32.h"

namespace tovra::mkmodule {

namespace {

void PutLengthPrefixed(std::vector<std::uint8_t>& image, std::size_t offset, const std::string& text,
                       std::size_t maxLength, const char* what) {
    if (text.size() > maxLength)
        throw Error(std::string(what) + " longer than " + std::to_string(maxLength) + " characters");
    image[offset] = static_cast<std::uint8_t>(text.size());
    std::memcpy(image.data() + offset + 1, text.data(), text.size());
}

void CheckName(const std::string& name) {
    if (name.find('\0') != std::string::npos) throw Error("book name holds a zero byte");
}

std::vector<std::string> NameWords(const TVersification& versification) {
    std::vector<std::string> words;
    for (const TBookVersification& book : versification.books) {
        std::size_t start = 0;
        while (start < book.name.size()) {
            std::size_t end = book.name.find(' ', start);
            if (end == std::string::npos) end = book.name.size();
            if (end > start) words.push_back(book.name.substr(start, end - start));
            start = end + 1;
        }
    }
    return words;
}

}  // namespace

std::vector<std::uint8_t> CompressField(std::string_view text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::vector<std::uint8_t> out(size);
    const int rc = compress2(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()),
                             static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
    if (rc != Z_OK) throw Error("compression failed (" + std::to_string(rc) + ")");
    out.resize(size);
    return out;
}

void SealHeader(std::vector<std::uint8_t>& image, std::uint32_t seed) {
    if (image.size() < lt5::kHeaderSize) throw Error("module image shorter than its header");
    WriteLe32(image.data() + lt5::kHashOffset, SeededAdler32(seed, image.data(), lt5::kHashedSize));
}

void AttachField(std::vector<std::uint8_t>& image, std::size_t descriptorOffset,
                 const std::vector<std::uint8_t>& bytes, std::uint32_t unpackedSize) {
    const std::size_t offset = image.size();
    image.insert(image.end(), bytes.begin(), bytes.end());
    std::uint8_t* d = image.data() + descriptorOffset;
    WriteLe32(d, static_cast<std::uint32_t>(offset));
    WriteLe32(d + 4, static_cast<std::uint32_t>(bytes.size()));
    WriteLe32(d + 8, unpackedSize);
}

std::vector<std::uint8_t> BuildModule(const TVersification& versification, const TModuleOptions& options) {
    using namespace lt5;
    const std::size_t books = versification.books.size();
    if (books == 0 || books > 255) throw Error("a module holds 1 to 255 books");
    const int verses = versification.VerseTotal();
    if (verses < 1 || verses > 65535) throw Error("a module holds 1 to 65535 verses");

    std::vector<std::uint8_t> image(kHeaderSize, 0);
    PutLengthPrefixed(image, kTitleOffset, options.title, kTitleMaxLength, "title");
    PutLengthPrefixed(image, kShortCodeOffset, options.shortCode, kShortCodeMaxLength, "short code");
    WriteLe16(image.data() + kBookCountOffset, static_cast<std::uint16_t>(books));
    WriteLe16(image.data() + kVerseCountOffset, static_cast<std::uint16_t>(verses));
    image[kMagicOffset] = static_cast<std::uint8_t>(kMagicLength);
    std::memcpy(image.data() + kMagicOffset + 1, kMagicText, kMagicLength);

    // Verse records; their first eight bytes are not used by the reader and
    // are written as zero.
    WriteLe32(image.data() + kVerseTableOffsetField, static_cast<std::uint32_t>(image.size()));
    std::vector<std::uint16_t> firstVerses;
    std::vector<std::uint8_t> maxChapters;
    std::uint32_t ordinal = 1;
    for (std::size_t b = 0; b < books; ++b) {
        const TBookVersification& book = versification.books[b];
        CheckName(book.name);
        CheckName(book.abbrev);
        if (book.chapterVerses.empty() || book.chapterVerses.size() > 255)
            throw Error(book.name + ": a book holds 1 to 255 chapters");
        firstVerses.push_back(static_cast<std::uint16_t>(ordinal));
        maxChapters.push_back(static_cast<std::uint8_t>(book.chapterVerses.size()));
        for (std::size_t c = 0; c < book.chapterVerses.size(); ++c) {
            const int count = book.chapterVerses[c];
            if (count < 1 || count > 255) throw Error(book.name + ": a chapter holds 1 to 255 verses");
            for (int v = 1; v <= count; ++v, ++ordinal) {
                std::uint8_t record[kVerseRecordSize] = {};
                record[kRecordBookByte] = static_cast<std::uint8_t>(b + 1);
                record[kRecordChapterByte] = static_cast<std::uint8_t>(c + 1);
                record[kRecordVerseByte] = static_cast<std::uint8_t>(v);
                image.insert(image.end(), record, record + kVerseRecordSize);
            }
        }
    }

    WriteLe32(image.data() + kFirstVerseTableOffsetField, static_cast<std::uint32_t>(image.size()));
    for (std::uint16_t first : firstVerses) {
        AppendLe16(image, first);
    }
    WriteLe32(image.data() + kMaxChapterTableOffsetField, static_cast<std::uint32_t>(image.size()));
    image.insert(image.end(), maxChapters.begin(), maxChapters.end());

    std::vector<std::string> names, abbrevs;
    for (const TBookVersification& book : versification.books) {
        names.push_back(book.name);
        abbrevs.push_back(book.abbrev);
    }
    const std::string altText = FormatCommaText(abbrevs);
    AttachField(image, kAltBookNamesDescriptor, CompressField(altText), static_cast<std::uint32_t>(altText.size()));
    const std::string nameText = FormatCommaText(names);
    AttachField(image, kBookNamesDescriptor, CompressField(nameText), static_cast<std::uint32_t>(nameText.size()));

    if (options.includeWordList) {
        const std::vector<std::string> words = options.words.empty() ? NameWords(versification) : options.words;
        for (const std::string& word : words)
            if (word.find('\0') != std::string::npos) throw Error("word list entry holds a zero byte");
        const std::string wordText = FormatCommaText(words);
        AttachField(image, kWordListDescriptor, CompressField(wordText), static_cast<std::uint32_t>(wordText.size()));
        WriteLe32(image.data() + kWordListFlagOffset, static_cast<std::uint32_t>(words.size()));
    }

    SealHeader(image, options.hashSeed);
    return image;
}

void WriteModuleFile(const std::string& path, const std::vector<std::uint8_t>& image) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    if (ec) throw Error("Cannot create the folder of " + path + ": " + ec.message());
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

}  // namespace tovra::mkmodule

// Loading a reference Bible module: map the file, check the magic, copy the
// per-book tables, inflate the name lists, check the header hash and, for the
// KJV module, build the word list.
//
// Beyond the checks of the file format, the loader makes sure that every
// table it or the queries will read lies inside the file, so a header with
// wild offsets or counts cannot make the reader stray outside the mapping.
// Such damage is reported after the hash check: a header damaged at random
// fails the hash first, and only a consistently written but impossible header
// gets the damage message.
#include "refbible/module.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "platform/ascii.h"
#include "platform/little_endian.h"
#include "refbible/comma_text.h"
#include "refbible/mapped_file.h"
#include "refbible/seeded_adler32.h"

namespace tovra {

namespace {

bool Inside(std::int64_t offset, std::uint64_t length, std::size_t size) {
    return offset >= 0 && static_cast<std::uint64_t>(offset) <= size &&
           length <= size - static_cast<std::uint64_t>(offset);
}

bool IsListedWord(const std::string& word) {
    if (word.empty()) return false;
    const char first = word[0];
    if (first >= '0' && first <= '9') return false;
    return std::strchr("\"&'*+-\\", first) == nullptr;
}

}  // namespace

TLTBibleModule::TLTBibleModule(const std::string& fileName) : fileName_(fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) throw Error(fileName + " does not exist.");
        // Anything else (no permission, for instance) is left to the open,
        // which reports the system's error code.
    } else if (S_ISDIR(st.st_mode)) {
        throw Error(fileName + " does not exist.");
    }
    file_ = std::make_unique<TMappedFile>(fileName, false);
    Load({file_->Data(), file_->Size()});
}

TLTBibleModule::TLTBibleModule(const std::string& fileName, std::span<const std::uint8_t> image)
    : fileName_(fileName) {
    Load(image);
}

TLTBibleModule::~TLTBibleModule() = default;

void TLTBibleModule::Load(std::span<const std::uint8_t> image) {
    using namespace lt5;
    const std::uint8_t* data = image.data();
    const std::size_t size = image.size();

    // A file shorter than the header reads as if the missing bytes were zero.
    if (size > 0) std::memcpy(header_.data(), data, std::min(size, kHeaderSize));

    const std::size_t magicLength = header_[kMagicOffset];
    const char* magic = reinterpret_cast<const char*>(header_.data() + kMagicOffset + 1);
    if (magicLength != kMagicLength || std::memcmp(magic, kMagicText, kMagicLength) != 0) {
        const std::size_t shown = std::min(magicLength, kHeaderSize - kMagicOffset - 1);
        throw Error("Invalid Bible module file header (" + std::string(magic, shown) + ").");
    }

    const std::uint16_t books = BookCount();
    verseCount_ = VerseCount();
    std::string damage;
    auto note = [&damage](const char* what) {
        if (damage.empty()) damage = what;
    };
    if (books == 0) note("no books");
    if (verseCount_ == 0) note("no verses");

    const std::int64_t verseTableOffset = ReadLeSigned(header_.data() + kVerseTableOffsetField, 4);
    if (Inside(verseTableOffset, std::uint64_t{kVerseRecordSize} * verseCount_, size))
        verseTable_ = data + verseTableOffset;
    else
        note("verse table outside the file");

    const std::int64_t firstVerseOffset = ReadLeSigned(header_.data() + kFirstVerseTableOffsetField, 4);
    if (Inside(firstVerseOffset, std::uint64_t{2} * books, size)) {
        firstVerseTable_.resize(books);
        for (std::size_t b = 0; b < books; ++b)
            firstVerseTable_[b] = ReadLe16(data + firstVerseOffset + 2 * b);
    } else {
        note("first-verse table outside the file");
    }

    const std::int64_t maxChapterOffset = ReadLeSigned(header_.data() + kMaxChapterTableOffsetField, 4);
    if (Inside(maxChapterOffset, books, size))
        maxChapterTable_.assign(data + maxChapterOffset, data + maxChapterOffset + books);
    else
        note("highest-chapter table outside the file");

    altBookNames_ = ParseCommaText(UnpackField(
        data, size, ReadFieldDescriptor(header_.data() + kAltBookNamesDescriptor), kMaxUnpackedFieldSize));
    bookNames_ = ParseCommaText(UnpackField(
        data, size, ReadFieldDescriptor(header_.data() + kBookNamesDescriptor), kMaxUnpackedFieldSize));

    const std::uint32_t storedHash = ReadLe32(header_.data() + kHashOffset);
    if (HeaderHash(kPrimaryHashSeed) != storedHash && HeaderHash(kSecondaryHashSeed) != storedHash)
        throw Error("Module file has invalid or corrupt hash.");

    if (!damage.empty()) throw Error("Bible module file is damaged (" + damage + ").");
    BuildChapterRuns();

    if (header_[kShortCodeOffset] == 3 &&
        std::memcmp(header_.data() + kShortCodeOffset + 1, "KJV", 3) == 0 &&
        ReadLe32(header_.data() + kWordListFlagOffset) != 0) {
        std::vector<std::string> words = ParseCommaText(UnpackField(
            data, size, ReadFieldDescriptor(header_.data() + kWordListDescriptor), kMaxUnpackedFieldSize));
        wordList_.reserve(words.size());
        for (std::string& word : words)
            if (IsListedWord(word)) wordList_.push_back(AsciiLowerCase(word));
        std::sort(wordList_.begin(), wordList_.end());
        wordList_.erase(std::unique(wordList_.begin(), wordList_.end()), wordList_.end());
    }
}

std::uint16_t TLTBibleModule::BookCount() const {
    return ReadLe16(header_.data() + lt5::kBookCountOffset);
}

std::uint16_t TLTBibleModule::VerseCount() const {
    return ReadLe16(header_.data() + lt5::kVerseCountOffset);
}

std::string TLTBibleModule::ShortCode() const {
    const std::size_t length = std::min<std::size_t>(header_[lt5::kShortCodeOffset], lt5::kShortCodeMaxLength);
    return std::string(reinterpret_cast<const char*>(header_.data() + lt5::kShortCodeOffset + 1), length);
}

std::uint32_t TLTBibleModule::HeaderHash(std::uint32_t seed) const {
    return SeededAdler32(seed, header_.data(), lt5::kHashedSize);
}

}  // namespace tovra

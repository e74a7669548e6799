// A read-only view of a whole file, mapped into memory.
//
// The view stays valid for the object's lifetime. Without `exclusive` the file
// is held under a shared advisory lock, so other readers may open it while
// cooperating writers are kept out; with `exclusive` the lock is exclusive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovra {

class TMappedFile {
public:
    // Opens `fileName` for reading and maps all of it. Throws tovra::Error:
    // "Failed to open %s (%d)" when the file cannot be opened or locked,
    // "File mapping failed on %s (%d)" when it cannot be mapped (an empty
    // file, a file that is not a regular file); %d is the errno value.
    TMappedFile(const std::string& fileName, bool exclusive);
    ~TMappedFile();

    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;

    const std::string& FileName() const { return fileName_; }
    bool Exclusive() const { return exclusive_; }
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    std::string fileName_;
    bool exclusive_;
    int fd_ = -1;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace tovra

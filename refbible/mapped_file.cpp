// TMappedFile over POSIX open, flock and mmap.
#include "refbible/mapped_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/error.h"

namespace tovra {

namespace {

[[noreturn]] void FailOpen(const std::string& fileName, int code) {
    throw Error("Failed to open " + fileName + " (" + std::to_string(code) + ")");
}

[[noreturn]] void FailMapping(const std::string& fileName, int code) {
    throw Error("File mapping failed on " + fileName + " (" + std::to_string(code) + ")");
}

}  // namespace

TMappedFile::TMappedFile(const std::string& fileName, bool exclusive)
    : fileName_(fileName), exclusive_(exclusive) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is not a regular file
    // and fails the mapping below.
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) FailOpen(fileName, errno);
    // The descriptor is released by the destructor only after a completed
    // construction, so every failure below closes it first.
    auto fail = [this](bool mapping, int code) {
        ::close(fd_);
        fd_ = -1;
        if (mapping) FailMapping(fileName_, code);
        FailOpen(fileName_, code);
    };
    // A lock held by someone else refuses the open; a file system without
    // locks (some network file systems) is read without one.
    if (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        fail(false, errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail(true, errno);
    if (!S_ISREG(st.st_mode)) fail(true, ENODEV);
    if (st.st_size <= 0) fail(true, EINVAL);
    size_ = static_cast<std::size_t>(st.st_size);
    void* view = ::mmap(nullptr, size_, PROT_READ, MAP_SHARED, fd_, 0);
    if (view == MAP_FAILED) fail(true, errno);
    ::madvise(view, size_, MADV_RANDOM);
    data_ = static_cast<const std::uint8_t*>(view);
}

TMappedFile::~TMappedFile() {
    if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace tovra

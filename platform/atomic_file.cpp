// Temporary file, flush, rename.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/error.h"

namespace tovra {

TAtomicFile::TAtomicFile(std::string path) : path_(std::move(path)) {
    const size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string("./") : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string pattern = folder + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = mkstemp(buffer.data());
    if (fd_ < 0) throw Error("Cannot create file \"" + path_ + "\". " + std::strerror(errno));
    tempPath_ = buffer.data();
    // mkstemp makes the file private (0600); the new file gets the
    // permissions any newly created file would get.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd_, 0666 & ~mask) != 0) Fail("Cannot create file", errno);
}

TAtomicFile::~TAtomicFile() {
    if (fd_ >= 0) close(fd_);
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
}

void TAtomicFile::Fail(const char* what, int error) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    unlink(tempPath_.c_str());
    tempPath_.clear();
    throw Error(std::string(what) + " \"" + path_ + "\". " + std::strerror(error));
}

void TAtomicFile::Commit(std::string_view content) {
    Write(content);
    Commit();
}

void TAtomicFile::Write(std::string_view content) {
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        const ssize_t n = write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("Failed to write file", errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    // Start writing this piece to the disk now, without waiting for it, so
    // that the flush in Commit() finds most of the file written already
    // instead of writing all of it then. Only a hint: a failure here is
    // reported by the flush.
#ifdef SYNC_FILE_RANGE_WRITE
    if (!content.empty()) {
        sync_file_range(fd_, written_, static_cast<off_t>(content.size()), SYNC_FILE_RANGE_WRITE);
    }
#endif
    written_ += static_cast<off_t>(content.size());
}

void TAtomicFile::Commit() {
    if (fsync(fd_) != 0) Fail("Failed to write file", errno);
    const int closed = close(fd_);
    fd_ = -1;
    if (closed != 0) Fail("Failed to write file", errno);
    if (rename(tempPath_.c_str(), path_.c_str()) != 0) Fail("Cannot create file", errno);
    tempPath_.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
    TAtomicFile(path).Commit(content);
}

}  // namespace tovra

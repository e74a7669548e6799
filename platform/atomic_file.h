// Replacing a file all at once. The new content goes to a temporary file in
// the target's own folder (named "." + the target's name + ".XXXXXX"), is
// flushed to the disk and is then renamed over the target. A failure at any
// step removes the temporary file and leaves the target as it was, so a
// reader sees the old file or the new one, never a part of either.
//
// The new file gets the permissions any newly created file would get (0666
// less the umask). A target that is a symbolic link is replaced by a plain
// file.
#pragma once

#include <string>
#include <string_view>

namespace tovra {

// One replacement in two steps, for callers that have something to do once
// the temporary file exists and before the target changes, or that fill the
// temporary file by its name (a library that writes to a path).
class TAtomicFile {
public:
    // Creates the temporary file beside `path`. Throws Error
    // "Cannot create file \"<path>\". <reason>".
    explicit TAtomicFile(std::string path);
    // Removes the temporary file unless Commit has succeeded.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Writes `content`, flushes it to the disk and renames the temporary file
    // over the target. Throws Error "Failed to write file \"<path>\". <reason>"
    // when writing or flushing fails and "Cannot create file \"<path>\".
    // <reason>" when the rename fails; the temporary file is gone either way.
    // Call it once.
    void Commit(std::string_view content);

    // Appends `content` to the temporary file, for a caller that writes the
    // new content in pieces; Commit() then finishes the replacement. Throws
    // Error "Failed to write file \"<path>\". <reason>" (the temporary file
    // is then gone, and no later call may be made).
    void Write(std::string_view content);

    // The temporary file (it exists and is empty until written), for a
    // writer that fills it by name; Commit() then finishes the replacement.
    const std::string& TemporaryPath() const { return tempPath_; }
    // Flushes what has been written to the temporary file to the disk and
    // renames it over the target, with the errors of Commit(content).
    void Commit();

private:
    [[noreturn]] void Fail(const char* what, int error);

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    long long written_ = 0;  // bytes written so far
};

// The whole replacement in one call: TAtomicFile(path).Commit(content).
void WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace tovra

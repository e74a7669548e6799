// Output file naming, layout and the all-or-nothing write.
#include "engine/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/error.h"
#include "platform/version.h"

namespace tovra {

std::string BaseName(const std::string& inputPath) {
    size_t slash = inputPath.rfind('/');
    std::string name = slash == std::string::npos ? inputPath : inputPath.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string OutputFilePath(const std::string& outFolder, const std::string& inputPath) {
    return outFolder + "/" + BaseName(inputPath) + "_loom.txt";
}

std::string BuildOutputContent(const std::string& inputPath, const EntryList& entries, bool hasItalics,
                               bool hasFootnotes) {
    size_t size = 128 + inputPath.size();
    for (const Entry& e : entries) {
        size += e.name.size() + 10;
        for (const auto& line : e.lines) size += line.size() + 2;
    }
    std::string out;
    out.reserve(size);
    auto line = [&out](const std::string& text) {
        out += text;
        out += "\r\n";
    };
    line("; Exported by tovra " + VersionString());
    line("; Source: " + inputPath);
    if (hasItalics) line("; HAS ITALICS");
    if (hasFootnotes) line("; HAS FOOTNOTES");
    for (const Entry& e : entries) {
        if (IsBlank(e.lines)) continue;
        out += "\r\n$$ ";
        line(e.name);
        for (const auto& l : e.lines) line(l);
        out += "\r\n";
    }
    return out;
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
    size_t slash = path.rfind('/');
    std::string temp = (slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1)) +
                       "." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        throw Error("Cannot create file \"" + path + "\". " + std::strerror(errno));
    const std::string tempPath(name.data());
    auto fail = [&](const std::string& what) {
        int saved = errno;
        close(fd);
        unlink(tempPath.c_str());
        throw Error(what + " \"" + path + "\". " + std::strerror(saved));
    };
    // The new file gets the permissions any newly created file would get.
    mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0) fail("Cannot create file");
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("Failed to write file");
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (fsync(fd) != 0) fail("Failed to write file");
    if (close(fd) != 0) {
        int saved = errno;
        unlink(tempPath.c_str());
        throw Error("Failed to write file \"" + path + "\". " + std::strerror(saved));
    }
    if (rename(tempPath.c_str(), path.c_str()) != 0) {
        int saved = errno;
        unlink(tempPath.c_str());
        throw Error("Cannot create file \"" + path + "\". " + std::strerror(saved));
    }
}

void WriteOutputFile(const std::string& inputPath, const EntryList& entries, bool hasItalics,
                     bool hasFootnotes, const TRunSettings& settings, TStatusLog& log) {
    const std::string path = OutputFilePath(settings.OutFolder(), inputPath);
    log.Append("Writing entries to \"" + path + "\"");
    WriteFileAtomically(path, BuildOutputContent(inputPath, entries, hasItalics, hasFootnotes));
}

}  // namespace tovra

// Special folder look-ups for a freedesktop system.
#include "platform/special_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/build_config.h"

namespace tovra {
namespace {

bool IsDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Home() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "";
}

// XDG_DOCUMENTS_DIR from the environment or from user-dirs.dirs, with $HOME
// expanded; "" when not set.
std::string XdgDocumentsDir() {
    if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env && *env) return env;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string file = config && *config ? std::string(config) : Home() + "/.config";
    std::ifstream in(file + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
        return value;
    }
    return "";
}

std::string ExecutableDir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string ProgramDataFolder() {
    const std::string exeDir = ExecutableDir();
    const std::string buildDir = TOVRA_BUILD_DATA_DIR;
    const std::string buildRoot = buildDir.substr(0, buildDir.rfind('/'));
    // Run from the build tree: the freshly built data.
    if (!exeDir.empty() && (exeDir == buildRoot || exeDir.rfind(buildRoot + "/", 0) == 0) &&
        IsDirectory(buildDir))
        return buildDir;
    // Installed: share/tovra beside bin, wherever the installation was moved.
    if (!exeDir.empty()) {
        std::string beside = exeDir.substr(0, exeDir.rfind('/')) + "/share/tovra";
        if (IsDirectory(beside)) return beside;
    }
    return TOVRA_INSTALL_DATA_DIR;
}

}  // namespace

std::string SpecialFolderPath(int csidl) {
    switch (csidl) {
        case kCsidlPersonal: {
            std::string docs = XdgDocumentsDir();
            if (!docs.empty()) return docs;
            std::string home = Home();
            return home.empty() ? "" : home + "/Documents";
        }
        case kCsidlProgramFiles:
            return ProgramDataFolder();
        default:
            return "";
    }
}

}  // namespace tovra

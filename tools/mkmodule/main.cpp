// tovra-mkmodule: writes a reference Bible module from a versification table.
//
//   tovra-mkmodule [options] VERSIFICATION.tsv OUTPUT.lt5bible
//     --secondary-seed   seal the header with the secondary hash seed
//     --no-word-list     leave the word list out
//     --words FILE       take the word list from FILE (words separated by
//                        white space) instead of the words of the book names
//     --short-code CODE  short code (default KJV)
//     --title TEXT       title (default "King James Version")
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/error.h"
#include "tools/mkmodule/module_builder.h"

namespace {

int Usage() {
    std::cerr << "usage: tovra-mkmodule [--secondary-seed] [--no-word-list] [--words FILE]\n"
                 "                      [--short-code CODE] [--title TEXT] VERSIFICATION.tsv OUTPUT\n";
    return 2;
}

std::vector<std::string> ReadWords(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw tovra::Error("Cannot read " + path);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) words.push_back(word);
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tovra::mkmodule;
    TModuleOptions options;
    std::vector<std::string> positional;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw tovra::Error(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--secondary-seed") {
                options.hashSeed = tovra::lt5::kSecondaryHashSeed;
            } else if (arg == "--no-word-list") {
                options.includeWordList = false;
            } else if (arg == "--words") {
                options.words = ReadWords(value());
            } else if (arg == "--short-code") {
                options.shortCode = value();
            } else if (arg == "--title") {
                options.title = value();
            } else if (arg.size() > 1 && arg[0] == '-') {
                std::cerr << "tovra-mkmodule: unknown option " << arg << "\n";
                return Usage();
            } else {
                positional.push_back(arg);
            }
        }
        if (positional.size() != 2) return Usage();
        const TVersification versification = ReadVersificationFile(positional[0]);
        WriteModuleFile(positional[1], BuildModule(versification, options));
        std::cout << "Wrote " << positional[1] << ": " << versification.books.size() << " books, "
                  << versification.VerseTotal() << " verses\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tovra-mkmodule: " << e.what() << "\n";
        return 1;
    }
}

// Times the reference module work of a conversion start and of a Bible or
// commentary layout: loading the bundled KJV module, naming all its verses
// and looking up every verse's ordinal. Prints microseconds; the target for
// the three together is under 20 ms.
//
//   refbible_module_bench [MODULE] [ROUNDS]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "refbible/module.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path =
        argc > 1 ? argv[1] : std::string(TOVRA_BINARY_DIR) + "/data/Lectern 5/Modules/kjv.lt5bible";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    try {
        double bestLoad = 1e300, bestNames = 1e300, bestOrdinals = 1e300;
        std::size_t checksum = 0;
        for (int round = 0; round < rounds; ++round) {
            const auto t0 = Clock::now();
            tovra::TLTBibleModule module(path);
            const auto t1 = Clock::now();
            const std::int32_t v = module.VerseCount();
            std::vector<std::string> names;
            names.reserve(static_cast<std::size_t>(v));
            for (std::int32_t n = 1; n <= v; ++n)
                names.push_back(module.VerseReference(static_cast<std::uint16_t>(n), false));
            const auto t2 = Clock::now();
            // The locations are gathered first so that only the look-ups are timed.
            std::vector<std::array<std::int32_t, 3>> places(static_cast<std::size_t>(v));
            for (std::int32_t n = 1; n <= v; ++n) {
                auto& p = places[static_cast<std::size_t>(n - 1)];
                module.VerseLocation(n, p[0], p[1], p[2]);
            }
            const auto t3 = Clock::now();
            for (const auto& p : places) checksum += static_cast<std::size_t>(module.VerseOrdinal(p[0], p[1], p[2]));
            const auto t4 = Clock::now();
            checksum += names.back().size();
            bestLoad = std::min(bestLoad, Micros(t0, t1));
            bestNames = std::min(bestNames, Micros(t1, t2));
            bestOrdinals = std::min(bestOrdinals, Micros(t3, t4));
        }
        std::printf("module: %s\n", path.c_str());
        std::printf("best of %d rounds, microseconds\n", rounds);
        std::printf("  load module             %10.1f\n", bestLoad);
        std::printf("  31102 verse references  %10.1f\n", bestNames);
        std::printf("  31102 verse ordinals    %10.1f\n", bestOrdinals);
        std::printf("  total                   %10.1f  (target < 20000)\n", bestLoad + bestNames + bestOrdinals);
        std::printf("checksum %zu\n", checksum);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "refbible_module_bench: %s\n", e.what());
        return 1;
    }
}

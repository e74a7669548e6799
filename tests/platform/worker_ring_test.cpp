#include "platform/worker_ring.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tovra {
namespace {

// Slots are finished in the order they were handed over, each seeing what
// was written to it before, and the filling thread sees what `finish` wrote
// once Acquire gives the slot back; a slot is never given back early.
TEST(WorkerRingTest, FinishesEverySlotInOrder) {
    for (uint32_t slots : {1u, 3u, 8u}) {
        std::vector<int> input(slots), output(slots);
        std::vector<int> finishedOrder;
        TWorkerRing ring(slots, [&](uint32_t slot) {
            finishedOrder.push_back(input[slot]);
            output[slot] = input[slot] * 2;
        });
        std::vector<int> seen;
        for (int value = 0; value < 2000; ++value) {
            const uint32_t slot = ring.Acquire();
            if (value >= static_cast<int>(slots)) seen.push_back(output[slot]);
            input[slot] = value;
            ring.Publish();
        }
        ring.Drain();
        ASSERT_EQ(finishedOrder.size(), 2000u);
        for (int value = 0; value < 2000; ++value) ASSERT_EQ(finishedOrder[static_cast<size_t>(value)], value);
        for (size_t k = 0; k < seen.size(); ++k) ASSERT_EQ(seen[k], 2 * static_cast<int>(k)) << slots;
        EXPECT_EQ(ring.TakeFailure(), nullptr);
    }
}

// The first exception is kept and the slots after it are passed by; once it
// is taken, the ring finishes slots again.
TEST(WorkerRingTest, KeepsTheFirstFailure) {
    std::vector<int> finished;
    TWorkerRing ring(4, [&](uint32_t) {
        finished.push_back(static_cast<int>(finished.size()));
        if (finished.size() == 3) throw std::runtime_error("third");
    });
    for (int i = 0; i < 10; ++i) {
        ring.Acquire();
        ring.Publish();
    }
    ring.Drain();
    EXPECT_EQ(finished.size(), 3u);
    const std::exception_ptr failure = ring.TakeFailure();
    ASSERT_NE(failure, nullptr);
    try {
        std::rethrow_exception(failure);
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "third");
    }
    ring.Acquire();
    ring.Publish();
    ring.Drain();
    EXPECT_EQ(finished.size(), 4u);
    EXPECT_EQ(ring.TakeFailure(), nullptr);
}

// A ring that never got a slot, and one destroyed with slots under way,
// stop cleanly.
TEST(WorkerRingTest, StopsWithOrWithoutWork) {
    { TWorkerRing idle(2, [](uint32_t) {}); }
    int finished = 0;
    {
        TWorkerRing busy(2, [&](uint32_t) { ++finished; });
        for (int i = 0; i < 100; ++i) {
            busy.Acquire();
            busy.Publish();
        }
    }
    EXPECT_EQ(finished, 100);
}

}  // namespace
}  // namespace tovra

#include "platform/worker_ring.h"

#include <sched.h>

#include <system_error>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tovra {
namespace {

inline void CpuRelax() {
#if defined(__SSE2__)
    _mm_pause();
#endif
}

}  // namespace

TWorkerRing::TWorkerRing(uint32_t slots, std::function<void(uint32_t)> finish)
    : slots_(slots > 0 ? slots : 1), finish_(std::move(finish)) {}

TWorkerRing::~TWorkerRing() {
    Drain();
    if (worker_.joinable()) {
        // The worker is waiting for the count of published slots to change;
        // it looks at the stop flag before it takes a slot.
        stop_.store(true, std::memory_order_release);
        published_.fetch_add(1, std::memory_order_release);
        published_.notify_one();
        worker_.join();
    }
}

bool TWorkerRing::SpareProcessor() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return CPU_COUNT(&allowed) > 1;
    return std::thread::hardware_concurrency() > 1;
}

uint32_t TWorkerRing::WaitForChange(const std::atomic<uint32_t>& value, uint32_t seen,
                                    std::atomic<bool>& asleep) {
    for (int spin = 0; spin < 20000; ++spin) {
        const uint32_t now = value.load(std::memory_order_acquire);
        if (now != seen) return now;
        // Mostly a pause; now and then the processor is offered to another
        // thread, which may be the very one waited for when both threads
        // share a processor.
        if (spin % 64 == 63) {
            std::this_thread::yield();
        } else {
            CpuRelax();
        }
    }
    // The flag is raised before the value is looked at again, and the other
    // side changes the value before it looks at the flag (both sequentially
    // consistent), so that one of the two always sees the other.
    asleep.store(true, std::memory_order_seq_cst);
    if (value.load(std::memory_order_seq_cst) == seen) value.wait(seen, std::memory_order_acquire);
    asleep.store(false, std::memory_order_relaxed);
    return value.load(std::memory_order_acquire);
}

void TWorkerRing::Wake(std::atomic<uint32_t>& value, const std::atomic<bool>& asleep) {
    if (asleep.load(std::memory_order_seq_cst)) value.notify_one();
}

uint32_t TWorkerRing::Acquire() {
    const uint32_t published = published_.load(std::memory_order_relaxed);
    uint32_t finished = finished_.load(std::memory_order_acquire);
    while (published - finished >= slots_) finished = WaitForChange(finished_, finished, producerAsleep_);
    return published % slots_;
}

void TWorkerRing::Publish() {
    const uint32_t published = published_.load(std::memory_order_relaxed);
    if (!started_ && !threadless_) {
        try {
            worker_ = std::thread([this, caller = sched_getcpu()] {
                cpu_set_t allowed;
                if (caller >= 0 && sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 1) {
                    CPU_CLR(caller, &allowed);
                    sched_setaffinity(0, sizeof allowed, &allowed);
                }
                Run();
            });
            started_ = true;
        } catch (const std::system_error&) {
            threadless_ = true;
        }
    }
    if (threadless_) {
        FinishOne(published % slots_);
        published_.store(published + 1, std::memory_order_relaxed);
        finished_.store(published + 1, std::memory_order_relaxed);
        return;
    }
    published_.store(published + 1, std::memory_order_seq_cst);
    Wake(published_, workerAsleep_);
}

void TWorkerRing::Drain() {
    const uint32_t published = published_.load(std::memory_order_relaxed);
    uint32_t finished = finished_.load(std::memory_order_acquire);
    while (finished != published) finished = WaitForChange(finished_, finished, producerAsleep_);
}

std::exception_ptr TWorkerRing::TakeFailure() {
    std::exception_ptr failure = std::exchange(failure_, nullptr);
    failed_.store(false, std::memory_order_release);
    return failure;
}

void TWorkerRing::FinishOne(uint32_t index) {
    if (failed_.load(std::memory_order_relaxed)) return;
    try {
        finish_(index);
    } catch (...) {
        failure_ = std::current_exception();
        failed_.store(true, std::memory_order_release);
    }
}

void TWorkerRing::Run() {
    uint32_t finished = finished_.load(std::memory_order_relaxed);
    uint32_t published = published_.load(std::memory_order_acquire);
    for (;;) {
        while (published == finished) published = WaitForChange(published_, published, workerAsleep_);
        if (stop_.load(std::memory_order_acquire)) return;
        FinishOne(finished % slots_);
        ++finished;
        finished_.store(finished, std::memory_order_seq_cst);
        Wake(finished_, producerAsleep_);
    }
}

}  // namespace tovra

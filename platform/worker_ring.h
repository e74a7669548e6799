// A ring of slots that one thread fills and one worker thread finishes, in
// the order they were filled. The filling thread takes the next slot with
// Acquire (waiting while the worker still holds it), fills it and hands it
// over with Publish; the worker calls `finish` with the slot's index. Drain
// waits until every handed-over slot is finished.
//
// Everything the filling thread wrote to a slot before Publish is visible to
// `finish`, and everything `finish` wrote is visible to the filling thread
// once Acquire has given the slot back (or Drain has returned).
//
// An exception thrown by `finish` is kept; the slots handed over after it
// are passed by without calling `finish`. When no thread can be started,
// Publish finishes the slot itself, so the ring still works, one slot at a
// time.
//
// The worker keeps off the processor the filling thread was on when the
// worker started (where there is another): woken from sleep, a thread is
// often put on the processor of the thread that woke it, and two busy
// threads on one processor take turns instead of running side by side.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

namespace tovra {

class TWorkerRing {
public:
    // `slots` of at least 1. The worker thread starts with the first Publish.
    TWorkerRing(uint32_t slots, std::function<void(uint32_t)> finish);
    // Drains, then stops the worker.
    ~TWorkerRing();
    TWorkerRing(const TWorkerRing&) = delete;
    TWorkerRing& operator=(const TWorkerRing&) = delete;

    // True when this process may run on more than one processor. Waiting
    // spins briefly, which only pays when the two threads run side by side:
    // on one processor a worker costs time instead of saving it.
    static bool SpareProcessor();

    // The index of the next slot to fill, once the worker has finished with
    // it. Acquiring again without publishing gives the same slot.
    uint32_t Acquire();
    // Hands the acquired slot to the worker.
    void Publish();
    // Waits until every published slot is finished.
    void Drain();
    // The kept exception (null when none), forgotten from here on. Only
    // meaningful after Drain.
    std::exception_ptr TakeFailure();

private:
    void Run();
    void FinishOne(uint32_t index);
    // Waits until `value` differs from `seen`, spinning briefly first: the
    // slots are short, and a thread put to sleep costs more to wake than a
    // short spin. `asleep` tells the other side that a wake-up is needed.
    static uint32_t WaitForChange(const std::atomic<uint32_t>& value, uint32_t seen, std::atomic<bool>& asleep);
    // Wakes the thread waiting for `value` to change, if it sleeps: a wake-up
    // is a system call, too dear to make after every slot.
    static void Wake(std::atomic<uint32_t>& value, const std::atomic<bool>& asleep);

    const uint32_t slots_;
    std::function<void(uint32_t)> finish_;
    std::atomic<uint32_t> published_{0};
    std::atomic<uint32_t> finished_{0};
    std::atomic<bool> producerAsleep_{false};
    std::atomic<bool> workerAsleep_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    std::exception_ptr failure_;
    bool started_ = false;
    bool threadless_ = false;
    std::thread worker_;
};

}  // namespace tovra

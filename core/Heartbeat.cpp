#include "core/Heartbeat.h"

#include <atomic>

namespace xtq {
namespace {

// One stop request for the whole process: parts of a command that run on
// other threads see it as well.
std::atomic<bool> stopRequested{false};
thread_local IBeatHandler* threadHandler = nullptr;

} // namespace

void Beat(std::uint64_t done, std::uint64_t total) {
    if (stopRequested.load(std::memory_order_relaxed)) [[unlikely]]
        throw ECommandCancelled(kCancelledMessage);
    if (threadHandler != nullptr) {
        threadHandler->Beat(done, total);
        // The handler may have taken the request (a click on Cancel).
        if (stopRequested.load(std::memory_order_relaxed))
            throw ECommandCancelled(kCancelledMessage);
    }
}

void RequestStop() noexcept {
    stopRequested.store(true, std::memory_order_relaxed);
}

bool StopRequested() noexcept {
    return stopRequested.load(std::memory_order_relaxed);
}

TBeatScope::TBeatScope(IBeatHandler* handler) : outer_(threadHandler) {
    if (outer_ == nullptr) stopRequested.store(false, std::memory_order_relaxed);
    threadHandler = handler;
}

TBeatScope::~TBeatScope() {
    threadHandler = outer_;
    if (outer_ == nullptr) stopRequested.store(false, std::memory_order_relaxed);
}

} // namespace xtq

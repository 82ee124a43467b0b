#pragma once
// Long computations beat now and then: at every beat a stop that the user
// asked for ends the computation with ECommandCancelled, and the thread that
// runs a command lets its handler run (a window repaints and looks at its
// Cancel button). Beats come only at points where stopping leaves nothing
// half done, every few milliseconds of work at most.

#include "core/Exception.h"

#include <cstdint>

namespace xtq {

// A long command was stopped by the user's request.
XTQ_DECLARE_ERROR(ECommandCancelled, Exception);
inline constexpr const char* kCancelledMessage = "命令已取消。";

// What the thread of a command does at a beat; `done` of `total` steps of
// the work that beats (total 0: no position known).
class IBeatHandler {
public:
    virtual ~IBeatHandler() = default;
    virtual void Beat(std::uint64_t done, std::uint64_t total) = 0;
};

// Raises ECommandCancelled once a stop was requested; otherwise runs this
// thread's handler, if it has one.
void Beat(std::uint64_t done = 0, std::uint64_t total = 0);

// Asks the running command to stop at its next beat; from any thread.
void RequestStop() noexcept;
bool StopRequested() noexcept;

// For its lifetime: `handler` is this thread's handler and a stop requested
// before it began is forgotten. Scopes nest; the outer handler comes back.
class TBeatScope {
public:
    explicit TBeatScope(IBeatHandler* handler);
    ~TBeatScope();
    TBeatScope(const TBeatScope&) = delete;
    TBeatScope& operator=(const TBeatScope&) = delete;

private:
    IBeatHandler* outer_;
};

} // namespace xtq

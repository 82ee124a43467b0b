#pragma once
// Progress of the long commands of a document (Open, Regress, Save, Save As)
// for a window's progress bar.
//
// The command calls the IProgress it was given on its own thread: Begin when
// it starts, Position now and then with a percentage, End when it is over,
// whether it ended normally, by an error or cancelled. A window may repaint
// inside these calls and take a request to stop (xtq::RequestStop, from its
// Cancel button), but must not let the user edit the document or start
// another command meanwhile; the document refuses a second command
// (EDocumentBusy) while one runs. A stop ends the command at its next beat
// (core/Heartbeat.h) with ECommandCancelled and the document as it was.

#include "core/Heartbeat.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace xtq {

class IProgress {
public:
    virtual ~IProgress() = default;
    // A command starts; the position is 0.
    virtual void ProgressBegin() {}
    // The position, 1 to 100, never lower than the one reported before (the
    // same again while a long step gives no position). Reported only once the
    // command has run for the interval (kProgressInterval unless set
    // otherwise), and then at most once per interval, so that short commands
    // report none and no command more than about 25 a second.
    virtual void ProgressPosition(int percent) = 0;
    // The command is over (also after an error); the bar may be emptied.
    virtual void ProgressEnd() {}
};

inline constexpr std::chrono::milliseconds kProgressInterval{40};

// Turns a command's steps into positions for an IProgress (which may be null).
// The command is cut into stages, each a share of the 100 per cent. As the
// command's beat handler, it takes the positions of the computations it
// calls (the fit, the evaluation) into the current stage.
class TProgressMeter : public IBeatHandler {
public:
    explicit TProgressMeter(IProgress* progress,
                            std::chrono::steady_clock::duration interval = kProgressInterval)
        : progress_(progress), interval_(interval) {}
    ~TProgressMeter() override {
        if (begun_) progress_->ProgressEnd();
    }
    TProgressMeter(const TProgressMeter&) = delete;
    TProgressMeter& operator=(const TProgressMeter&) = delete;

    void Begin() {
        if (progress_ == nullptr || begun_) return;
        begun_ = true;
        last_ = std::chrono::steady_clock::now();
        progress_->ProgressBegin();
    }

    // The next steps fill the positions from `from` to `to`.
    void Stage(int from, int to) {
        from_ = from;
        to_ = to;
        Report(from);
    }

    // `done` of `total` steps of the current stage.
    void Advance(std::uint64_t done, std::uint64_t total) {
        if (!begun_ || total == 0) return;
        const double share =
            static_cast<double>(std::min(done, total)) / static_cast<double>(total);
        Report(from_ + static_cast<int>(share * (to_ - from_)));
    }

    // A beat: the position within the stage when it is known; otherwise the
    // position shown is reported again once the interval has passed, so that
    // a window stays responsive during a long step.
    void Beat(std::uint64_t done, std::uint64_t total) override {
        if (total > 0) {
            Advance(done, total);
        } else {
            Report(std::max(shown_, 1), true);
        }
    }

    // The command has done its work: 100 per cent, if positions were shown.
    void Finish() {
        if (begun_ && shown_ > 0 && shown_ < 100) {
            shown_ = 100;
            progress_->ProgressPosition(100);
        }
    }

private:
    void Report(int percent, bool again = false) {
        if (!begun_ || (percent <= shown_ && !again) || percent < shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_) return;
        last_ = now;
        shown_ = std::min(percent, 100);
        progress_->ProgressPosition(shown_);
    }

    IProgress* progress_;
    std::chrono::steady_clock::duration interval_;
    std::chrono::steady_clock::time_point last_{};
    int from_ = 0;
    int to_ = 100;
    int shown_ = 0;
    bool begun_ = false;
};

} // namespace xtq

#include "document/RecentFiles.h"

#include "core/IntegerText.h"
#include "core/Utf8Text.h"
#include "storage/OptionsFile.h"

#include <algorithm>
#include <utility>

namespace xtq {

namespace {

std::string EntryName(int number) {
    return "I" + IntToStr(number);
}

} // namespace

TRecentFiles::TRecentFiles(std::string optionsFileName)
    : optionsFileName_(std::move(optionsFileName)) {}

TRecentChange TRecentFiles::AddRecentFile(std::string_view name) {
    const std::string_view wanted = TrimBlanks(name);
    const auto found = std::find_if(entries_.begin(), entries_.end(), [wanted](const auto& entry) {
        return TrimBlanks(entry.Caption) == wanted;
    });
    if (found != entries_.end()) {
        if (found == entries_.begin()) return TRecentChange::None;
        // The captions from the top down to the found one move down one place.
        std::string caption = std::move(found->Caption);
        for (auto it = found; it != entries_.begin(); --it)
            it->Caption = std::move((it - 1)->Caption);
        entries_.front().Caption = std::move(caption);
        return TRecentChange::Moved;
    }
    if (RecentCount() >= recentMax_) {
        for (size_t i = entries_.size() - 1; i > 0; --i) {
            entries_[i].Caption = std::move(entries_[i - 1].Caption);
        }
        entries_.front().Caption = std::string(name);
        return TRecentChange::Replaced;
    }
    entries_.insert(entries_.begin(), TRecentEntry{EntryName(RecentCount()), std::string(name)});
    return TRecentChange::Added;
}

void TRecentFiles::LoadRecentFiles() {
    // Of the paths only the last RecentMax are kept: the newest ones. Lines
    // missing at the end of the file read as empty paths.
    const auto maxOf = [](int recentMax) { return std::clamp(recentMax, 1, kRecentMaxLimit); };
    std::optional<TOptionsFile> file = ReadOptionsFile(optionsFileName_, maxOf);
    if (!file) return;
    const int max = maxOf(file->RecentMax);
    std::vector<std::string>& captions = file->Paths; // oldest first
    captions.resize(static_cast<size_t>(std::min(std::max(file->RecentCount, 0), max)));
    std::vector<TRecentEntry> entries;
    entries.reserve(captions.size());
    // Each entry lands above the ones read before it.
    for (size_t i = captions.size(); i-- > 0;)
        entries.push_back(TRecentEntry{EntryName(static_cast<int>(i)), std::move(captions[i])});
    recentMax_ = max;
    entries_ = std::move(entries);
}

void TRecentFiles::SaveRecentFiles() const {
    // From the bottom entry to the top one, so that loading restores the order.
    std::vector<std::string> paths;
    paths.reserve(entries_.size());
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        paths.push_back(it->Caption);
    WriteOptionsFile(optionsFileName_, recentMax_, paths);
}

} // namespace xtq

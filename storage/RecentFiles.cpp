#include "storage/RecentFiles.h"

#include "storage/GbkCodec.h"
#include "storage/InOutError.h"
#include "storage/IntegerText.h"
#include "storage/TextFile.h"
#include "storage/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <utility>

namespace xtq {

namespace {

std::string EntryName(int number) {
    return "I" + std::to_string(number);
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
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
    if (!FileExists(optionsFileName_)) return;
    TLineReader reader(optionsFileName_);
    std::string_view line;
    auto next = [&reader, &line]() -> std::string_view {
        return reader.ReadLine(line) ? line : std::string_view();
    };
    const int max = std::clamp(StrToInt(GbkToUtf8(next())), 1, kRecentMaxLimit);
    const int count = std::max(StrToInt(GbkToUtf8(next())), 0);

    // Of `count` path lines only the last `max` are kept: the newest ones.
    // Lines missing at the end of the file read as empty paths.
    const int skip = count > max ? count - max : 0;
    std::vector<std::string> captions; // oldest first
    for (int i = 0; i < count && reader.ReadLine(line); ++i) {
        if (i >= skip) captions.push_back(GbkToUtf8(line));
    }
    captions.resize(static_cast<size_t>(count - skip));
    std::vector<TRecentEntry> entries;
    entries.reserve(captions.size());
    // Each entry lands above the ones read before it.
    for (size_t i = captions.size(); i-- > 0;) {
        entries.push_back(TRecentEntry{EntryName(static_cast<int>(i)), std::move(captions[i])});
    }
    recentMax_ = max;
    entries_ = std::move(entries);
}

void TRecentFiles::SaveRecentFiles() const {
    // From the bottom entry to the top one, so that loading restores the order.
    std::vector<std::string> paths;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const std::string_view caption = TrimBlanks(it->Caption);
        if (caption.find_first_of("\r\n") != std::string_view::npos) continue;
        try {
            paths.push_back(Utf8ToGbk(caption));
        } catch (const EEncodingError&) {
            continue;
        }
    }
    TSafeFileWriter writer(optionsFileName_);
    writer.Write(std::to_string(recentMax_) + "\r\n");
    writer.Write(std::to_string(paths.size()) + "\r\n");
    for (const std::string& path : paths) {
        writer.Write(path);
        writer.Write("\r\n");
    }
    writer.Commit();
}

} // namespace xtq

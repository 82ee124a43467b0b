#pragma once
// The recent-files list of the File menu and its options file Zelmora.opt.
//
// The list is plain data: the entries in menu order with their component
// names and captions, and the counters. The window mirrors it into menu items:
// entry i is the item at index RecentInsertPos() + i of the File menu, and
// once HasSeparator() is true one separator item "-" follows the last entry,
// just before "&E 结束". Entries are never removed; a new entry always
// appears at the top, and its name stays with its item while captions move.
//
// Options file, one value per line, CR LF, GBK: RecentMax, RecentCount, then
// the paths from the bottom entry to the top one.

#include <string>
#include <string_view>
#include <vector>

namespace xtq {

inline constexpr int kRecentInsertPos = 6;
inline constexpr int kDefaultRecentMax = 9;
// The largest list the program keeps, so that every entry name has at most
// three characters ("I0" to "I99"): Open tells an entry by its short name.
inline constexpr int kRecentMaxLimit = 100;

struct TRecentEntry {
    std::string Name;    // component name "I0", "I1", ...; never changes
    std::string Caption; // the full path, exactly as it was added or read
    bool operator==(const TRecentEntry&) const = default;
};

// What AddRecentFile did, for the window's mirroring: on Added a new item
// (the first entry's name) is inserted at the top, preceded by the separator
// when HasSeparator() just became true; in every case the captions are set
// again from Entries().
enum class TRecentChange { None, Moved, Replaced, Added };

class TRecentFiles {
public:
    // `optionsFileName` is the options file of the program folder (OptionsFileOf).
    explicit TRecentFiles(std::string optionsFileName);

    const std::string& OptionsFileName() const { return optionsFileName_; }
    int RecentInsertPos() const { return kRecentInsertPos; }
    int RecentMax() const { return recentMax_; }
    int RecentCount() const { return static_cast<int>(entries_.size()); }
    // The entries from the top of the menu (newest) to the bottom.
    const std::vector<TRecentEntry>& Entries() const { return entries_; }
    // True once the first entry exists; the separator then stays.
    bool HasSeparator() const { return !entries_.empty(); }

    // Called by Open for every file name it handles, before the file is read.
    // A caption equal to the name (both without leading and trailing blanks
    // and control characters; letter case counts) moves to the top, the
    // entries above it moving down one place. Otherwise the name becomes the
    // top entry: in a new entry "I<RecentCount>" while the list is not full,
    // and by moving every caption down one place (the oldest drops out) when
    // it is.
    TRecentChange AddRecentFile(std::string_view name);

    // Start-up: reads the options file. Without one, nothing changes. Line 1
    // gives RecentMax and line 2 RecentCount; then come the paths, the oldest
    // first, each taken as read (a missing line reads as an empty path).
    // The list is replaced only when reading succeeds.
    //
    // Files the program never writes are read as far as they make sense:
    // RecentMax is kept between 1 and kRecentMaxLimit; a negative count reads
    // as 0; a count above RecentMax keeps the newest RecentMax paths (the last
    // ones of the count), so the list never outgrows its maximum.
    //
    // Raises EConvertError "'%s' is not a valid integer value" when line 1 or
    // 2 is not a decimal integer (or is missing), EInOutError when the file
    // cannot be read; the list is then as it was.
    void LoadRecentFiles();

    // Shut-down: writes the options file, replacing it only once the new
    // contents are on the disk. Captions are written without leading and
    // trailing blanks and control characters. Raises EInOutError when the
    // file cannot be written (the window then stays open and the next close
    // tries again); the old file is then unchanged.
    //
    // A caption that the file cannot hold (a line break inside the path, or a
    // character GBK cannot hold) is left out of the file, and the count
    // written is that of the paths written, so one odd path never keeps the
    // program from closing nor damages the file.
    void SaveRecentFiles() const;

private:
    std::string optionsFileName_;
    int recentMax_ = kDefaultRecentMax;
    std::vector<TRecentEntry> entries_;
};

} // namespace xtq

#pragma once
// The options file Zelmora.opt, which keeps the recent-files list from one
// run to the next. One value per line, CR LF, GBK: RecentMax, RecentCount,
// then the paths from the bottom entry of the list to the top one.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace xtq {

inline constexpr const char* kOptionsFileName = "Zelmora.opt";

struct TOptionsFile {
    int RecentMax = 0;
    int RecentCount = 0;
    // The path lines that follow the counts, as read (UTF-8), at most
    // RecentCount of them; fewer when the file ends early.
    std::vector<std::string> Paths;
};

// Reads the options file; nothing when there is none. Raises EConvertError
// "'%s' is not a valid integer value" when line 1 or 2 is not a decimal
// integer (or is missing), EInOutError when the file cannot be read.
// Of the RecentCount path lines, only the last keepLast(RecentMax) are kept.
std::optional<TOptionsFile> ReadOptionsFile(const std::string& path,
                                            const std::function<int(int)>& keepLast);

// Writes the options file: `recentMax`, the number of paths written, then the
// paths in the order given (the bottom entry first), each without leading and
// trailing blanks and control characters. The file is replaced only once the
// new contents are on the disk; raises EInOutError (the old file unchanged)
// when it cannot be written. A path the file cannot hold (a line break inside
// it, or a character GBK cannot hold) is left out.
void WriteOptionsFile(const std::string& path, int recentMax,
                      const std::vector<std::string>& paths);

} // namespace xtq

#include "storage/OptionsFile.h"

#include "core/IntegerText.h"
#include "core/Utf8Text.h"
#include "storage/GbkCodec.h"
#include "storage/TextFile.h"

#include <algorithm>
#include <sys/stat.h>

namespace xtq {
namespace {

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

} // namespace

std::optional<TOptionsFile> ReadOptionsFile(const std::string& path,
                                            const std::function<int(int)>& keepLast) {
    if (!FileExists(path)) return std::nullopt;
    TLineReader reader(path);
    std::string_view line;
    auto next = [&reader, &line]() -> std::string_view {
        return reader.ReadLine(line) ? line : std::string_view();
    };
    TOptionsFile file;
    file.RecentMax = StrToInt(GbkToUtf8(next()));
    file.RecentCount = StrToInt(GbkToUtf8(next()));
    const int skip = std::max(file.RecentCount - std::max(keepLast(file.RecentMax), 0), 0);
    for (int i = 0; i < file.RecentCount && reader.ReadLine(line); ++i)
        if (i >= skip) file.Paths.push_back(GbkToUtf8(line));
    return file;
}

void WriteOptionsFile(const std::string& path, int recentMax,
                      const std::vector<std::string>& paths) {
    std::vector<std::string> lines;
    for (const std::string& p : paths) {
        const std::string_view trimmed = TrimBlanks(p);
        if (trimmed.find_first_of("\r\n") != std::string_view::npos) continue;
        try {
            lines.push_back(Utf8ToGbk(trimmed));
        } catch (const EEncodingError&) {
            continue;
        }
    }
    TSafeFileWriter writer(path);
    writer.Write(IntToStr(recentMax) + "\r\n");
    writer.Write(IntToStr(static_cast<long long>(lines.size())) + "\r\n");
    for (const std::string& line : lines) {
        writer.Write(line);
        writer.Write("\r\n");
    }
    writer.Commit();
}

} // namespace xtq

// The options file Zelmora.opt as a damaged or foreign file may hold it:
// start-up loads it, shut-down writes the list back, and the next start must
// load that file into the same list.

#include "core/Exception.h"
#include "core/Utf8Text.h"
#include "document/RecentFiles.h"
#include "fuzz/FuzzSupport.h"
#include "storage/GbkCodec.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace xtq;
using xtq::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const xtq::fuzz::ScratchFile input("Zelmora.opt");
    xtq::fuzz::WriteFile(input.Path(), std::string_view(reinterpret_cast<const char*>(data), size));

    TRecentFiles first(input.Path());
    try {
        first.LoadRecentFiles();
    } catch (const Exception&) {
        // A count line that is no integer: the list stays as it was, empty.
        Check(first.RecentCount() == 0, "a failed load changed the list");
    }
    Check(first.RecentMax() >= 1 && first.RecentMax() <= kRecentMaxLimit,
          "the maximum is outside its range");
    Check(first.RecentCount() <= first.RecentMax(), "the list outgrew its maximum");
    for (const TRecentEntry& entry : first.Entries())
        Check(entry.Name.size() <= 3, "an entry name Open cannot recognise: " + entry.Name);

    // The list keeps working as Open uses it.
    first.AddRecentFile("/fuzz/new.rgs");
    Check(TrimBlanks(first.Entries().front().Caption) == "/fuzz/new.rgs",
          "a new path is not on top");

    first.SaveRecentFiles();
    // Reads back as the list was saved: the paths the file can hold, trimmed.
    std::vector<std::string> expected;
    for (const TRecentEntry& entry : first.Entries()) {
        const std::string_view trimmed = TrimBlanks(entry.Caption);
        if (trimmed.find_first_of("\r\n") != std::string_view::npos) continue;
        try {
            Utf8ToGbk(trimmed);
        } catch (const EEncodingError&) {
            continue;
        }
        expected.emplace_back(trimmed);
    }
    TRecentFiles second(input.Path());
    second.LoadRecentFiles();
    Check(second.RecentMax() == first.RecentMax(), "the maximum read back differs");
    std::vector<std::string> captions;
    for (const TRecentEntry& entry : second.Entries())
        captions.push_back(entry.Caption);
    Check(captions == expected, "the list read back is not the list saved");

    // And it is stable from then on.
    const std::string bytes = xtq::fuzz::ReadFile(input.Path());
    second.SaveRecentFiles();
    Check(xtq::fuzz::ReadFile(input.Path()) == bytes, "saving a saved list changed the file");
    return 0;
}

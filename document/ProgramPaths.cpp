#include "document/ProgramPaths.h"

#include "core/AsciiCase.h"
#include "storage/FormulaLibraryFile.h"
#include "storage/OptionsFile.h"

namespace xtq {

std::string ProgramDirOf(std::string_view executablePath) {
    const size_t slash = executablePath.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(executablePath.substr(0, slash + 1));
}

std::string DataDirOf(std::string_view programDir) {
    constexpr std::string_view kSysFiles = "SysFiles/";
    for (size_t at = 0; at + kSysFiles.size() <= programDir.size(); ++at) {
        if (SameTextAscii(programDir.substr(at, kSysFiles.size()), kSysFiles)) {
            std::string dir(programDir.substr(0, at));
            dir.append(programDir.substr(at + kSysFiles.size()));
            return dir;
        }
    }
    return std::string(programDir);
}

std::string LibraryFileOf(std::string_view programDir) {
    return std::string(programDir) + kLibraryFileName;
}

std::string OptionsFileOf(std::string_view programDir) {
    return std::string(programDir) + kOptionsFileName;
}

} // namespace xtq

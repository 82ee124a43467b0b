#include "storage/InOutError.h"

#include <cerrno>
#include <sys/stat.h>

namespace xtq {
namespace {

// True when every folder of the path exists (the file itself may be missing).
bool FolderExists(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return true; // the working folder
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::string InOutErrorMessage(int error) {
    switch (error) {
    case ENOENT:
        return "File not found";
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(error);
    }
}

void RaiseInOutError(int error, const std::string& path) {
    if (error == ENOENT && (path.empty() || !FolderExists(path)))
        throw EInOutError("Invalid filename", error);
    throw EInOutError(InOutErrorMessage(error), error);
}

} // namespace xtq

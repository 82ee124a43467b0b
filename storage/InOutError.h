#pragma once
// File errors with the messages the program shows for them, mapped from the
// system's error numbers.

#include "core/Exception.h"

#include <string>

namespace xtq {

// A file that cannot be opened, read or written. ErrorCode() is the system's
// error number (errno).
class EInOutError : public Exception {
public:
    EInOutError(const std::string& message, int errorCode)
        : Exception(message), errorCode_(errorCode) {}
    const char* className() const noexcept override { return "EInOutError"; }
    int ErrorCode() const noexcept { return errorCode_; }

private:
    int errorCode_;
};

// The message for a system error number:
//   "File not found", "Invalid filename", "Too many open files",
//   "File access denied", "Disk full", or "I/O error %d".
// ENOENT means "File not found"; the path-aware form below tells a missing
// folder from a missing file.
std::string InOutErrorMessage(int error);

// Raises EInOutError for a failure on `path`. ENOENT becomes "Invalid
// filename" when a folder of the path does not exist.
[[noreturn]] void RaiseInOutError(int error, const std::string& path);

} // namespace xtq

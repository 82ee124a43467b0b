#include "storage/TextFile.h"

#include "storage/InOutError.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xtq {
namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr size_t kMinBufferSize = 4096;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int CloseFile(int fd) {
    // Linux closes the descriptor even when close() reports an error.
    return close(fd) == 0 ? 0 : errno;
}

} // namespace

TLineReader::TLineReader(const std::string& path) : path_(path) {
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) RaiseInOutError(errno, path);
    // A small file gets a buffer to match instead of a megabyte to clear; a
    // file that grows while it is read is still read whole (long lines).
    size_t size = kBufferSize;
    struct stat info;
    if (fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
        static_cast<unsigned long long>(info.st_size) < kBufferSize)
        size = std::max<size_t>(static_cast<size_t>(info.st_size) + 1, kMinBufferSize);
    buffer_.resize(size);
}

TLineReader::~TLineReader() {
    if (fd_ >= 0) close(fd_);
}

bool TLineReader::Fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) return false; // full: the caller collects a long line
    for (;;) {
        const ssize_t n = read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) RaiseInOutError(errno, path_);
        if (n == 0) {
            eof_ = true;
            return false;
        }
        end_ += static_cast<size_t>(n);
        read_ += static_cast<std::uint64_t>(n);
        return true;
    }
}

std::uint64_t TLineReader::Size() const {
    struct stat info;
    if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

bool TLineReader::ReadLine(std::string_view& line) {
    long_.clear();
    bool collecting = false;
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const void* lf = std::memchr(start, '\n', end_ - begin_);
        if (lf != nullptr) {
            const auto length = static_cast<size_t>(static_cast<const char*>(lf) - start);
            std::string_view piece(start, length);
            begin_ += length + 1;
            if (collecting) {
                long_.append(piece);
                piece = long_;
            }
            if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
            line = piece;
            return true;
        }
        if (!Fill()) {
            if (end_ == buffer_.size()) {
                // A line longer than the buffer: keep what is read and go on.
                long_.append(buffer_.data() + begin_, end_ - begin_);
                begin_ = end_ = 0;
                collecting = true;
                continue;
            }
            if (end_ > begin_ || collecting) {
                long_.append(buffer_.data() + begin_, end_ - begin_);
                begin_ = end_ = 0;
                std::string_view piece = long_;
                if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
                line = piece;
                return true;
            }
            return false;
        }
    }
}

TSafeFileWriter::TSafeFileWriter(const std::string& path) : path_(path) {
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // Replace the file the link names, not the link.
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) {
            path_ = resolved;
        } else if (errno != ENOENT) {
            RaiseInOutError(errno, path);
        }
    }
    const bool exists = stat(path_.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) RaiseInOutError(errno, path_);
    if (exists && S_ISDIR(info.st_mode)) RaiseInOutError(EISDIR, path_);
    if (exists && !S_ISREG(info.st_mode)) {
        fd_ = open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd_ < 0) RaiseInOutError(errno, path_);
        return;
    }
    // A file that may not be written must not be replaced behind its back.
    if (exists && access(path_.c_str(), W_OK) != 0) RaiseInOutError(errno, path_);

    std::string pattern = FolderOf(path_) + "/." + NameOf(path_) + ".XXXXXX";
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) RaiseInOutError(errno, path_);
    tempPath_ = pattern;
    mode_t mode;
    if (exists) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fchmod(fd_, mode) != 0) Fail(errno);
    // The buffer grows with what is written, up to kBufferSize.
}

TSafeFileWriter::~TSafeFileWriter() {
    if (!committed_) Discard();
}

void TSafeFileWriter::Discard() noexcept {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

void TSafeFileWriter::Fail(int error) {
    Discard();
    RaiseInOutError(error, path_);
}

void TSafeFileWriter::FlushBuffer() {
    size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(errno);
        done += static_cast<size_t>(n);
    }
    buffer_.clear();
}

void TSafeFileWriter::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBufferSize) FlushBuffer();
    if (bytes.size() > kBufferSize) {
        buffer_.assign(bytes);
        FlushBuffer();
        return;
    }
    buffer_.append(bytes);
}

void TSafeFileWriter::Commit() {
    FlushBuffer();
    if (!tempPath_.empty() && fsync(fd_) != 0) Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (const int error = CloseFile(fd); error != 0) Fail(error);
    if (!tempPath_.empty()) {
        if (rename(tempPath_.c_str(), path_.c_str()) != 0) Fail(errno);
        tempPath_.clear();
        // Make the new name durable as well; a failure here loses nothing.
        const int dir = open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    committed_ = true;
}

} // namespace xtq

#pragma once
// Line-oriented text files at the byte level: a buffered line reader and a
// writer that replaces a file only once the new contents are safely on disk.
// Failures raise EInOutError.

#include <cstdint>
#include <string>
#include <string_view>

namespace xtq {

// Reads a file line by line. Lines end with CR LF or a bare LF; the line end is
// not part of the line. A last line without a line end is a line; an empty
// file has no lines.
class TLineReader {
public:
    explicit TLineReader(const std::string& path);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // Reads the next line into `line` (valid until the next call). Returns
    // false at the end of the file.
    bool ReadLine(std::string_view& line);

    // The bytes of the lines returned so far, line ends included.
    std::uint64_t Offset() const { return read_ - (end_ - begin_); }
    // The file's size now (0 for a file that has none, such as a pipe).
    std::uint64_t Size() const;

private:
    bool Fill();

    std::string path_;
    int fd_ = -1;
    std::uint64_t read_ = 0; // bytes read from the file
    std::string buffer_;
    size_t begin_ = 0; // first byte not yet returned
    size_t end_ = 0;   // end of the bytes read
    bool eof_ = false;
    std::string long_; // a line longer than the buffer
};

// Writes a file so that a failure at any point leaves the previous file as it
// was. A regular file (or a new one) is written to a temporary file in the same
// folder, flushed to the disk and renamed over the old file; the old file's
// permission bits are kept, and a symbolic link is followed to the file it
// names. A file that is not a regular file (a device, a pipe) is written in
// place. Without Commit() the temporary file is removed again.
class TSafeFileWriter {
public:
    explicit TSafeFileWriter(const std::string& path);
    ~TSafeFileWriter();
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    void Write(std::string_view bytes);
    // Flushes, closes and puts the file in place.
    void Commit();

private:
    void FlushBuffer();
    [[noreturn]] void Fail(int error);
    void Discard() noexcept;

    std::string path_;     // the file to replace
    std::string tempPath_; // empty when writing in place
    int fd_ = -1;
    std::string buffer_;
    bool committed_ = false;
};

} // namespace xtq

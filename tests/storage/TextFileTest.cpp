#include "storage/TextFile.h"

#include "storage/InOutError.h"
#include "tests/storage/TempFolder.h"

#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace xtq {
namespace {

using testing::EntryCount;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::vector<std::string> ReadAllLines(const std::string& path) {
    TLineReader reader(path);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.ReadLine(line))
        lines.emplace_back(line);
    return lines;
}

TEST(LineReader, SplitsAtCrLfAndBareLf) {
    TempFolder folder;
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\nb\r\nc", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {" x \r\n", {" x "}},
        {"a\rb\r\n", {"a\rb"}}, // a lone CR belongs to the line
        {"a\r\r\n", {"a\r"}},
        {"a\r", {"a"}},
        {std::string("\0\n", 2), {std::string("\0", 1)}},
    };
    const std::string path = folder.File("lines.txt");
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        EXPECT_EQ(ReadAllLines(path), c.lines) << c.bytes;
    }
}

TEST(LineReader, ReadsLinesLongerThanItsBuffer) {
    TempFolder folder;
    const std::string path = folder.File("long.txt");
    const std::string longLine(3'000'001, 'x');
    WriteBytes(path, "a\r\n" + longLine + "\r\nb");
    const auto lines = ReadAllLines(path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], "b");
}

TEST(InOutError, MessagesForOpening) {
    TempFolder folder;
    struct Case {
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {folder.File("missing.rgs"), "File not found"},
        {folder.File("no-folder/missing.rgs"), "Invalid filename"},
        {"", "Invalid filename"},
    };
    for (const Case& c : cases) {
        try {
            TLineReader reader(c.path);
            ADD_FAILURE() << c.path;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
    EXPECT_EQ(InOutErrorMessage(EMFILE), "Too many open files");
    EXPECT_EQ(InOutErrorMessage(EACCES), "File access denied");
    EXPECT_EQ(InOutErrorMessage(ENOSPC), "Disk full");
    EXPECT_EQ(InOutErrorMessage(EIO), "I/O error 5");
}

TEST(InOutError, NoMoreFilesCanBeOpened) {
    TempFolder folder;
    const std::string path = folder.File("doc.rgs");
    WriteBytes(path, "x");
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    // The sanitizers' type checks read the process's memory map the first
    // time they meet a class: meet it before no descriptor is left.
    try {
        throw EInOutError("warm-up", EMFILE);
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "warm-up");
        EXPECT_EQ(e.ErrorCode(), EMFILE);
    }
    // Allow exactly the descriptors already open, so the next open fails.
    const int lowestFree = dup(0);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    struct rlimit none = saved;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    std::string message;
    try {
        TLineReader reader(path);
    } catch (const EInOutError& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(message, "Too many open files");
}

TEST(InOutError, ReadingAFolderIsRefused) {
    TempFolder folder;
    try {
        TLineReader reader(folder.Path().string());
        std::string_view line;
        reader.ReadLine(line);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "File access denied");
    }
}

TEST(SafeFileWriter, ReplacesTheFileAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder.File("doc.rgs");
    WriteBytes(path, "old");
    chmod(path.c_str(), 0640);
    {
        TSafeFileWriter writer(path);
        writer.Write("new ");
        writer.Write("text");
        writer.Commit();
    }
    EXPECT_EQ(ReadBytes(path), "new text");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(SafeFileWriter, WithoutCommitNothingChanges) {
    TempFolder folder;
    const std::string path = folder.File("doc.rgs");
    WriteBytes(path, "old");
    {
        TSafeFileWriter writer(path);
        writer.Write("new");
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(SafeFileWriter, WritesThroughASymbolicLink) {
    TempFolder folder;
    const std::string target = folder.File("target.rgs");
    const std::string link = folder.File("link.rgs");
    WriteBytes(target, "old");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    TSafeFileWriter writer(link);
    writer.Write("new");
    writer.Commit();
    EXPECT_EQ(ReadBytes(target), "new");
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(SafeFileWriter, MissingFolderIsAnInvalidFilename) {
    TempFolder folder;
    try {
        TSafeFileWriter writer(folder.File("none/doc.rgs"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Invalid filename");
    }
}

TEST(SafeFileWriter, DeviceWithoutSpaceIsDiskFull) {
    try {
        TSafeFileWriter writer("/dev/full");
        writer.Write("text");
        writer.Commit();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Disk full");
    }
    struct stat info;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode)); // written in place, never replaced
}

// A write refused half-way (the process's file-size limit) leaves the old file.
TEST(SafeFileWriter, FailureHalfWayKeepsTheOldFile) {
    TempFolder folder;
    const std::string path = folder.File("doc.rgs");
    WriteBytes(path, "old contents");
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100'000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        TSafeFileWriter writer(path);
        for (int i = 0; i < 100; ++i)
            writer.Write(std::string(10'000, 'x'));
        writer.Commit();
    } catch (const EInOutError& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(message, "I/O error 27"); // EFBIG
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

} // namespace
} // namespace xtq

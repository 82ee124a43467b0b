// Faults injected into the three files the program writes (a document, the
// formula library, the options file): a full disk, a folder or a file without
// write permission, a folder that is missing, a process killed in the middle
// of a save; and files cut short at every byte. The file on disk is always
// either the old one or the new one, whole, and every failure is a clear
// message that leaves the program's data as it was, so that trying again works.

#include "core/IntegerText.h"
#include "document/Document.h"
#include "document/FormulaLibrary.h"
#include "document/RecentFiles.h"
#include "storage/FormulaLibraryFile.h"
#include "storage/InOutError.h"
#include "storage/TextFile.h"
#include "tests/storage/ChildProcess.h"
#include "tests/storage/TempFolder.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace xtq {
namespace {

using testing::EntryCount;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
namespace fs = std::filesystem;

// ---- What is saved ----

// A document of one variable with `rows` data points, its aliases and the
// results of a run, GBK text included.
void FillDocument(TRegressDocument& doc, int rows, const std::string& formula) {
    doc.SetText(TField::LeftName, "产量");
    doc.SetText(TField::RightSide, formula);
    doc.SetText(TField::DataPointCount, std::to_string(rows));
    for (int row = 1; row <= rows; ++row) {
        doc.Table().SetCell(1, row, std::to_string(row));
        doc.Table().SetCell(2, row, std::to_string(2 * row + 1) + ".25");
    }
    doc.Aliases().Append("x1", "温度");
    doc.ApplyDefinition();
}

std::vector<TFormulaRecord> LibraryRecords(int count, const std::string& fx) {
    std::vector<TFormulaRecord> records;
    for (int i = 0; i < count; ++i)
        records.push_back(
            {std::to_string(100000 + i), fx, "a+b*x1+c*x1^2+d*LN(x1)", 1, "x1=温,x2=y"});
    return records;
}

// One of the program's savers with the data it saves. `Save` raises as the
// command does; `Unchanged` tells that the data in memory is as it was.
struct TSaver {
    const char* Name;
    std::function<void(const std::string& path)> Save;
    std::function<bool()> Unchanged;
    // The message for a system error on `path`.
    std::function<std::string(const std::string& path, int error)> Message;
};

std::string IoMessage(const std::string&, int error) {
    switch (error) {
    case ENOENT:
        return "Invalid filename"; // a folder of the path is missing
    case ENOSPC:
        return "Disk full";
    case EACCES:
        return "File access denied";
    default:
        return InOutErrorMessage(error);
    }
}

std::string LibraryMessage(const std::string& path, int error) {
    return "Cannot create file \"" + path + "\". " + strerrordesc_np(error);
}

// The three savers; `size` makes their files small or large.
struct TSavers {
    explicit TSavers(int size) {
        FillDocument(document, size, "a+b*x1");
        library.Open(LibraryRecords(size, "y"));
        for (int i = 0; i < 9; ++i)
            recent.AddRecentFile("/数据/" + std::string(static_cast<size_t>(size) * 3, 'p') +
                                 std::to_string(i) + ".rgs");
    }

    std::vector<TSaver> All() {
        const std::string equal = document.Text(TField::RightSide);
        const int records = library.RecordCount();
        const std::vector<TRecentEntry> entries = recent.Entries();
        return {
            {"document", [this](const std::string& path) { document.WriteDocument(path); },
             [this, equal] { return document.Text(TField::RightSide) == equal; }, IoMessage},
            {"formula library", [this](const std::string& path) { library.SaveToFile(path); },
             [this, records] { return library.RecordCount() == records; }, LibraryMessage},
            {"options file",
             [this](const std::string& path) {
                 TRecentFiles list(path);
                 for (auto it = recent.Entries().rbegin(); it != recent.Entries().rend(); ++it)
                     list.AddRecentFile(it->Caption);
                 list.SaveRecentFiles();
             },
             [this, entries] { return recent.Entries() == entries; }, IoMessage},
        };
    }

    TRegressDocument document;
    TFormulaLibrary library;
    TRecentFiles recent{"unused"};
};

// The message of the error a save raises, empty when it succeeds.
std::string SaveError(const TSaver& saver, const std::string& path) {
    try {
        saver.Save(path);
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

// ---- A child process without privileges ----

// Runs `body` in a child process that cannot pass permission checks (as
// "nobody" when the tests run as root) and returns the text it reports.
std::string AsUnprivilegedChild(const std::function<std::string()>& body) {
    return testing::InChild(
        [] {
            return geteuid() != 0 ||
                   (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        },
        body);
}

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        // Others may pass through the folder, so that a child without
        // privileges reaches the files inside it.
        fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_exec |
                                           fs::perms::others_exec | fs::perms::group_read |
                                           fs::perms::others_read);
    }

    // An old file to be replaced, with its bytes.
    std::string OldFile(const std::string& path) {
        WriteBytes(path, "old contents\r\n");
        return ReadBytes(path);
    }

    TempFolder folder;
    TSavers savers{3};
};

TEST_F(SaveFaults, FullDevice) {
    for (const TSaver& saver : savers.All()) {
        EXPECT_EQ(SaveError(saver, "/dev/full"), saver.Message("/dev/full", ENOSPC)) << saver.Name;
        EXPECT_TRUE(saver.Unchanged()) << saver.Name;
    }
}

TEST_F(SaveFaults, MissingFolderFailsAndTheRetrySucceedsOnceItExists) {
    const fs::path missing = folder.Path() / "missing";
    for (const TSaver& saver : savers.All()) {
        const std::string path = (missing / "file").string();
        EXPECT_EQ(SaveError(saver, path), saver.Message(path, ENOENT)) << saver.Name;
        EXPECT_TRUE(saver.Unchanged()) << saver.Name;
        EXPECT_FALSE(fs::exists(missing)) << saver.Name;
        fs::create_directory(missing);
        EXPECT_EQ(SaveError(saver, path), "") << saver.Name;
        EXPECT_GT(fs::file_size(path), 0u) << saver.Name;
        fs::remove_all(missing);
    }
}

TEST_F(SaveFaults, FolderWithoutWritePermissionKeepsTheOldFile) {
    const fs::path locked = folder.Path() / "locked";
    fs::create_directory(locked);
    const std::string path = (locked / "file").string();
    const std::string old = OldFile(path);
    // The file itself may be written; only a new file cannot be made beside it.
    fs::permissions(path, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                             fs::perms::others_exec));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    for (const TSaver& saver : savers.All()) {
        EXPECT_EQ(AsUnprivilegedChild([&] { return SaveError(saver, path); }),
                  saver.Message(path, EACCES))
            << saver.Name;
        EXPECT_EQ(ReadBytes(path), old) << saver.Name;
        EXPECT_EQ(EntryCount(locked), 1u) << saver.Name;
    }
    // Once the folder may be written, the same save succeeds.
    fs::permissions(locked,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::add);
    for (const TSaver& saver : savers.All())
        EXPECT_EQ(AsUnprivilegedChild([&] { return SaveError(saver, path); }), "") << saver.Name;
}

TEST_F(SaveFaults, ReadOnlyFileIsNotReplaced) {
    // The folder may be written by anyone; the file by no one.
    fs::permissions(folder.Path(), fs::perms::all, fs::perm_options::add);
    const std::string path = folder.File("read-only");
    const std::string old = OldFile(path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const TSaver& saver : savers.All()) {
        EXPECT_EQ(AsUnprivilegedChild([&] { return SaveError(saver, path); }),
                  saver.Message(path, EACCES))
            << saver.Name;
        EXPECT_EQ(ReadBytes(path), old) << saver.Name;
        EXPECT_EQ(EntryCount(folder.Path()), 1u) << saver.Name;
    }
}

// A file system of 64 KiB of its own, mounted for the test (needs root).
class SmallDisk : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(mountPoint);
        if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        mounted = true;
    }
    void TearDown() override {
        if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
    }

    TempFolder folder;
    std::string mountPoint = folder.File("disk");
    bool mounted = false;
};

TEST_F(SmallDisk, FullDiskKeepsTheOldFileAndTheRetrySucceedsWithSpace) {
    TSavers large(3000); // each file well over 64 KiB
    for (const TSaver& saver : large.All()) {
        const std::string path = mountPoint + "/file";
        WriteBytes(path, "old contents\r\n");
        const std::string old = ReadBytes(path);
        EXPECT_EQ(SaveError(saver, path), saver.Message(path, ENOSPC)) << saver.Name;
        EXPECT_TRUE(saver.Unchanged()) << saver.Name;
        EXPECT_EQ(ReadBytes(path), old) << saver.Name;
        EXPECT_EQ(EntryCount(mountPoint), 1u) << saver.Name; // no temporary file left
        // The user makes room; the next save succeeds.
        ASSERT_EQ(mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT, "size=16m"), 0);
        EXPECT_EQ(SaveError(saver, path), "") << saver.Name;
        EXPECT_GT(fs::file_size(path), 64u * 1024) << saver.Name;
        ASSERT_EQ(unlink(path.c_str()), 0);
        ASSERT_EQ(mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT, "size=64k"), 0);
    }
}

// ---- A process killed in the middle of a save ----

// The temporary file a save is writing beside `path`, if there is one.
std::string TemporaryOf(const fs::path& path) {
    const std::string prefix = "." + path.filename().string() + ".";
    for (const auto& entry : fs::directory_iterator(path.parent_path()))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return entry.path().string();
    return "";
}

// Saves in a child process and kills it: after `bytes` bytes of the new file
// are written when `bytes` is set, otherwise after `delay`. Returns whether
// the child was killed before it finished.
bool KillWhileSaving(const std::function<void()>& save, const fs::path& path, long bytes,
                     std::chrono::microseconds delay) {
    const pid_t child = fork();
    if (child == 0) {
        save();
        _exit(0);
    }
    if (bytes >= 0) {
        for (;;) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) return false;
            const std::string temporary = TemporaryOf(path);
            struct stat info;
            if (!temporary.empty() && stat(temporary.c_str(), &info) == 0 && info.st_size >= bytes)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    } else {
        std::this_thread::sleep_for(delay);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

TEST(KilledSave, TheFileIsTheOldOrTheNewOneWhole) {
    TempFolder folder;
    // Two large documents and two large libraries, each above the 1 MB that a
    // save writes at a time, so that kills find the new file half written.
    TRegressDocument documents[2];
    FillDocument(documents[0], 32000, "a+b*x1");
    FillDocument(documents[1], 32000, "a+b*LN(x1)");
    TFormulaLibrary libraries[2];
    libraries[0].Open(LibraryRecords(18000, "y"));
    libraries[1].Open(LibraryRecords(18000, "z"));

    struct Kind {
        const char* name;
        std::function<void(int version, const std::string& path)> save;
    };
    const Kind kinds[] = {
        {"document",
         [&](int version, const std::string& path) { documents[version].WriteDocument(path); }},
        {"formula library",
         [&](int version, const std::string& path) { libraries[version].SaveToFile(path); }},
    };
    std::mt19937 random(20261210);
    for (const Kind& kind : kinds) {
        const fs::path path = folder.Path() / "file";
        // The bytes of both versions, and the time one save takes.
        std::string versions[2];
        const auto start = std::chrono::steady_clock::now();
        for (int version = 0; version < 2; ++version) {
            kind.save(version, path.string());
            versions[version] = ReadBytes(path.string());
        }
        const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::steady_clock::now() - start) /
                              2;
        ASSERT_NE(versions[0], versions[1]);
        ASSERT_GT(versions[0].size(), size_t{1} << 20) << kind.name;
        int onDisk = 1;
        int interrupted = 0;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const int next = 1 - onDisk;
            // Half the kills at a number of bytes written (up to all of them:
            // killed between the last write and the rename), half at a time.
            const long bytes =
                attempt % 2 == 0 ? static_cast<long>(random() % (versions[next].size() + 1)) : -1;
            const auto delay = std::chrono::microseconds(
                random() % static_cast<unsigned long>(saveTime.count() * 3 / 2 + 1));
            if (KillWhileSaving([&] { kind.save(next, path.string()); }, path, bytes, delay))
                ++interrupted;
            const std::string now = ReadBytes(path.string());
            ASSERT_TRUE(now == versions[0] || now == versions[1])
                << kind.name << ": attempt " << attempt << " left " << now.size() << " bytes";
            onDisk = now == versions[0] ? 0 : 1;
            // A killed save may leave its temporary file; it is never the file.
            if (const std::string temporary = TemporaryOf(path); !temporary.empty())
                fs::remove(temporary);
        }
        // The file on disk opens as the version it is.
        if (std::string(kind.name) == "document") {
            TRegressDocument read;
            read.ReadDocument(path.string());
            EXPECT_EQ(read.Text(TField::RightSide), documents[onDisk].Text(TField::RightSide));
        } else {
            TFormulaLibrary read;
            read.LoadFromFile(path.string());
            EXPECT_EQ(read.Record(0).TemFx, libraries[onDisk].Record(0).TemFx);
        }
        EXPECT_GT(interrupted, 0) << kind.name;
        fs::remove(path);
    }
}

// ---- Files cut short ----

// The lines of a file with their end offsets (line break excluded).
std::vector<size_t> LineEnds(const std::string& bytes) {
    std::vector<size_t> ends;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t lf = bytes.find('\n', start);
        const size_t end = lf == std::string::npos ? bytes.size() : lf;
        ends.push_back(end > start && bytes[end - 1] == '\r' ? end - 1 : end);
        start = end + 1;
    }
    return ends;
}

TEST(TruncatedFiles, DocumentCutAtEveryByteGivesWhatWasReadOrAClearError) {
    TempFolder folder;
    TRegressDocument original;
    FillDocument(original, 4, "a+b*x1");
    const std::string path = folder.File("doc.rgs");
    original.WriteDocument(path);
    const std::string bytes = ReadBytes(path);
    const std::vector<size_t> ends = LineEnds(bytes);
    // Line numbers (1-based) of the items: 10 texts, the alias count and the
    // unused integer, one alias pair, the two table counts, then the cells.
    const TField fields[] = {TField::LeftName,         TField::RightSide,
                             TField::DisplayedFormula, TField::DataPointCount,
                             TField::VariableCount,    TField::Correlation,
                             TField::MaxError,         TField::MeanError,
                             TField::Coefficients,     TField::FittedFormula};
    const size_t colCountLine = 16;
    const int cols = original.Table().ColCount();
    for (size_t length = 0; length <= bytes.size(); ++length) {
        WriteBytes(path, bytes.substr(0, length));
        // Complete lines: their whole text lies within the cut.
        const auto complete = [&](size_t line) { return ends[line - 1] <= length; };
        TRegressDocument doc;
        std::string error;
        try {
            doc.ReadDocument(path);
        } catch (const EConvertError& e) {
            error = e.what();
        }
        if (complete(colCountLine)) {
            EXPECT_EQ(error, "") << length;
        } else if (!error.empty()) {
            EXPECT_NE(error.find("is not a valid integer value"), std::string::npos) << length;
        }
        for (size_t line = 1; line <= 10; ++line) {
            if (complete(line) && line != 4) { // line 4 is replaced from the row count
                EXPECT_EQ(doc.Text(fields[line - 1]), original.Text(fields[line - 1]))
                    << length << " line " << line;
            }
        }
        if (complete(14)) {
            EXPECT_EQ(doc.Aliases().Rows(), original.Aliases().Rows()) << length;
        }
        if (complete(15)) {
            EXPECT_EQ(doc.Table().RowCount(), original.Table().RowCount()) << length;
        }
        for (size_t line = colCountLine + 1; line <= ends.size() && complete(line); ++line) {
            const int cell = static_cast<int>(line - colCountLine - 1);
            EXPECT_EQ(doc.Table().Cell(cell % cols, cell / cols),
                      original.Table().Cell(cell % cols, cell / cols))
                << length << " line " << line;
        }
    }
}

TEST(TruncatedFiles, LibraryCutAtEveryByteLoadsWholeOrIsRefused) {
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    TFormulaLibrary original;
    std::vector<TFormulaRecord> records = LibraryRecords(12, "产量");
    records[3].TemFormula = "a+b*x1 \"quoted\"\t\\";
    records[5].TemVn = std::nullopt;
    original.Open(records);
    original.SaveToFile(path);
    const std::string bytes = ReadBytes(path);
    const size_t end = bytes.rfind("end");
    for (size_t length = 0; length <= bytes.size(); ++length) {
        WriteBytes(path, bytes.substr(0, length));
        TFormulaLibrary library;
        if (length < end + 3) {
            try {
                library.LoadFromFile(path);
                ADD_FAILURE() << "a file cut at " << length << " loaded";
            } catch (const EDBClient& e) {
                EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + path + "\". ", 0), 0u)
                    << e.what();
            }
            EXPECT_FALSE(library.Active()) << length;
            EXPECT_EQ(library.RecordCount(), 0) << length;
        } else {
            library.LoadFromFile(path);
            ASSERT_EQ(library.RecordCount(), original.RecordCount()) << length;
            for (int i = 0; i < library.RecordCount(); ++i)
                EXPECT_EQ(library.Record(i), original.Record(i)) << length;
        }
    }
}

// ---- Reading a file that changes ----

TEST(GrowingFile, ASmallFileThatGrowsWhileItIsReadIsReadWhole) {
    TempFolder folder;
    const std::string path = folder.File("grows.txt");
    WriteBytes(path, "a\r\n");
    TLineReader reader(path); // sized for the three bytes
    const std::string longLine(3'000'000, 'x');
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << longLine << "\r\nb";
    }
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.ReadLine(line))
        lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", longLine, "b"}));
}

} // namespace
} // namespace xtq

// The recent-files list and its options file.

#include "core/IntegerText.h"
#include "document/RecentFiles.h"
#include "storage/GbkCodec.h"
#include "storage/InOutError.h"
#include "tests/storage/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace xtq {
namespace {

using testing::EntryCount;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

using Strings = std::vector<std::string>;

Strings Captions(const TRecentFiles& list) {
    Strings captions;
    for (const TRecentEntry& entry : list.Entries())
        captions.push_back(entry.Caption);
    return captions;
}

Strings Names(const TRecentFiles& list) {
    Strings names;
    for (const TRecentEntry& entry : list.Entries())
        names.push_back(entry.Name);
    return names;
}

class RecentFilesTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string options = folder.File("Zelmora.opt");
    TRecentFiles list{options};
};

TEST_F(RecentFilesTest, FreshInstallationStartsEmpty) {
    list.LoadRecentFiles();
    EXPECT_EQ(list.RecentMax(), 9);
    EXPECT_EQ(list.RecentCount(), 0);
    EXPECT_FALSE(list.HasSeparator());
    EXPECT_EQ(list.RecentInsertPos(), 6);

    EXPECT_EQ(list.AddRecentFile("/data/a.rgs"), TRecentChange::Added);
    EXPECT_EQ(list.Entries(), (std::vector<TRecentEntry>{{"I0", "/data/a.rgs"}}));
    EXPECT_TRUE(list.HasSeparator());
}

TEST_F(RecentFilesTest, AnOpenedEntryMovesToTheTopAndNamesStayWithTheirItems) {
    list.AddRecentFile("P1");
    list.AddRecentFile("P2");
    list.AddRecentFile("P3");
    EXPECT_EQ(Captions(list), (Strings{"P3", "P2", "P1"}));
    EXPECT_EQ(Names(list), (Strings{"I2", "I1", "I0"}));

    EXPECT_EQ(list.AddRecentFile("P3"), TRecentChange::None);
    EXPECT_EQ(Captions(list), (Strings{"P3", "P2", "P1"}));

    EXPECT_EQ(list.AddRecentFile("P1"), TRecentChange::Moved);
    EXPECT_EQ(Captions(list), (Strings{"P1", "P3", "P2"}));
    EXPECT_EQ(Names(list), (Strings{"I2", "I1", "I0"}));

    EXPECT_EQ(list.AddRecentFile("P3"), TRecentChange::Moved);
    EXPECT_EQ(Captions(list), (Strings{"P3", "P1", "P2"}));
}

TEST_F(RecentFilesTest, BlanksAroundAPathAreIgnoredButLetterCaseCounts) {
    list.AddRecentFile("/d/a.rgs  ");
    list.AddRecentFile("/d/b.rgs");
    EXPECT_EQ(list.AddRecentFile(" /d/a.rgs\t"), TRecentChange::Moved);
    // The caption stays as it was added.
    EXPECT_EQ(Captions(list), (Strings{"/d/a.rgs  ", "/d/b.rgs"}));
    EXPECT_EQ(list.AddRecentFile("/d/A.rgs"), TRecentChange::Added);
    EXPECT_EQ(list.RecentCount(), 3);

    list.SaveRecentFiles();
    EXPECT_EQ(ReadBytes(options), "9\r\n3\r\n/d/b.rgs\r\n/d/a.rgs\r\n/d/A.rgs\r\n");
}

TEST_F(RecentFilesTest, AFullListDropsItsOldestPath) {
    for (int i = 1; i <= 9; ++i)
        list.AddRecentFile("P" + std::to_string(i));
    const Strings names = Names(list);
    EXPECT_EQ(list.AddRecentFile("P10"), TRecentChange::Replaced);
    EXPECT_EQ(list.RecentCount(), 9);
    EXPECT_EQ(Captions(list), (Strings{"P10", "P9", "P8", "P7", "P6", "P5", "P4", "P3", "P2"}));
    EXPECT_EQ(Names(list), names);
    // A path still in the full list only moves.
    EXPECT_EQ(list.AddRecentFile("P2"), TRecentChange::Moved);
    EXPECT_EQ(Captions(list).back(), "P3");
}

TEST_F(RecentFilesTest, SavedListLoadsInTheSameOrder) {
    list.AddRecentFile("/数据/甲.rgs");
    list.AddRecentFile("/数据/乙.rgs");
    list.SaveRecentFiles();
    EXPECT_EQ(ReadBytes(options), "9\r\n2\r\n" + Utf8ToGbk("/数据/甲.rgs") + "\r\n" +
                                      Utf8ToGbk("/数据/乙.rgs") + "\r\n");
    EXPECT_EQ(EntryCount(folder.Path()), 1u);

    TRecentFiles loaded(options);
    loaded.LoadRecentFiles();
    EXPECT_EQ(loaded.Entries(), list.Entries());
}

TEST_F(RecentFilesTest, AnEmptyListWritesTwoLines) {
    list.SaveRecentFiles();
    EXPECT_EQ(ReadBytes(options), "9\r\n0\r\n");
}

TEST_F(RecentFilesTest, TheMaximumOfTheFileIsKeptAndWrittenBack) {
    WriteBytes(options, "5\r\n0\r\n");
    list.LoadRecentFiles();
    for (int i = 1; i <= 7; ++i)
        list.AddRecentFile("P" + std::to_string(i));
    EXPECT_EQ(list.RecentCount(), 5);
    list.SaveRecentFiles();
    EXPECT_EQ(ReadBytes(options), "5\r\n5\r\nP3\r\nP4\r\nP5\r\nP6\r\nP7\r\n");
}

TEST_F(RecentFilesTest, PathsAreReadAsTheyStandAndWrittenTrimmed) {
    // Fewer paths than the count: the missing ones are empty entries.
    WriteBytes(options, "9\n3\n  A b  \n");
    list.LoadRecentFiles();
    EXPECT_EQ(Captions(list), (Strings{"", "", "  A b  "}));
    EXPECT_EQ(Names(list), (Strings{"I2", "I1", "I0"}));
    list.SaveRecentFiles();
    EXPECT_EQ(ReadBytes(options), "9\r\n3\r\nA b\r\n\r\n\r\n");
}

TEST_F(RecentFilesTest, CountLinesMustBeIntegers) {
    struct Case {
        std::string bytes;
        std::string message;
    };
    const Case cases[] = {
        {"", "'' is not a valid integer value"},
        {"9\r\n", "'' is not a valid integer value"},
        {"abc\r\n2\r\nA\r\nB\r\n", "'abc' is not a valid integer value"},
        {"9\r\nx\r\nA\r\n", "'x' is not a valid integer value"},
        {"9.5\r\n0\r\n", "'9.5' is not a valid integer value"},
        {"9 \r\n0\r\n", "'9 ' is not a valid integer value"},
        {Utf8ToGbk("九") + "\r\n0\r\n", "'九' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        TRecentFiles loaded(options);
        loaded.AddRecentFile("kept");
        WriteBytes(options, c.bytes);
        try {
            loaded.LoadRecentFiles();
            ADD_FAILURE() << "loaded " << c.bytes;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
        EXPECT_EQ(Captions(loaded), (Strings{"kept"})) << c.bytes;
        EXPECT_EQ(loaded.RecentMax(), 9) << c.bytes;
    }
}

TEST_F(RecentFilesTest, FilesTheProgramNeverWritesAreReadAsFarAsTheyMakeSense) {
    struct Case {
        std::string bytes;
        int max;
        Strings captions; // top first
    };
    const Case cases[] = {
        // A maximum below 1 keeps one entry, the newest.
        {"0\r\n2\r\nA\r\nB\r\n", 1, {"B"}},
        {"-5\r\n0\r\n", 1, {}},
        // A count above the maximum keeps the newest paths.
        {"3\r\n5\r\nA\r\nB\r\nC\r\nD\r\nE\r\n", 3, {"E", "D", "C"}},
        {"9\r\n-2\r\nA\r\n", 9, {}},
        // The kept paths are missing from the file: they read as empty.
        {"2\r\n2000000000\r\nA\r\n", 2, {"", ""}},
    };
    for (const Case& c : cases) {
        WriteBytes(options, c.bytes);
        TRecentFiles loaded(options);
        loaded.LoadRecentFiles();
        EXPECT_EQ(loaded.RecentMax(), c.max) << c.bytes;
        EXPECT_EQ(Captions(loaded), c.captions) << c.bytes;
        // The list never grows past its maximum afterwards.
        loaded.AddRecentFile("new1");
        loaded.AddRecentFile("new2");
        EXPECT_LE(loaded.RecentCount(), loaded.RecentMax()) << c.bytes;
        EXPECT_EQ(loaded.Entries().front().Caption, "new2") << c.bytes;
    }
}

TEST_F(RecentFilesTest, EntryNamesStayShortEnoughForOpen) {
    std::string bytes = "500\r\n150\r\n";
    for (int i = 1; i <= 150; ++i)
        bytes += "P" + std::to_string(i) + "\r\n";
    WriteBytes(options, bytes);
    list.LoadRecentFiles();
    EXPECT_EQ(list.RecentMax(), kRecentMaxLimit);
    ASSERT_EQ(list.RecentCount(), 100);
    EXPECT_EQ(list.Entries().front(), (TRecentEntry{"I99", "P150"}));
    EXPECT_EQ(list.Entries().back(), (TRecentEntry{"I0", "P51"}));
    for (const TRecentEntry& entry : list.Entries())
        EXPECT_LE(entry.Name.size(), 3u);
}

TEST_F(RecentFilesTest, PathsTheFileCannotHoldAreLeftOut) {
    list.AddRecentFile("/a.rgs");
    list.AddRecentFile("/two\nlines.rgs");
    list.AddRecentFile("/한.rgs");
    list.AddRecentFile("/b.rgs");
    list.SaveRecentFiles();
    EXPECT_EQ(ReadBytes(options), "9\r\n2\r\n/a.rgs\r\n/b.rgs\r\n");
    EXPECT_EQ(list.RecentCount(), 4);
}

TEST_F(RecentFilesTest, UnwritableOptionsFileRaisesAndKeepsTheOldOne) {
    list.AddRecentFile("/a.rgs");
    TRecentFiles elsewhere(folder.File("missing/Zelmora.opt"));
    elsewhere.AddRecentFile("/a.rgs");
    try {
        elsewhere.SaveRecentFiles();
        FAIL() << "saved into a missing folder";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "Invalid filename");
    }
    EXPECT_EQ(elsewhere.RecentCount(), 1);

    // A folder in the way: the error again, and the folder is left alone.
    std::filesystem::create_directory(options);
    EXPECT_THROW(list.SaveRecentFiles(), EInOutError);
    EXPECT_TRUE(std::filesystem::is_directory(options));
    // Reading it fails with an I/O error as well, and changes nothing.
    EXPECT_THROW(list.LoadRecentFiles(), EInOutError);
    EXPECT_EQ(Captions(list), (Strings{"/a.rgs"}));
}

} // namespace
} // namespace xtq

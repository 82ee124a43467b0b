// The document file through the document model: Open, Save, Save As, New and
// every row of the failure table.

#include "core/IntegerText.h"
#include "document/Document.h"
#include "storage/GbkCodec.h"
#include "storage/InOutError.h"
#include "tests/document/DocumentTesting.h"
#include "tests/storage/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <locale>
#include <sys/mount.h>

// setlocale keeps the search path it builds from LOCPATH for the life of the
// process (glibc), which LeakSanitizer reports when the comma locale test has
// loaded its locale from a folder of its own.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

namespace xtq {
namespace {

using testing::DataColumn;
using testing::EntryCount;
using testing::ReadBytes;
using testing::TempFolder;
using testing::Texts;
using testing::TypeData;
using testing::WriteBytes;

std::string CrLf(const Texts& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// The 36 lines of the worked example, in GBK.
const Texts kWorkedExample = {
    "y", "a+b*x1", "a+b.x", "3", "1",  "0.00",        "0.00", "0.00",    "",  "",  "2",   "2", "x1",
    "x", "4",      "5",     "",  "X1", " Y\xA1\xA3 ", " Y` ", " e (%) ", "1", "1", "3.1", "",  "",
    "2", "2",      "4.9",   "",  "",   "3",           "3",    "7.2",     "",  ""};

struct TRecentLog : IRecentFiles {
    Texts names;
    void AddRecentFile(const std::string& fileName) override { names.push_back(fileName); }
};

class DocumentFile : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.File("doc.rgs");
    TRegressDocument doc;
    TRecentLog recent;

    void SetUp() override { doc.SetRecentFiles(&recent); }

    // The worked example typed in: definition, alias and three data points.
    void TypeWorkedExample(TRegressDocument& d) {
        d.SetText(TField::LeftName, "y");
        d.SetText(TField::RightSide, "a+b*x1");
        d.SetText(TField::DisplayedFormula, "a+b.x");
        d.Aliases().Append("x1", "x");
        TypeData(d, 1, {{"1", "3.1"}, {"2", "4.9"}, {"3", "7.2"}});
    }

    // Every item of two documents, compared.
    static void ExpectSameDocument(const TRegressDocument& a, const TRegressDocument& b) {
        for (TField field :
             {TField::LeftName, TField::LeftNameMirror, TField::RightSide, TField::DisplayedFormula,
              TField::DataPointCount, TField::VariableCount, TField::Correlation, TField::MaxError,
              TField::MeanError, TField::Coefficients, TField::FittedFormula})
            EXPECT_EQ(a.Text(field), b.Text(field)) << static_cast<int>(field);
        EXPECT_EQ(a.Aliases().Rows(), b.Aliases().Rows());
        ASSERT_EQ(a.Table().RowCount(), b.Table().RowCount());
        ASSERT_EQ(a.Table().ColCount(), b.Table().ColCount());
        for (int row = 0; row < a.Table().RowCount(); ++row)
            for (int col = 0; col < a.Table().ColCount(); ++col)
                EXPECT_EQ(a.Table().Cell(col, row), b.Table().Cell(col, row)) << col << "," << row;
    }

    // Opens a file of the given lines; returns the message of the error, if any.
    std::string OpenLines(const Texts& lines) {
        WriteBytes(path, CrLf(lines));
        try {
            doc.OpenDocument(path);
        } catch (const Exception& e) {
            return e.message();
        }
        return "";
    }
};

TEST_F(DocumentFile, WorkedExampleByteForByte) {
    TypeWorkedExample(doc);
    doc.SaveDocumentAs(path);
    EXPECT_EQ(ReadBytes(path), CrLf(kWorkedExample));

    TRegressDocument read;
    read.OpenDocument(path);
    ExpectSameDocument(read, doc);
    EXPECT_EQ(read.Table().Cell(2, 0), " Y。 ");
    EXPECT_EQ(read.Text(TField::Title), "Orvane(XTQ V1.1)-" + path);
}

TEST_F(DocumentFile, ResultsOfARunAreSavedAndReadBack) {
    doc.SetText(TField::RightSide, "a+b*x1");
    doc.Aliases().Append("x1", "x");
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}, {"3", "7"}});
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    doc.SaveDocumentAs(path);
    const std::string bytes = ReadBytes(path);
    const std::string coefficients = "a=1" + std::string(24, ' ') + "b=2" + std::string(24, ' ');
    EXPECT_NE(bytes.find("\r\n1.000000\r\n0.000000\r\n0.000000\r\n" + coefficients +
                         "\r\nY=1+2.x\r\n2\r\n2\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("\r\n3\r\n3\r\n7\r\n7\r\n0.000000\r\n"), std::string::npos);
    TRegressDocument read;
    read.OpenDocument(path);
    ExpectSameDocument(read, doc);
}

TEST_F(DocumentFile, OpenNamesTheFileFirst) {
    WriteBytes(path, CrLf(kWorkedExample));
    doc.OpenDocument(path);
    EXPECT_EQ(doc.Text(TField::FileName), path);
    EXPECT_EQ(recent.names, (Texts{path}));
    EXPECT_EQ(doc.Text(TField::LeftNameMirror), "y");
    EXPECT_EQ(DataColumn(doc, 2), (Texts{"3.1", "4.9", "7.2"}));
}

TEST_F(DocumentFile, AFileThatCannotBeOpenedChangesNothing) {
    doc.SetText(TField::RightSide, "a+b*x1");
    doc.Aliases().Append("x1", "x");
    doc.Table().SetCell(1, 1, "5");
    const std::string title = doc.Text(TField::Title);
    const std::string missing = folder.File("none.rgs");
    try {
        doc.OpenDocument(missing);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "File not found");
    }
    // The document, the title and the table are as they were; the name is
    // still listed, so that the user sees what was tried.
    EXPECT_EQ(doc.Text(TField::Title), title);
    EXPECT_EQ(recent.names, (Texts{missing}));
    EXPECT_EQ(doc.Table().Cell(1, 1), "5");
    EXPECT_EQ(doc.Table().Cell(1, 0), "X1");
    EXPECT_EQ(doc.Table().Cell(0, 1), "1");
    EXPECT_EQ(doc.Text(TField::RightSide), "a+b*x1");
    EXPECT_EQ(doc.Aliases().Count(), 1);
}

TEST_F(DocumentFile, MissingFolder) {
    try {
        doc.OpenDocument(folder.File("no/doc.rgs"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Invalid filename");
    }
}

Texts Head(const char* rows = "3") {
    return {"Q", "a*x1", "", rows, "1", "r", "em", "ea", "coefs", "result"};
}

Texts Concat(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(DocumentFile, CountLineThatIsNoInteger) {
    struct Case {
        Texts tail;
        const char* message;
        int aliases;
    };
    const Case cases[] = {
        {{"x"}, "'x' is not a valid integer value", 0},
        {{"1", "y"}, "'y' is not a valid integer value", 0}, // line 12 too
        {{"2", "2", "x1", "x", "4.0"}, "'4.0' is not a valid integer value", 1},
        {{"1", "2", "4", " "}, "' ' is not a valid integer value", 0},
        {{"2", "2", "x1", "x"}, "'' is not a valid integer value", 1}, // the file ends early
    };
    for (const Case& c : cases) {
        doc.Table().SetCell(1, 1, "typed");
        EXPECT_EQ(OpenLines(Concat(Head(), c.tail)), c.message);
        // Everything before the line is applied; no cell has been read.
        EXPECT_EQ(doc.Text(TField::LeftName), "Q");
        EXPECT_EQ(doc.Text(TField::FittedFormula), "result");
        EXPECT_EQ(doc.Aliases().Count(), c.aliases);
        EXPECT_EQ(doc.Table().Cell(1, 1), "");
        // The header row and the row numbers are those the count rules give,
        // so that the table can be regressed and saved.
        EXPECT_EQ(doc.Table().Cell(1, 0), "X1");
        EXPECT_EQ(doc.Table().Cell(2, 0), " Y。 ");
        for (int row = 1; row < doc.Table().RowCount(); ++row)
            EXPECT_EQ(doc.Table().Cell(0, row), std::to_string(row));
    }
}

TEST_F(DocumentFile, DataPointCountComesFromTheTableRows) {
    Texts lines = Concat(Head("7"), {"1", "2", "4", "5"});
    for (int i = 0; i < 20; ++i)
        lines.push_back("c" + std::to_string(i));
    EXPECT_EQ(OpenLines(lines), "");
    EXPECT_EQ(doc.Text(TField::DataPointCount), "3");
    EXPECT_EQ(doc.Table().RowCount(), 4);
    EXPECT_EQ(doc.Table().Cell(4, 3), "c19");
}

TEST_F(DocumentFile, AliasCountBelowTwoMeansNoAliases) {
    for (const char* a : {"1", "0", "-5"}) {
        EXPECT_EQ(OpenLines(Concat(Head(), {a, "2", "1", "1"})), "") << a;
        EXPECT_EQ(doc.Aliases().Count(), 0);
        EXPECT_EQ(doc.Text(TField::DataPointCount), "0");
    }
}

TEST_F(DocumentFile, DuplicateAliasKeyStopsReading) {
    doc.Aliases().Append("old", "o");
    EXPECT_EQ(OpenLines(Concat(Head(), {"3", "2", "X1", "a", "x1", "b", "4", "5"})),
              "A key with the name of \"x1\" already exists");
    EXPECT_EQ(doc.Aliases().Count(), 1);
    EXPECT_EQ(doc.Aliases().Key(0), "X1");
    EXPECT_EQ(doc.Text(TField::DataPointCount), "3"); // line 4; T1 was not reached
}

TEST_F(DocumentFile, SmallCountsReadNoCell) {
    doc.Table().SetCell(2, 2, "typed");
    EXPECT_EQ(OpenLines(Concat(Head(), {"1", "2", "1", "5", "cell"})), "");
    EXPECT_EQ(doc.Table().RowCount(), 1);
    EXPECT_EQ(doc.Text(TField::DataPointCount), "0");
    EXPECT_EQ(doc.Table().Cell(1, 0), "X1"); // the column count rule wrote it
    EXPECT_EQ(OpenLines(Concat(Head(), {"1", "2", "3", "1", "cell"})), "");
    EXPECT_EQ(doc.Table().RowCount(), 3);
    EXPECT_EQ(DataColumn(doc, 0), (Texts{"1", "2"})); // the row count rule wrote them
    EXPECT_EQ(doc.Table().Cell(2, 2), "");
}

TEST_F(DocumentFile, CellsBeyondTheCountsStayHidden) {
    // K = 6 for one variable: the extra column is stored and hidden.
    Texts lines = Concat(Head("1"), {"1", "2", "2", "6"});
    for (const char* cell : {"", "X1", "Y", "F", "E", "h0", "1", "2", "3", "4", "5", "h1"})
        lines.push_back(cell);
    EXPECT_EQ(OpenLines(lines), "");
    EXPECT_EQ(doc.Table().ColCount(), 5);
    EXPECT_EQ(doc.Table().Cell(5, 1), "h1");
    doc.SetText(TField::VariableCount, "2");
    EXPECT_EQ(doc.Table().Cell(5, 1), "h1");
}

TEST_F(DocumentFile, HiddenRowsSurviveOpeningASmallerDocument) {
    doc.SetText(TField::DataPointCount, "10");
    for (int row = 1; row <= 10; ++row)
        doc.Table().SetCell(1, row, "v" + std::to_string(row));
    doc.SetText(TField::DataPointCount, "5");
    WriteBytes(path, CrLf(kWorkedExample));
    doc.OpenDocument(path);
    doc.SetText(TField::DataPointCount, "10");
    EXPECT_EQ(DataColumn(doc, 1), (Texts{"1", "2", "3", "", "", "v6", "v7", "v8", "v9", "v10"}));
}

TEST_F(DocumentFile, LongMemoLineIsReadWhole) {
    const std::string memo(700, 'm');
    Texts lines = kWorkedExample;
    lines[8] = memo;
    EXPECT_EQ(OpenLines(lines), "");
    EXPECT_EQ(doc.Text(TField::Coefficients), memo);
    EXPECT_EQ(doc.Text(TField::FittedFormula), "");
}

TEST_F(DocumentFile, BareLineFeedsAreAccepted) {
    std::string bytes;
    for (const auto& line : kWorkedExample)
        bytes += line + "\n";
    WriteBytes(path, bytes);
    doc.OpenDocument(path);
    EXPECT_EQ(DataColumn(doc, 2), (Texts{"3.1", "4.9", "7.2"}));
    doc.SaveDocument();
    EXPECT_EQ(ReadBytes(path), CrLf(kWorkedExample));
}

TEST_F(DocumentFile, BytesThatAreNoGbkComeBackUnchanged) {
    Texts lines = kWorkedExample;
    lines[0] = "\xFF\x81";
    lines[9] = "\xB1\xE4\xC1\xBF\x80\xFE";
    lines[13] = "\xA1";
    lines[23] = "3\x81\x7F";
    WriteBytes(path, CrLf(lines));
    doc.OpenDocument(path);
    EXPECT_EQ(doc.Text(TField::FittedFormula),
              GbkToUtf8("\xB1\xE4") + GbkToUtf8("\xC1\xBF") + "€" + GbkToUtf8("\xFE"));
    const std::string copy = folder.File("copy.rgs");
    doc.SaveDocumentAs(copy);
    EXPECT_EQ(ReadBytes(copy), CrLf(lines));
}

TEST_F(DocumentFile, CharacterOutsideGbkFailsTheSave) {
    TypeWorkedExample(doc);
    doc.SaveDocumentAs(path);
    const std::string before = ReadBytes(path);
    doc.Aliases().SetValue(0, "x😀");
    try {
        doc.SaveDocument();
        FAIL();
    } catch (const EEncodingError& e) {
        EXPECT_NE(e.message().find("😀"), std::string::npos) << e.message();
        EXPECT_NE(e.message().find("U+1F600"), std::string::npos) << e.message();
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST_F(DocumentFile, CountsBeyondTheMaximumStopOpen) {
    struct Case {
        Texts lines;
        const char* named;
        int rows; // as left by the lines before the failing one
    };
    const Case cases[] = {
        {Concat(Head("1000001"), {"1", "2", "2", "5"}), "1000001", 3},
        {Concat(Head(), {"1", "2", "1000002", "5"}), "1000002", 4},
        {Concat(Head(), {"1", "2", "2", "105"}), "105", 2},
    };
    for (const Case& c : cases) {
        doc.SetText(TField::DataPointCount, "2");
        const std::string message = OpenLines(c.lines);
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        EXPECT_EQ(doc.Table().RowCount(), c.rows) << c.named;
        EXPECT_EQ(doc.Table().Cell(0, 0), ""); // no cell read
    }
    Texts lines = Head();
    lines[4] = "101"; // variable count
    EXPECT_NE(OpenLines(lines).find("101"), std::string::npos);
    EXPECT_EQ(doc.Table().ColCount(), 5);
}

TEST_F(DocumentFile, CountsClaimingMoreLinesReadWhatTheFileHolds) {
    EXPECT_EQ(OpenLines(Concat(Head(), {"1", "2", "1000001", "104", "", "X1"})), "");
    EXPECT_EQ(doc.Table().RowCount(), 1'000'001);
    EXPECT_EQ(doc.Table().Cell(1, 0), "X1");
    EXPECT_EQ(doc.Table().Cell(2, 0), ""); // not in the file: as Open emptied it
    // Only the row numbers of the count rule are stored, nothing for the
    // 104 million cell lines the file does not hold.
    EXPECT_LT(doc.Table().CellMemoryBytes(), 64u * 1024 * 1024);
}

TEST_F(DocumentFile, SaveAsMakesThePathCurrent) {
    TypeWorkedExample(doc);
    EXPECT_TRUE(doc.SaveNeedsPath());
    doc.SaveDocumentAs(path);
    EXPECT_FALSE(doc.SaveNeedsPath());
    EXPECT_EQ(doc.Text(TField::FileName), path);
    EXPECT_EQ(doc.Text(TField::Title), "Orvane(XTQ V1.1)-" + path);
    EXPECT_EQ(recent.names, (Texts{path}));
}

TEST_F(DocumentFile, FailedSaveAsChangesNothing) {
    TypeWorkedExample(doc);
    try {
        doc.SaveDocumentAs(folder.File("no/doc.rgs"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Invalid filename");
    }
    EXPECT_EQ(doc.Text(TField::FileName), "");
    EXPECT_EQ(doc.Text(TField::Title), "Orvane(XTQ V1.1)-空白");
    EXPECT_TRUE(recent.names.empty());
    EXPECT_THROW(doc.SaveDocument(), EInOutError); // no name yet
}

TEST_F(DocumentFile, SaveToAFullDevice) {
    TypeWorkedExample(doc);
    try {
        doc.WriteDocument("/dev/full");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Disk full");
    }
}

// A small file system of its own, mounted for the test (needs root).
class FullDisk : public DocumentFile {
protected:
    std::string mountPoint = folder.File("disk");
    bool mounted = false;

    void SetUp() override {
        DocumentFile::SetUp();
        std::filesystem::create_directory(mountPoint);
        if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        mounted = true;
    }
    void TearDown() override {
        if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
    }
};

TEST_F(FullDisk, SaveThatFailsHalfWayKeepsTheOldFile) {
    const std::string file = mountPoint + "/doc.rgs";
    TypeWorkedExample(doc);
    doc.SaveDocumentAs(file);
    const std::string before = ReadBytes(file);
    doc.SetText(TField::DataPointCount, "20000"); // far more than 64 KiB of lines
    for (int row = 1; row <= 20000; ++row)
        doc.Table().SetCell(1, row, "1.2345");
    try {
        doc.SaveDocument();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Disk full");
    }
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(EntryCount(mountPoint), 1u);
}

TEST_F(FullDisk, ReadOnlyFileSystemRefusesAccess) {
    const std::string file = mountPoint + "/doc.rgs";
    TypeWorkedExample(doc);
    doc.SaveDocumentAs(file);
    ASSERT_EQ(mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    doc.SetText(TField::RightSide, "a");
    try {
        doc.SaveDocument();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "File access denied");
    }
    EXPECT_EQ(ReadBytes(file), CrLf(kWorkedExample));
}

// Under a locale whose decimal separator is ",", every text is the same.
class CommaLocale : public DocumentFile {
protected:
    std::string saved;
    TempFolder locales;

    void SetUp() override {
        DocumentFile::SetUp();
        saved = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            // Not installed: build it into a folder of the test's own.
            const std::string command =
                "localedef -i de_DE -f UTF-8 " + locales.File("de_DE.UTF-8") + " >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef failed";
            setenv("LOCPATH", locales.Path().c_str(), 1);
            if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
        }
        std::locale::global(std::locale("de_DE.UTF-8"));
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override {
        std::locale::global(std::locale::classic());
        std::setlocale(LC_ALL, saved.c_str());
        unsetenv("LOCPATH");
    }
};

// Types, regresses, saves and reads back a document; returns the file's bytes.
std::string RunAndSave(TRegressDocument& doc, const std::string& path) {
    doc.SetText(TField::RightSide, "a+b*x1");
    TypeData(doc, 1, {{"0.5", "1.25"}, {"1.5", "2.75"}, {"2.5", "4.5"}});
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Done);
    doc.SaveDocumentAs(path);
    TRegressDocument read;
    read.OpenDocument(path);
    for (TField field : {TField::Correlation, TField::MaxError, TField::MeanError,
                         TField::Coefficients, TField::FittedFormula})
        EXPECT_EQ(read.Text(field), doc.Text(field));
    return ReadBytes(path);
}

TEST_F(CommaLocale, RegressAndFileTextsUseThePoint) {
    // The same run in the program's own "C" locale, for reference.
    TRegressDocument reference;
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    const std::string referenceBytes = RunAndSave(reference, folder.File("c.rgs"));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    std::locale::global(std::locale("de_DE.UTF-8"));

    EXPECT_EQ(RunAndSave(doc, path), referenceBytes);
    EXPECT_EQ(DataColumn(doc, 3),
              (Texts{"1.20833333333333", "2.83333333333333", "4.45833333333333"}));
    EXPECT_EQ(DataColumn(doc, 4), (Texts{"-3.333333", "3.030303", "-0.925926"}));
    EXPECT_EQ(doc.Text(TField::Correlation), "0.999015");
    EXPECT_EQ(doc.Text(TField::FittedFormula), "Y=0.395833333333333+1.625.x1");
}

// Records what the commands report; `during` runs inside ProgressBegin.
struct TProgressLog : IProgress {
    std::vector<int> positions;
    int begins = 0;
    int ends = 0;
    std::function<void()> during;
    void ProgressBegin() override {
        ++begins;
        if (during) during();
    }
    void ProgressPosition(int percent) override { positions.push_back(percent); }
    void ProgressEnd() override { ++ends; }
};

TEST_F(DocumentFile, LongCommandsReportRisingPositionsUpToAHundred) {
    // 40,000 data points: the reader and the Regress command report several
    // times on the way. With no interval every rise is reported; positions
    // only rise, so there are at most 100 of them.
    TRegressDocument source;
    source.SetText(TField::RightSide, "a+b*x1");
    source.SetText(TField::DataPointCount, "40000");
    for (int row = 1; row <= 40000; ++row) {
        source.Table().SetCell(1, row, std::to_string(row));
        source.Table().SetCell(2, row, std::to_string(2 * row + row % 3));
    }
    source.WriteDocument(path);

    TProgressLog log;
    doc.SetProgress(&log, std::chrono::steady_clock::duration::zero());
    const std::function<void()> commands[] = {
        [&] { doc.OpenDocument(path); },
        [&] { EXPECT_EQ(doc.Regress(), TRegressOutcome::Done); },
        [&] { doc.SaveDocumentAs(folder.File("saved.rgs")); },
        [&] { doc.SaveDocument(); },
    };
    for (const auto& command : commands) {
        log = TProgressLog{};
        command();
        EXPECT_EQ(log.begins, 1);
        EXPECT_EQ(log.ends, 1);
        ASSERT_GE(log.positions.size(), 3u);
        EXPECT_LE(log.positions.size(), 100u);
        EXPECT_EQ(
            std::adjacent_find(log.positions.begin(), log.positions.end(), std::greater_equal<>()),
            log.positions.end()); // each higher than the one before
        EXPECT_GE(log.positions.front(), 1);
        EXPECT_EQ(log.positions.back(), 100);
        EXPECT_FALSE(doc.Busy());
    }
    EXPECT_EQ(doc.Table().Cell(2, 40000), "80001");

    // With the usual interval a small document reports no position at all.
    log = TProgressLog{};
    doc.SetProgress(&log);
    TypeWorkedExample(doc);
    doc.Regress();
    EXPECT_EQ(log.begins, 1);
    EXPECT_EQ(log.ends, 1);
    EXPECT_TRUE(log.positions.empty());
}

TEST_F(DocumentFile, NoSecondCommandWhileOneRuns) {
    TypeWorkedExample(doc);
    doc.SaveDocumentAs(path);
    const std::string saved = ReadBytes(path);
    const size_t recentBefore = recent.names.size();
    TProgressLog log;
    doc.SetProgress(&log);
    int refused = 0;
    log.during = [&] {
        EXPECT_TRUE(doc.Busy());
        const std::function<void()> others[] = {
            [&] { doc.OpenDocument(path); },
            [&] { doc.ReadDocument(path); },
            [&] { doc.Regress(); },
            [&] { doc.ApplyDefinition(); },
            [&] { doc.SaveDocument(); },
            [&] { doc.SaveDocumentAs(folder.File("other.rgs")); },
            [&] { doc.WriteDocument(folder.File("other.rgs")); },
            [&] { doc.NewDocument(folder.File("new.rgs")); },
        };
        for (const auto& other : others) {
            try {
                other();
            } catch (const EDocumentBusy& e) {
                EXPECT_STREQ(e.what(), kBusyMessage);
                ++refused;
            }
        }
    };
    doc.Regress();
    EXPECT_EQ(refused, 8);
    EXPECT_FALSE(std::filesystem::exists(folder.File("other.rgs")));
    EXPECT_EQ(doc.Text(TField::FileName), path);
    EXPECT_EQ(doc.Table().Cell(2, 1), "3.1"); // not emptied by a refused Open or New
    EXPECT_EQ(recent.names.size(), recentBefore);

    // A command that fails ends its progress and frees the document.
    log.during = nullptr;
    log.ends = 0;
    EXPECT_THROW(doc.OpenDocument(folder.File("missing.rgs")), EInOutError);
    EXPECT_EQ(log.ends, 1);
    EXPECT_FALSE(doc.Busy());
    doc.OpenDocument(path);
    EXPECT_EQ(ReadBytes(path), saved);
    EXPECT_EQ(doc.Table().Cell(2, 3), "7.2");
}

} // namespace
} // namespace xtq

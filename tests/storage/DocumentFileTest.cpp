#include "storage/DocumentFile.h"

#include "core/IntegerText.h"
#include "storage/GbkCodec.h"
#include "storage/InOutError.h"
#include "tests/storage/TempFolder.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace xtq {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// Records what the reader hands on, one text per event.
class TRecordingSink : public TDocumentFileSink {
public:
    std::vector<std::string> events;

    void ReadText(TDocumentLine line, std::string_view text) override {
        events.push_back(std::to_string(static_cast<int>(line)) + ":" + std::string(text));
    }
    void ClearAliases() override { events.push_back("clear"); }
    void ReadAlias(std::string_view key, std::string_view value) override {
        events.push_back("alias " + std::string(key) + "=" + std::string(value));
    }
    void ReadRowCount(int rows) override { events.push_back("R " + std::to_string(rows)); }
    void ReadColCount(int cols) override { events.push_back("K " + std::to_string(cols)); }
    void ReadCell(int col, int row, std::string_view text) override {
        events.push_back("cell " + std::to_string(col) + "," + std::to_string(row) + " " +
                         std::string(text));
    }
};

std::string Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

const std::vector<std::string> kHead = {"y", "r", "", "1", "1", "", "", "", "", ""};

std::vector<std::string> With(std::vector<std::string> tail) {
    std::vector<std::string> lines = kHead;
    lines.insert(lines.end(), tail.begin(), tail.end());
    return lines;
}

class DocumentFileRead : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.File("doc.rgs");
    TRecordingSink sink;

    // The events after the ten text lines and the alias clear.
    std::vector<std::string> ReadTail(const std::string& bytes) {
        WriteBytes(path, bytes);
        ReadDocumentFile(path, sink);
        return Tail();
    }
    std::vector<std::string> Tail() const {
        return std::vector<std::string>(sink.events.begin() + 11, sink.events.end());
    }
};

TEST_F(DocumentFileRead, HandsOnEveryItemInFileOrder) {
    const auto tail =
        ReadTail(Lines(With({"3", "2", "x1", "x", "X2", "", "2", "2", "a", "b", "c", "d"})));
    EXPECT_EQ(sink.events[0], "1:y");
    EXPECT_EQ(sink.events[10], "clear");
    const std::vector<std::string> expected = {"alias x1=x", "alias X2=",  "R 2",
                                               "K 2",        "cell 0,0 a", "cell 1,0 b",
                                               "cell 0,1 c", "cell 1,1 d"};
    EXPECT_EQ(tail, expected);
}

TEST_F(DocumentFileRead, SmallCountsReadNoCell) {
    struct Case {
        std::vector<std::string> tail;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {{"1", "0", "1", "5", "cell"}, {"R 1", "K 5"}},
        {{"0", "-4", "5", "1", "cell"}, {"R 5", "K 1"}},
        {{"-7", "2", "0", "0"}, {"R 0", "K 0"}},
    };
    for (const Case& c : cases) {
        sink.events.clear();
        EXPECT_EQ(ReadTail(Lines(With(c.tail))), c.events);
    }
}

TEST_F(DocumentFileRead, CountLineThatIsNoIntegerStopsReading) {
    struct Case {
        std::vector<std::string> tail;
        std::string message;
        size_t eventsBefore;
    };
    const Case cases[] = {
        {{"two", "2"}, "'two' is not a valid integer value", 0},
        {{"1", "x"}, "'x' is not a valid integer value", 0},
        {{"2", "2", "x1", "x", "4 rows"}, "'4 rows' is not a valid integer value", 1},
        {{"1", "2", "2", "K"}, "'K' is not a valid integer value", 1},
        {{"1", "2", "2"}, "'' is not a valid integer value", 1}, // the file ends early
        {{}, "'' is not a valid integer value", 0},
    };
    for (const Case& c : cases) {
        sink.events.clear();
        WriteBytes(path, Lines(With(c.tail)));
        try {
            ReadDocumentFile(path, sink);
            ADD_FAILURE() << c.message;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_EQ(Tail().size(), c.eventsBefore) << c.message;
    }
}

TEST_F(DocumentFileRead, MissingTextLinesReadEmpty) {
    WriteBytes(path, "y\r\nright");
    EXPECT_THROW(ReadDocumentFile(path, sink), EConvertError);
    ASSERT_EQ(sink.events.size(), 11u);
    EXPECT_EQ(sink.events[1], "2:right");
    EXPECT_EQ(sink.events[9], "10:");
}

// Counts that claim more lines than the file holds: only what exists is handed on.
TEST_F(DocumentFileRead, CountsBeyondTheFileReadWhatItHolds) {
    auto tail = ReadTail(Lines(With({"1", "2", "1000001", "104", "a", "b"})));
    const std::vector<std::string> cells = {"R 1000001", "K 104", "cell 0,0 a", "cell 1,0 b"};
    EXPECT_EQ(tail, cells);

    sink.events.clear();
    WriteBytes(path, Lines(With({"2147483647", "2", "k1", "v1", "k2"})));
    try {
        ReadDocumentFile(path, sink);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'' is not a valid integer value");
    }
    const std::vector<std::string> aliases = {"alias k1=v1", "alias k2="};
    EXPECT_EQ(Tail(), aliases);
}

TEST_F(DocumentFileRead, ASinkErrorEndsReading) {
    class TRefusingSink : public TRecordingSink {
        void ReadAlias(std::string_view key, std::string_view) override {
            throw Exception("refused " + std::string(key));
        }
    } refusing;
    WriteBytes(path, Lines(With({"2", "2", "x1", "x", "2", "2"})));
    EXPECT_THROW(ReadDocumentFile(path, refusing), Exception);
    EXPECT_EQ(refusing.events.back(), "clear");
}

TEST_F(DocumentFileRead, DecodesGbk) {
    WriteBytes(path, Lines(With({"1", "2", "2", "2", "", "X1", " Y\xA1\xA3 ", "\xFF"})));
    ReadDocumentFile(path, sink);
    EXPECT_EQ(Tail()[4], "cell 0,1  Y。 ");
    EXPECT_EQ(Tail()[5], "cell 1,1 " + GbkToUtf8("\xFF"));
}

TEST(DocumentFileRead2, MissingFileIsFileNotFound) {
    TempFolder folder;
    TRecordingSink sink;
    try {
        ReadDocumentFile(folder.File("none.rgs"), sink);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "File not found");
    }
    EXPECT_TRUE(sink.events.empty());
}

// A plain source over fixed items.
class TFixedSource : public TDocumentFileSource {
public:
    std::map<int, std::string> texts;
    std::vector<std::pair<std::string, std::string>> aliases;
    int rows = 0;
    int cols = 0;
    std::map<std::pair<int, int>, std::string> cells;

    std::string_view Text(TDocumentLine line) const override {
        const auto it = texts.find(static_cast<int>(line));
        return it == texts.end() ? std::string_view() : std::string_view(it->second);
    }
    int AliasCount() const override { return static_cast<int>(aliases.size()); }
    std::string_view AliasKey(int i) const override { return aliases[i].first; }
    std::string_view AliasValue(int i) const override { return aliases[i].second; }
    int RowCount() const override { return rows; }
    int ColCount() const override { return cols; }
    std::string_view Cell(int col, int row) const override {
        const auto it = cells.find({col, row});
        return it == cells.end() ? std::string_view() : std::string_view(it->second);
    }
};

TEST(DocumentFileWrite, LineBreaksInsideItemsAreLeftOut) {
    TempFolder folder;
    const std::string path = folder.File("doc.rgs");
    TFixedSource source;
    source.texts[9] = "a=1\r\nb=2";
    source.texts[10] = "one\ntwo\rthree";
    source.rows = 1;
    source.cols = 1;
    source.cells[{0, 0}] = "c\r\n";
    WriteDocumentFile(path, source);
    EXPECT_EQ(ReadBytes(path),
              "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\na=1b=2\r\nonetwo\rthree\r\n1\r\n2\r\n"
              "1\r\n1\r\nc\r\n");
}

TEST(DocumentFileWrite, CharacterOutsideGbkWritesNothing) {
    TempFolder folder;
    const std::string path = folder.File("doc.rgs");
    WriteBytes(path, "old");
    TFixedSource source;
    source.rows = 2;
    source.cols = 2;
    source.cells[{1, 1}] = "3\xE2\x80\xAF"
                           "5"; // U+202F NARROW NO-BREAK SPACE
    try {
        WriteDocumentFile(path, source);
        FAIL();
    } catch (const EEncodingError& e) {
        EXPECT_NE(e.message().find("U+202F"), std::string::npos) << e.message();
        EXPECT_NE(e.message().find("数据表格第1行第1列"), std::string::npos) << e.message();
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(testing::EntryCount(folder.Path()), 1u);
}

} // namespace
} // namespace xtq

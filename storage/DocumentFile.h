#pragma once
// The ".rgs" document file: one value per line, found by position, GBK bytes
// in the file and UTF-8 text in the program. The reader hands every item to a
// sink as soon as it is read, so that whatever was read before a failing line
// stays applied; the writer takes the items from a source.
//
// Layout, by line:
//   1-10  left-side name, right side, displayed formula, data-point count,
//         variable count, correlation coefficient, maximum error, mean error,
//         coefficient text, result text
//   11    A: number of alias pairs plus one
//   12    an integer, not used ("2" is written)
//   then  A-1 pairs of lines: key, value
//   T1    R: table rows including the header row
//   T2    K: table columns including the row-number column
//   then  R*K cell lines, row by row from row 0, column by column from 0

#include <cstdint>
#include <string>
#include <string_view>

namespace xtq {

// Lines 1 to 10, by their line number.
enum class TDocumentLine {
    LeftName = 1,
    RightSide,
    DisplayedFormula,
    DataPointCount,
    VariableCount,
    Correlation,
    MaximumError,
    MeanError,
    Coefficients,
    Result,
};

class TDocumentFileSink {
public:
    virtual ~TDocumentFileSink() = default;
    // Lines 1 to 10, in order; a line missing at the end of the file is empty.
    virtual void ReadText(TDocumentLine line, std::string_view text) = 0;
    // After line 10, before the alias count is read.
    virtual void ClearAliases() = 0;
    virtual void ReadAlias(std::string_view key, std::string_view value) = 0;
    // Line T1, before T2 is read.
    virtual void ReadRowCount(int rows) = 0;
    // Line T2, before any cell is read.
    virtual void ReadColCount(int cols) = 0;
    virtual void ReadCell(int col, int row, std::string_view text) = 0;
    // Before the first cell and then after every kPositionLines cell lines:
    // the bytes read so far and the file's size (0 when it has none).
    virtual void ReadPosition(std::uint64_t done, std::uint64_t total) {
        (void)done;
        (void)total;
    }
};

// Cell lines between two position reports.
inline constexpr int kPositionLines = 1 << 15;

// Reads the file into the sink. Raises EInOutError when it cannot be opened or
// read, EConvertError at a count line that is not a decimal integer (a count
// line missing at the end reads as an empty text), and passes on whatever the
// sink raises; the file is closed on every way out. Alias pairs and cells that
// the counts announce but the file does not hold are not handed on.
void ReadDocumentFile(const std::string& path, TDocumentFileSink& sink);

class TDocumentFileSource {
public:
    virtual ~TDocumentFileSource() = default;
    virtual std::string_view Text(TDocumentLine line) const = 0;
    virtual int AliasCount() const = 0;
    virtual std::string_view AliasKey(int index) const = 0;
    virtual std::string_view AliasValue(int index) const = 0;
    virtual int RowCount() const = 0;
    virtual int ColCount() const = 0;
    virtual std::string_view Cell(int col, int row) const = 0;
    // Before the first table row, then after every kPositionLines cell
    // lines: the rows written so far and the table's row count.
    virtual void WritePosition(int done, int total) const {
        (void)done;
        (void)total;
    }
};

// Writes the file, every line ended by CR LF, through TSafeFileWriter: on any
// failure the previous file is unchanged. Line breaks inside an item (LF, and
// a CR before it) are left out so that the item stays on its line; a lone CR
// is kept, since it reads back as it was. Raises EInOutError, or
// EEncodingError (and writes nothing) when an item holds a character that GBK
// cannot hold; that message names the item and the character.
void WriteDocumentFile(const std::string& path, const TDocumentFileSource& source);

} // namespace xtq

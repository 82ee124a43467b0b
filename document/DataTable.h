#pragma once
// The data table: a grid of text cells with a fixed header row (row
// 0) and a fixed row-number column (column 0), shaped by its two count rules.
//
// For n variables and m data points the count rules give RowCount = m + 1 and
// ColCount = n + 4: row numbers, X1 .. Xn, " Y。 " (measured value), " Y` "
// (fitted value, 120 pixels wide) and " e (%) " (error in per cent, 80
// pixels). Cells are kept whatever the counts: texts outside the counts stay
// stored and appear again, unchanged, when the counts grow.

#include "core/Exception.h"
#include "document/CellStore.h"
#include "document/DocumentListener.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xtq {

// A count beyond what the program keeps, or a negative count of data points
// handed to the table directly.
XTQ_DECLARE_ERROR(ECountRangeError, Exception);
// "Grid index out of range": a row or column to move that is fixed or outside the counts.
XTQ_DECLARE_ERROR(EInvalidGridOperation, Exception);

// The largest data-point count and variable count the program accepts. The
// table then has at most 1,000,001 rows and 104 columns.
inline constexpr int kMaxDataPoints = 1'000'000;
inline constexpr int kMaxVariables = 100;
inline constexpr int kMaxTableRows = kMaxDataPoints + 1;
inline constexpr int kMaxTableCols = kMaxVariables + 4;

inline constexpr int kDefaultColWidth = 64;
inline constexpr int kDefaultRowHeight = 15;
inline constexpr int kFittedColWidth = 120;
inline constexpr int kErrorColWidth = 80;

inline constexpr const char* kMeasuredHeader = " Y。 ";
inline constexpr const char* kFittedHeader = " Y` ";
inline constexpr const char* kErrorHeader = " e (%) ";

// Checks a count text before it is taken: raises ECountRangeError when it is
// an integer beyond kMaxDataPoints (rows) or kMaxVariables (columns). Texts
// that are no integer pass: the rules ignore them.
void CheckDataPointCountText(std::string_view text);
void CheckVariableCountText(std::string_view text);

class TDataTable {
public:
    // The table as designed, before the count rules first run: 20 rows and 11
    // columns, no texts.
    TDataTable();

    int RowCount() const { return rowCount_; }
    int ColCount() const { return colCount_; }

    // Any position, inside the counts or not.
    std::string_view Cell(int col, int row) const { return cells_.Get(col, row); }
    void SetCell(int col, int row, std::string_view text);
    // The cell is fixed (header row or row-number column) and cannot be edited.
    static bool IsFixed(int col, int row) { return col == 0 || row == 0; }

    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);

    // The current cell, always a non-fixed position inside the counts as far
    // as the counts allow (column and row at least 1).
    int Col() const { return col_; }
    int Row() const { return row_; }
    void SetCol(int col);
    void SetRow(int row);

    // Drag moves: the row (column) at `from` goes to `to`, those between shift
    // by one; its cells go with it, row number or header included, and a
    // column takes its width, a row its height. Only non-fixed positions
    // inside the counts; EInvalidGridOperation otherwise.
    void MoveRow(int from, int to);
    void MoveColumn(int from, int to);

    // The row count rule (ApplyDataPointCount) for the data-point count text, and the
    // column count rule (ApplyVariableCount) for the variable count text. Raise
    // ECountRangeError, changing nothing, for a count beyond the maximum; a
    // negative variable count is taken as 0.
    void ApplyDataPointCount(std::string_view text);
    void ApplyVariableCount(std::string_view text);

    // Empties every cell of rows [firstRow, RowCount) in columns [0, ColCount):
    // Open empties from row 0, New from row 1. Cells outside the counts stay.
    void EmptyCellsInside(int firstRow);

    // Makes room for `rows` rows of cells in the columns [0, cols), before
    // they are written one by one (Open).
    void ReserveCells(int cols, int rows) { cells_.Reserve(cols, rows); }

    // The layout of `other` (counts, widths, heights, current cell) with its
    // cells outside the counts, and no cell inside them: the table as Open
    // finds it once the cells inside the counts are emptied.
    void AssignLayoutAndHiddenCells(const TDataTable& other);
    // Exchanges everything but the listeners and open updates; reports
    // TableChanged.
    void SwapContents(TDataTable& other);

    // Memory held by the cell store, in bytes.
    size_t CellMemoryBytes() const { return cells_.MemoryBytes(); }

    void SetListeners(const TListenerList* listeners) { listeners_ = listeners; }

    // Groups changes: while an update is open, cell changes are not reported
    // one by one; closing the last one reports TableChanged once if anything
    // changed.
    void BeginUpdate() { ++updates_; }
    void EndUpdate();

private:
    void SetRowCount(int rows);
    void SetColCount(int cols);
    void KeepCurrentCellInside();
    void CellWritten(int col, int row);
    void LayoutChanged();

    TCellStore cells_;
    int rowCount_ = 20;
    int colCount_ = 11;
    std::vector<int> widths_;            // per column position; missing means 64
    std::vector<std::uint16_t> heights_; // per row; missing means 15
    int col_ = 1;
    int row_ = 1;
    const TListenerList* listeners_ = nullptr;
    int updates_ = 0;
    bool pending_ = false;
};

// Opens an update of the table for the lifetime of the object.
class TTableUpdate {
public:
    explicit TTableUpdate(TDataTable& table) : table_(table) { table_.BeginUpdate(); }
    ~TTableUpdate() { table_.EndUpdate(); }
    TTableUpdate(const TTableUpdate&) = delete;
    TTableUpdate& operator=(const TTableUpdate&) = delete;

private:
    TDataTable& table_;
};

} // namespace xtq

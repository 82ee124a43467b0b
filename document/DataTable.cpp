#include "document/DataTable.h"

#include "core/IntegerText.h"

#include <algorithm>
#include <charconv>

namespace xtq {

void CheckDataPointCountText(std::string_view text) {
    int m;
    if (TryStrToInt(text, m) && m > kMaxDataPoints)
        throw ECountRangeError("数据点数不能超过" + IntToStr(kMaxDataPoints) + "（输入的是" +
                               std::string(text) + "）");
}

void CheckVariableCountText(std::string_view text) {
    int n;
    if (TryStrToInt(text, n) && n > kMaxVariables)
        throw ECountRangeError("独立变量数不能超过" + IntToStr(kMaxVariables) + "（输入的是" +
                               std::string(text) + "）");
}

TDataTable::TDataTable() = default;

void TDataTable::CellWritten(int col, int row) {
    if (updates_ > 0) {
        pending_ = true;
        return;
    }
    if (listeners_ != nullptr)
        listeners_->Notify([&](TDocumentListener& l) { l.CellChanged(col, row); });
}

void TDataTable::LayoutChanged() {
    if (updates_ > 0) {
        pending_ = true;
        return;
    }
    if (listeners_ != nullptr) listeners_->Notify([](TDocumentListener& l) { l.TableChanged(); });
}

void TDataTable::EndUpdate() {
    if (updates_ > 0 && --updates_ == 0 && pending_) {
        pending_ = false;
        LayoutChanged();
    }
}

void TDataTable::AssignLayoutAndHiddenCells(const TDataTable& other) {
    TCellStore cells;
    other.cells_.ForEachCellOutside(
        other.colCount_, other.rowCount_,
        [&](int col, int row, std::string_view text) { cells.Set(col, row, text); });
    cells_.Swap(cells);
    rowCount_ = other.rowCount_;
    colCount_ = other.colCount_;
    widths_ = other.widths_;
    heights_ = other.heights_;
    col_ = other.col_;
    row_ = other.row_;
    LayoutChanged();
}

void TDataTable::SwapContents(TDataTable& other) {
    cells_.Swap(other.cells_);
    std::swap(rowCount_, other.rowCount_);
    std::swap(colCount_, other.colCount_);
    widths_.swap(other.widths_);
    heights_.swap(other.heights_);
    std::swap(col_, other.col_);
    std::swap(row_, other.row_);
    LayoutChanged();
    other.LayoutChanged();
}

void TDataTable::SetCell(int col, int row, std::string_view text) {
    if (cells_.Set(col, row, text)) CellWritten(col, row);
}

int TDataTable::ColWidth(int col) const {
    if (col < 0 || static_cast<size_t>(col) >= widths_.size()) return kDefaultColWidth;
    return widths_[col];
}

void TDataTable::SetColWidth(int col, int width) {
    if (col < 0 || ColWidth(col) == width) return;
    if (static_cast<size_t>(col) >= widths_.size()) widths_.resize(col + 1, kDefaultColWidth);
    widths_[col] = width;
    LayoutChanged();
}

int TDataTable::RowHeight(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= heights_.size()) return kDefaultRowHeight;
    return heights_[row];
}

void TDataTable::SetRowHeight(int row, int height) {
    height = std::clamp(height, 0, 0xFFFF);
    if (row < 0 || RowHeight(row) == height) return;
    if (static_cast<size_t>(row) >= heights_.size()) heights_.resize(row + 1, kDefaultRowHeight);
    heights_[row] = static_cast<std::uint16_t>(height);
    LayoutChanged();
}

void TDataTable::SetCol(int col) {
    col = std::clamp(col, 1, std::max(1, colCount_ - 1));
    if (col == col_) return;
    col_ = col;
    if (listeners_ != nullptr)
        listeners_->Notify([](TDocumentListener& l) { l.CurrentCellChanged(); });
}

void TDataTable::SetRow(int row) {
    row = std::clamp(row, 1, std::max(1, rowCount_ - 1));
    if (row == row_) return;
    row_ = row;
    if (listeners_ != nullptr)
        listeners_->Notify([](TDocumentListener& l) { l.CurrentCellChanged(); });
}

void TDataTable::KeepCurrentCellInside() {
    SetCol(col_);
    SetRow(row_);
}

void TDataTable::SetRowCount(int rows) {
    rows = std::max(rows, 1);
    if (rows == rowCount_) return;
    rowCount_ = rows;
    LayoutChanged();
    KeepCurrentCellInside();
}

void TDataTable::SetColCount(int cols) {
    cols = std::max(cols, 1);
    if (cols == colCount_) return;
    colCount_ = cols;
    LayoutChanged();
    KeepCurrentCellInside();
}

void TDataTable::MoveRow(int from, int to) {
    if (from < 1 || to < 1 || from >= rowCount_ || to >= rowCount_)
        throw EInvalidGridOperation("Grid index out of range");
    if (from == to) return;
    cells_.MoveRow(from, to);
    if (!heights_.empty()) {
        if (heights_.size() <= static_cast<size_t>(std::max(from, to)))
            heights_.resize(std::max(from, to) + 1, kDefaultRowHeight);
        const auto low = heights_.begin() + std::min(from, to);
        const auto high = heights_.begin() + std::max(from, to);
        if (from < to) {
            std::rotate(low, low + 1, high + 1);
        } else {
            std::rotate(low, high, high + 1);
        }
    }
    LayoutChanged();
}

void TDataTable::MoveColumn(int from, int to) {
    if (from < 1 || to < 1 || from >= colCount_ || to >= colCount_)
        throw EInvalidGridOperation("Grid index out of range");
    if (from == to) return;
    cells_.MoveColumn(from, to);
    if (widths_.size() <= static_cast<size_t>(std::max(from, to)))
        widths_.resize(std::max(from, to) + 1, kDefaultColWidth);
    const auto low = widths_.begin() + std::min(from, to);
    const auto high = widths_.begin() + std::max(from, to);
    if (from < to) {
        std::rotate(low, low + 1, high + 1);
    } else {
        std::rotate(low, high, high + 1);
    }
    LayoutChanged();
}

void TDataTable::ApplyDataPointCount(std::string_view text) {
    CheckDataPointCountText(text);
    TTableUpdate update(*this);
    int m;
    if (TryStrToInt(text, m)) SetRowCount(m < 1 ? 1 : m + 1);
    cells_.Reserve(1, rowCount_); // the row numbers, written at once
    TDecimalText number;
    for (int r = 1; r < rowCount_; ++r)
        SetCell(0, r, FormatDecimal(r, number));
}

void TDataTable::ApplyVariableCount(std::string_view text) {
    CheckVariableCountText(text);
    int n;
    if (!TryStrToInt(text, n)) return;
    n = std::max(n, 0);
    TTableUpdate update(*this);
    SetColCount(n + 2);
    SetCell(colCount_ - 1, 0, kMeasuredHeader);
    for (int i = 1; i <= colCount_ - 2; ++i)
        SetCell(i, 0, "X" + IntToStr(i));
    SetColCount(colCount_ + 2);
    SetCell(colCount_ - 2, 0, kFittedHeader);
    SetColWidth(colCount_ - 2, kFittedColWidth);
    SetCell(colCount_ - 1, 0, kErrorHeader);
    SetColWidth(colCount_ - 1, kErrorColWidth);
}

void TDataTable::EmptyCellsInside(int firstRow) {
    cells_.Clear(colCount_, firstRow, rowCount_);
    LayoutChanged();
}

} // namespace xtq

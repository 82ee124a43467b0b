#pragma once
// The cell store of the data table: one text per (column, row), independent
// of the table's counts. Each column is one contiguous array of 16-byte cells;
// a text of up to 15 bytes lives inside its cell, a longer one in a single
// allocation of its own. A million data points of a few variables (six
// million cells of number texts) take about 100 MB.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xtq {

class TCellText {
public:
    TCellText() noexcept { bytes_[kTag] = 0; }
    explicit TCellText(std::string_view text) {
        bytes_[kTag] = 0;
        Assign(text);
    }
    TCellText(const TCellText& other) : TCellText(other.View()) {}
    TCellText(TCellText&& other) noexcept { Take(other); }
    TCellText& operator=(const TCellText& other) {
        if (this != &other) Assign(other.View());
        return *this;
    }
    TCellText& operator=(TCellText&& other) noexcept {
        if (this != &other) {
            Release();
            Take(other);
        }
        return *this;
    }
    ~TCellText() { Release(); }

    std::string_view View() const noexcept;
    bool Empty() const noexcept { return bytes_[kTag] == 0; }
    void Assign(std::string_view text);
    void Clear() noexcept {
        Release();
        bytes_[kTag] = 0;
    }
    // Bytes held outside the cell.
    size_t HeapBytes() const noexcept { return IsHeap() ? HeapSize() : 0; }

private:
    static constexpr size_t kTag = 15;
    static constexpr unsigned char kHeapTag = 0xFF;

    bool IsHeap() const noexcept { return static_cast<unsigned char>(bytes_[kTag]) == kHeapTag; }
    char* HeapPointer() const noexcept;
    std::uint32_t HeapSize() const noexcept;
    void Release() noexcept;
    void Take(TCellText& other) noexcept;

    // Inline: bytes 0-14 hold the text, byte 15 its length. On the heap: bytes
    // 0-7 the pointer, 8-11 the length, byte 15 kHeapTag.
    alignas(8) char bytes_[16];
};
static_assert(sizeof(TCellText) == 16);

class TCellStore {
public:
    // The text at (col, row); empty for a cell never written.
    std::string_view Get(int col, int row) const noexcept {
        if (col < 0 || static_cast<size_t>(col) >= columns_.size()) return {};
        const auto& column = columns_[col];
        if (row < 0 || static_cast<size_t>(row) >= column.size()) return {};
        return column[row].View();
    }
    // Writes the text; an empty text written outside the stored cells stores
    // nothing. Returns true when the text changed.
    bool Set(int col, int row, std::string_view text);

    // Empties the cells of columns [0, cols) and rows [firstRow, rows), and
    // gives back memory that the emptied ends of the columns held.
    void Clear(int cols, int firstRow, int rows);

    // Moves the row `from` to the position `to`, the rows between shifting by
    // one, in every column; likewise for columns.
    void MoveRow(int from, int to);
    void MoveColumn(int from, int to);

    // Memory held by the store, in bytes.
    size_t MemoryBytes() const noexcept;

private:
    std::vector<std::vector<TCellText>> columns_;
};

} // namespace xtq

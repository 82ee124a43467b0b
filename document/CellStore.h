#pragma once
// The cell store of the data table: one text per (column, row), independent
// of the table's counts. Each column is one contiguous array of 16-byte cells;
// a text of up to 15 bytes lives inside its cell, one of 16 to 32 bytes (a
// number text of 15 significant digits with its sign, point and exponent) in
// a slot of 16, 24 or 32 bytes that the store hands out from large blocks, and
// a longer one in a single allocation of its own. A million data points of
// two variables with all their results (six million cells, four million of
// them number texts of 16 or 17 characters) take about 190 MB.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xtq {

class TCellStore;

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
    // Bytes held outside the cell in an allocation of its own.
    size_t HeapBytes() const noexcept { return IsHeap() ? HeapSize() : 0; }

    // The longest text kept inside the cell.
    static constexpr size_t kInline = 15;

private:
    friend class TCellStore;

    static constexpr size_t kTag = 15;
    static constexpr unsigned char kHeapTag = 0xFF;
    static constexpr unsigned char kSlotTag = 0xFE;

    bool IsHeap() const noexcept { return static_cast<unsigned char>(bytes_[kTag]) == kHeapTag; }
    bool InSlot() const noexcept { return static_cast<unsigned char>(bytes_[kTag]) == kSlotTag; }
    char* HeapPointer() const noexcept;
    std::uint32_t HeapSize() const noexcept;
    void Release() noexcept;
    void Take(TCellText& other) noexcept;
    // Refers to a slot of the store that holds the text; the cell does not own it.
    void ReferTo(char* slot, std::uint32_t size) noexcept;

    // Inline: bytes 0-14 hold the text, byte 15 its length. Elsewhere: bytes
    // 0-7 the pointer, 8-11 the length, byte 15 kHeapTag (an allocation of the
    // cell's own) or kSlotTag (a slot of the store).
    alignas(8) char bytes_[16];
};
static_assert(sizeof(TCellText) == 16);

// Slots of 16, 24 and 32 bytes for the texts of the store, cut from blocks of
// two megabytes; a slot given back is used again for the next text of its size.
class TTextSlots {
public:
    static constexpr size_t kLongest = 32;

    TTextSlots() = default;
    TTextSlots(const TTextSlots&) = delete;
    TTextSlots& operator=(const TTextSlots&) = delete;

    // A slot for a text of 16 to kLongest bytes.
    char* Take(size_t length);
    void Give(char* slot, size_t length) noexcept;
    // Gives every block back once no slot is in use.
    void ReleaseIfUnused() noexcept;
    size_t MemoryBytes() const noexcept { return blocks_.size() * kBlockBytes; }
    void Swap(TTextSlots& other) noexcept {
        std::swap(classes_, other.classes_);
        blocks_.swap(other.blocks_);
        std::swap(used_, other.used_);
    }

private:
    static constexpr size_t kBlockBytes = size_t{2} << 20; // one huge page
    static constexpr size_t kClasses = 3;
    static size_t ClassOf(size_t length) noexcept { return (length - 9) / 8; }
    static size_t SlotBytes(size_t kind) noexcept { return (kind + 2) * 8; }

    struct TClass {
        char* free = nullptr; // first slot given back; each holds the next
        char* next = nullptr; // next slot never used in the newest block
        char* end = nullptr;
    };
    struct TFreeBlock {
        void operator()(char* block) const noexcept;
    };
    std::array<TClass, kClasses> classes_{};
    std::vector<std::unique_ptr<char[], TFreeBlock>> blocks_;
    size_t used_ = 0;
};

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

    // Makes room for `rows` rows in each of the columns [0, cols), so that
    // writing them does not move the columns again.
    void Reserve(int cols, int rows);

    // Memory held by the store, in bytes.
    size_t MemoryBytes() const noexcept;

    // Calls visit(col, row, text) for every non-empty cell outside the
    // columns [0, cols) x rows [0, rows).
    template <typename Visit> void ForEachCellOutside(int cols, int rows, Visit visit) const {
        for (size_t c = 0; c < columns_.size(); ++c) {
            const size_t first =
                static_cast<int>(c) < cols ? static_cast<size_t>(std::max(rows, 0)) : 0;
            for (size_t r = first; r < columns_[c].size(); ++r)
                if (!columns_[c][r].Empty())
                    visit(static_cast<int>(c), static_cast<int>(r), columns_[c][r].View());
        }
    }

    void Swap(TCellStore& other) noexcept {
        slots_.Swap(other.slots_);
        columns_.swap(other.columns_);
    }

private:
    void Write(TCellText& cell, std::string_view text);
    void Empty(TCellText& cell) noexcept;

    TTextSlots slots_;
    std::vector<std::vector<TCellText>> columns_;
};

} // namespace xtq

#include "document/CellStore.h"

#include "core/HugePages.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace xtq {

char* TCellText::HeapPointer() const noexcept {
    char* pointer;
    std::memcpy(&pointer, bytes_, sizeof pointer);
    return pointer;
}

std::uint32_t TCellText::HeapSize() const noexcept {
    std::uint32_t size;
    std::memcpy(&size, bytes_ + 8, sizeof size);
    return size;
}

std::string_view TCellText::View() const noexcept {
    if (IsHeap() || InSlot()) return {HeapPointer(), HeapSize()};
    return {bytes_, static_cast<size_t>(static_cast<unsigned char>(bytes_[kTag]))};
}

void TCellText::Release() noexcept {
    if (IsHeap()) delete[] HeapPointer();
}

void TCellText::Take(TCellText& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[kTag] = 0;
}

void TCellText::ReferTo(char* slot, std::uint32_t size) noexcept {
    Release();
    std::memcpy(bytes_, &slot, sizeof slot);
    std::memcpy(bytes_ + 8, &size, sizeof size);
    bytes_[kTag] = static_cast<char>(kSlotTag);
}

void TCellText::Assign(std::string_view text) {
    if (text.size() <= kInline) {
        // The text may point into this very cell.
        char copy[kInline];
        std::memcpy(copy, text.data(), text.size());
        Release();
        std::memcpy(bytes_, copy, text.size());
        bytes_[kTag] = static_cast<char>(text.size());
        return;
    }
    if (text.size() > UINT32_MAX) throw std::length_error("cell text too long");
    char* pointer = new char[text.size()];
    std::memcpy(pointer, text.data(), text.size());
    Release();
    const auto size = static_cast<std::uint32_t>(text.size());
    std::memcpy(bytes_, &pointer, sizeof pointer);
    std::memcpy(bytes_ + 8, &size, sizeof size);
    bytes_[kTag] = static_cast<char>(kHeapTag);
}

char* TTextSlots::Take(size_t length) {
    TClass& kind = classes_[ClassOf(length)];
    char* slot = kind.free;
    if (slot != nullptr) {
        std::memcpy(&kind.free, slot, sizeof kind.free);
    } else {
        const size_t bytes = SlotBytes(ClassOf(length));
        if (kind.next == kind.end) {
            blocks_.emplace_back(
                static_cast<char*>(::operator new (kBlockBytes, std::align_val_t{kHugePageBytes})));
            AdviseHugePages(blocks_.back().get(), kBlockBytes);
            kind.next = blocks_.back().get();
            kind.end = kind.next + kBlockBytes / bytes * bytes;
        }
        slot = kind.next;
        kind.next += bytes;
    }
    ++used_;
    return slot;
}

void TTextSlots::TFreeBlock::operator()(char* block) const noexcept {
    ::operator delete (block, std::align_val_t{kHugePageBytes});
}

void TTextSlots::Give(char* slot, size_t length) noexcept {
    TClass& kind = classes_[ClassOf(length)];
    std::memcpy(slot, &kind.free, sizeof kind.free);
    kind.free = slot;
    --used_;
}

void TTextSlots::ReleaseIfUnused() noexcept {
    if (used_ != 0 || blocks_.empty()) return;
    classes_ = {};
    blocks_.clear();
    blocks_.shrink_to_fit();
}

void TCellStore::Write(TCellText& cell, std::string_view text) {
    char* old = cell.InSlot() ? cell.HeapPointer() : nullptr;
    const std::uint32_t oldSize = old != nullptr ? cell.HeapSize() : 0;
    // The text may be that of this very cell: it is copied before the old
    // slot is given back.
    if (text.size() > TCellText::kInline && text.size() <= TTextSlots::kLongest) {
        char* slot = slots_.Take(text.size());
        std::memcpy(slot, text.data(), text.size());
        cell.ReferTo(slot, static_cast<std::uint32_t>(text.size()));
    } else {
        cell.Assign(text);
    }
    if (old != nullptr) slots_.Give(old, oldSize);
}

void TCellStore::Empty(TCellText& cell) noexcept {
    if (cell.InSlot()) slots_.Give(cell.HeapPointer(), cell.HeapSize());
    cell.Clear();
}

bool TCellStore::Set(int col, int row, std::string_view text) {
    if (col < 0 || row < 0) throw std::out_of_range("cell position");
    const auto c = static_cast<size_t>(col);
    const auto r = static_cast<size_t>(row);
    if (c >= columns_.size() || r >= columns_[c].size()) {
        if (text.empty()) return false;
        if (c >= columns_.size()) columns_.resize(c + 1);
        auto& column = columns_[c];
        if (r >= column.capacity()) ReserveLarge(column, std::max(r + 1, 2 * column.capacity()));
        if (r == column.size()) {
            column.emplace_back(); // the next row, as a file is read
        } else {
            column.resize(r + 1);
        }
    }
    TCellText& cell = columns_[c][r];
    if (cell.View() == text) return false;
    Write(cell, text);
    return true;
}

void TCellStore::Reserve(int cols, int rows) {
    if (cols <= 0 || rows <= 0) return;
    if (columns_.size() < static_cast<size_t>(cols)) columns_.resize(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c)
        ReserveLarge(columns_[c], static_cast<size_t>(rows));
}

void TCellStore::Clear(int cols, int firstRow, int rows) {
    const size_t lastCol = std::min(columns_.size(), static_cast<size_t>(std::max(cols, 0)));
    for (size_t c = 0; c < lastCol; ++c) {
        auto& column = columns_[c];
        const size_t end = std::min(column.size(), static_cast<size_t>(std::max(rows, 0)));
        for (size_t r = static_cast<size_t>(std::max(firstRow, 0)); r < end; ++r)
            Empty(column[r]);
        while (!column.empty() && column.back().Empty())
            column.pop_back();
        if (column.capacity() > 2 * column.size() + 1024) column.shrink_to_fit();
    }
    slots_.ReleaseIfUnused();
}

void TCellStore::MoveRow(int from, int to) {
    if (from == to) return;
    const auto low = static_cast<size_t>(std::min(from, to));
    const auto high = static_cast<size_t>(std::max(from, to));
    for (auto& column : columns_) {
        if (column.size() <= low) continue;
        if (column.size() <= high) column.resize(high + 1);
        if (from < to) {
            std::rotate(column.begin() + low, column.begin() + low + 1, column.begin() + high + 1);
        } else {
            std::rotate(column.begin() + low, column.begin() + high, column.begin() + high + 1);
        }
    }
}

void TCellStore::MoveColumn(int from, int to) {
    if (from == to) return;
    const auto low = static_cast<size_t>(std::min(from, to));
    const auto high = static_cast<size_t>(std::max(from, to));
    if (columns_.size() <= low) return;
    if (columns_.size() <= high) columns_.resize(high + 1);
    if (from < to) {
        std::rotate(columns_.begin() + low, columns_.begin() + low + 1,
                    columns_.begin() + high + 1);
    } else {
        std::rotate(columns_.begin() + low, columns_.begin() + high, columns_.begin() + high + 1);
    }
}

size_t TCellStore::MemoryBytes() const noexcept {
    size_t bytes = slots_.MemoryBytes() + columns_.capacity() * sizeof(std::vector<TCellText>);
    for (const auto& column : columns_) {
        bytes += column.capacity() * sizeof(TCellText);
        for (const TCellText& cell : column)
            bytes += cell.HeapBytes();
    }
    return bytes;
}

} // namespace xtq

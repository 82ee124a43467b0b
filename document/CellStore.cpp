#include "document/CellStore.h"

#include <algorithm>
#include <cstring>
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
    if (IsHeap()) return {HeapPointer(), HeapSize()};
    return {bytes_, static_cast<size_t>(static_cast<unsigned char>(bytes_[kTag]))};
}

void TCellText::Release() noexcept {
    if (IsHeap()) delete[] HeapPointer();
}

void TCellText::Take(TCellText& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[kTag] = 0;
}

void TCellText::Assign(std::string_view text) {
    if (text.size() < kTag) {
        // The text may point into this very cell.
        char copy[kTag];
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

bool TCellStore::Set(int col, int row, std::string_view text) {
    if (col < 0 || row < 0) throw std::out_of_range("cell position");
    const auto c = static_cast<size_t>(col);
    const auto r = static_cast<size_t>(row);
    if (c >= columns_.size() || r >= columns_[c].size()) {
        if (text.empty()) return false;
        if (c >= columns_.size()) columns_.resize(c + 1);
        columns_[c].resize(r + 1);
    }
    TCellText& cell = columns_[c][r];
    if (cell.View() == text) return false;
    cell.Assign(text);
    return true;
}

void TCellStore::Clear(int cols, int firstRow, int rows) {
    const size_t lastCol = std::min(columns_.size(), static_cast<size_t>(std::max(cols, 0)));
    for (size_t c = 0; c < lastCol; ++c) {
        auto& column = columns_[c];
        const size_t end = std::min(column.size(), static_cast<size_t>(std::max(rows, 0)));
        for (size_t r = static_cast<size_t>(std::max(firstRow, 0)); r < end; ++r)
            column[r].Clear();
        while (!column.empty() && column.back().Empty())
            column.pop_back();
        if (column.capacity() > 2 * column.size() + 1024) column.shrink_to_fit();
    }
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
    size_t bytes = columns_.capacity() * sizeof(std::vector<TCellText>);
    for (const auto& column : columns_) {
        bytes += column.capacity() * sizeof(TCellText);
        for (const TCellText& cell : column)
            bytes += cell.HeapBytes();
    }
    return bytes;
}

} // namespace xtq

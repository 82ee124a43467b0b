#include "storage/DocumentFile.h"

#include "core/IntegerText.h"
#include "storage/GbkCodec.h"
#include "storage/TextFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace xtq {
namespace {

// True when every byte is below 0x80; eight bytes at a time.
bool IsAscii(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size();
    std::uint64_t bits = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        bits |= word;
    }
    for (; n > 0; ++p, --n)
        bits |= static_cast<unsigned char>(*p);
    return (bits & 0x8080808080808080ull) == 0;
}

class TDocumentReader {
public:
    explicit TDocumentReader(const std::string& path) : lines_(path) {}

    // The next line decoded, or false at the end of the file.
    bool Next(std::string_view& text) {
        std::string_view raw;
        if (!lines_.ReadLine(raw)) return false;
        if (IsAscii(raw)) {
            text = raw; // the same in GBK and UTF-8
        } else {
            GbkToUtf8(raw, decoded_);
            text = decoded_;
        }
        return true;
    }

    std::uint64_t Offset() const { return lines_.Offset(); }
    std::uint64_t Size() const { return lines_.Size(); }

    std::string_view NextOrEmpty() {
        std::string_view text;
        return Next(text) ? text : std::string_view();
    }

    int NextInteger() { return StrToInt(NextOrEmpty()); }

private:
    TLineReader lines_;
    std::string decoded_;
};

const char* ItemName(TDocumentLine line) {
    switch (line) {
    case TDocumentLine::LeftName:
        return "回归公式的左边";
    case TDocumentLine::RightSide:
        return "回归公式";
    case TDocumentLine::DisplayedFormula:
        return "显示的公式";
    case TDocumentLine::DataPointCount:
        return "数据点数";
    case TDocumentLine::VariableCount:
        return "独立变量数";
    case TDocumentLine::Correlation:
        return "相关系数";
    case TDocumentLine::MaximumError:
        return "最大误差";
    case TDocumentLine::MeanError:
        return "平均误差";
    case TDocumentLine::Coefficients:
        return "回归系数";
    case TDocumentLine::Result:
        return "回归结果";
    }
    return "";
}

class TDocumentWriter {
public:
    explicit TDocumentWriter(const std::string& path) : file_(path) {}

    // Writes one item as one line; `where` names the item for an encoding error.
    template <typename Where> void Line(std::string_view text, Where where) {
        if (IsPlain(text)) {
            Append(text);
        } else {
            std::string single = WithoutLineBreaks(text);
            try {
                Append(Utf8ToGbk(single));
            } catch (const EEncodingError& e) {
                throw EEncodingError(where() + "：" + e.message());
            }
        }
        Append("\r\n");
    }

    void Number(long long value) {
        Append(IntToStr(value));
        Append("\r\n");
    }

    void Commit() {
        Drain();
        file_.Commit();
    }

private:
    // Lines are gathered here and handed to the file a chunk at a time.
    static constexpr size_t kChunkBytes = 64 * 1024;

    void Append(std::string_view bytes) {
        if (bytes.empty()) return; // an empty view may have no data at all
        if (used_ + bytes.size() > kChunkBytes) {
            Drain();
            if (bytes.size() > kChunkBytes) {
                file_.Write(bytes);
                return;
            }
        }
        std::memcpy(chunk_.data() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }

    void Drain() {
        file_.Write(std::string_view(chunk_.data(), used_));
        used_ = 0;
    }

    // ASCII without line feeds is written as it is; eight bytes at a time.
    static bool IsPlain(std::string_view text) {
        const char* p = text.data();
        size_t n = text.size();
        for (; n >= 8; p += 8, n -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            // A byte of 0x80 or more, or a byte equal to LF (zero after the xor).
            const std::uint64_t lf = word ^ 0x0A0A0A0A0A0A0A0Aull;
            if (((word | ((lf - 0x0101010101010101ull) & ~lf)) & 0x8080808080808080ull) != 0)
                return false;
        }
        for (; n > 0; ++p, --n)
            if (static_cast<unsigned char>(*p) >= 0x80 || *p == '\n') return false;
        return true;
    }

    static std::string WithoutLineBreaks(std::string_view text) {
        std::string out;
        out.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') continue;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            out += text[i];
        }
        return out;
    }

    TSafeFileWriter file_;
    std::array<char, kChunkBytes> chunk_;
    size_t used_ = 0;
};

} // namespace

void ReadDocumentFile(const std::string& path, TDocumentFileSink& sink) {
    TDocumentReader file(path);
    for (int line = 1; line <= 10; ++line)
        sink.ReadText(static_cast<TDocumentLine>(line), file.NextOrEmpty());

    sink.ClearAliases();
    const int aliasRows = file.NextInteger();
    file.NextInteger(); // line 12 is converted and dropped
    std::string key;
    for (int pair = 1; pair < aliasRows; ++pair) {
        std::string_view text;
        if (!file.Next(text)) break;
        key.assign(text);
        sink.ReadAlias(key, file.NextOrEmpty());
    }

    const int rows = file.NextInteger();
    sink.ReadRowCount(rows);
    const int cols = file.NextInteger();
    sink.ReadColCount(cols);
    if (rows < 2 || cols < 2) return;
    const std::uint64_t size = file.Size();
    sink.ReadPosition(file.Offset(), size);
    int untilPosition = kPositionLines;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            std::string_view text;
            if (!file.Next(text)) return;
            sink.ReadCell(col, row, text);
        }
        untilPosition -= cols;
        if (untilPosition <= 0) {
            sink.ReadPosition(file.Offset(), size);
            untilPosition = kPositionLines;
        }
    }
}

void WriteDocumentFile(const std::string& path, const TDocumentFileSource& source) {
    TDocumentWriter file(path);
    for (int line = 1; line <= 10; ++line) {
        const auto item = static_cast<TDocumentLine>(line);
        file.Line(source.Text(item), [&] { return std::string(ItemName(item)); });
    }
    const int aliases = source.AliasCount();
    file.Number(static_cast<long long>(aliases) + 1);
    file.Number(2);
    for (int i = 0; i < aliases; ++i) {
        const auto where = [&] { return "变量别名第" + IntToStr(i + 1) + "行"; };
        file.Line(source.AliasKey(i), where);
        file.Line(source.AliasValue(i), where);
    }
    const int rows = source.RowCount();
    const int cols = source.ColCount();
    file.Number(rows);
    file.Number(cols);
    source.WritePosition(0, rows);
    int untilPosition = kPositionLines;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col)
            file.Line(source.Cell(col, row),
                      [&] { return "数据表格第" + IntToStr(row) + "行第" + IntToStr(col) + "列"; });
        untilPosition -= std::max(cols, 1);
        if (untilPosition <= 0) {
            source.WritePosition(row + 1, rows);
            untilPosition = kPositionLines;
        }
    }
    file.Commit();
}

} // namespace xtq

#include "storage/FormulaLibraryFile.h"

#include "core/IntegerText.h"
#include "storage/GbkCodec.h"
#include "storage/InOutError.h"
#include "storage/TextFile.h"

#include <cstring>

namespace xtq {

namespace {

std::string FieldDefLine(const TLibraryFileField& def) {
    std::string line = std::string("field ") + def.Name + " " + (def.Integer ? "int32" : "string");
    if (!def.Integer) line += " " + std::to_string(def.Size);
    return line;
}

char HexDigit(int value) {
    return "0123456789ABCDEF"[value & 15];
}

// The text between double quotes, with the quote, the backslash and every
// control character escaped, so a value never breaks its line.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\x";
                out += HexDigit(byte >> 4);
                out += HexDigit(byte);
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

[[noreturn]] void Fail(size_t line, const std::string& what) {
    throw ELibraryFormat("Line " + std::to_string(line) + ": " + what);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads the values of one record line, each preceded by one blank.
class RecordReader {
public:
    RecordReader(std::string_view text, size_t line) : text_(text), line_(line) {}

    std::string String(const TLibraryFileField& def) {
        Separator(def);
        if (pos_ >= text_.size() || text_[pos_] != '"') {
            Fail(line_, std::string("the value of ") + def.Name + " must be a quoted text");
        }
        ++pos_;
        std::string value;
        for (;;) {
            if (pos_ >= text_.size()) {
                Fail(line_, std::string("the text of ") + def.Name + " has no closing quote");
            }
            const char c = text_[pos_++];
            if (c == '"') break;
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                Fail(line_, std::string("control character inside the text of ") + def.Name);
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                Fail(line_, std::string("the text of ") + def.Name + " has no closing quote");
            }
            const char e = text_[pos_++];
            switch (e) {
            case '"':
            case '\\':
                value += e;
                break;
            case 'r':
                value += '\r';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'x': {
                const int high = pos_ < text_.size() ? HexValue(text_[pos_]) : -1;
                const int low = pos_ + 1 < text_.size() ? HexValue(text_[pos_ + 1]) : -1;
                if (high < 0 || low < 0) {
                    Fail(line_, std::string("bad \\x escape in the text of ") + def.Name);
                }
                value += static_cast<char>(high * 16 + low);
                pos_ += 2;
                break;
            }
            default:
                Fail(line_, std::string("unknown escape \\") + e + " in the text of " + def.Name);
            }
        }
        if (GbkByteLength(value) > static_cast<size_t>(def.Size)) {
            Fail(line_, std::string("the text of ") + def.Name + " is longer than " +
                            std::to_string(def.Size) + " bytes");
        }
        return value;
    }

    std::optional<std::int32_t> Integer(const TLibraryFileField& def) {
        Separator(def);
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ' ')
            ++pos_;
        const std::string_view word = text_.substr(start, pos_ - start);
        if (word == "null") return std::nullopt;
        // Digits only, with an optional minus: no blanks, no plus sign.
        int value = 0;
        if (word.empty() || word.front() == '+' || !TryStrToInt(word, value)) {
            Fail(line_, std::string("the value of ") + def.Name +
                            " must be a 32-bit integer or null, not \"" + std::string(word) + "\"");
        }
        return static_cast<std::int32_t>(value);
    }

    void End() const {
        if (pos_ != text_.size()) Fail(line_, "unexpected text after the last value");
    }

private:
    void Separator(const TLibraryFileField& def) {
        if (pos_ >= text_.size())
            Fail(line_, std::string("the value of ") + def.Name + " is missing");
        if (text_[pos_] != ' ') Fail(line_, std::string("expected a blank before ") + def.Name);
        ++pos_;
    }

    std::string_view text_;
    size_t line_;
    size_t pos_ = 0;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::vector<std::string> FormatLibraryLines(const std::vector<TLibraryFileRecord>& records) {
    std::vector<std::string> lines;
    lines.reserve(records.size() + 10);
    auto line = [&lines](std::string_view text) { lines.push_back(Utf8ToGbk(text)); };
    line(std::string(kLibraryFormatMagic) + " " + std::to_string(kLibraryFormatVersion));
    line(std::string("table ") + kLibraryTableName);
    for (const TLibraryFileField& def : kLibraryFileFields)
        line(FieldDefLine(def));
    line("records " + std::to_string(records.size()));
    for (const TLibraryFileRecord& record : records) {
        std::string text = "record";
        for (const std::string* value : {&record.TemNo, &record.TemFx, &record.TemFormula}) {
            text += ' ';
            text += Quoted(*value);
        }
        text += ' ';
        text += record.TemVn ? std::to_string(*record.TemVn) : "null";
        text += ' ';
        text += Quoted(record.TemAlias);
        line(text);
    }
    line("end");
    return lines;
}

void TLibraryFileParser::Line(std::string_view gbkLine) {
    ++line_;
    // A line break never falls inside a GBK character, so each line decodes alone.
    const std::string text = GbkToUtf8(gbkLine);
    switch (expect_) {
    case Expect::Header: {
        const std::string magic = std::string(kLibraryFormatMagic) + " ";
        if (!StartsWith(text, magic)) throw ELibraryFormat("Not a formula library file");
        const std::string_view version = std::string_view(text).substr(magic.size());
        if (version != std::to_string(kLibraryFormatVersion)) {
            throw ELibraryFormat("Unknown version \"" + std::string(version) +
                                 "\" of the formula library format (this program reads version " +
                                 std::to_string(kLibraryFormatVersion) + ")");
        }
        expect_ = Expect::Table;
        return;
    }
    case Expect::Table:
        if (text != std::string("table ") + kLibraryTableName) {
            Fail(line_, std::string("expected \"table ") + kLibraryTableName + "\"");
        }
        expect_ = Expect::Field;
        return;
    case Expect::Field: {
        const std::string expected = FieldDefLine(kLibraryFileFields[static_cast<size_t>(field_)]);
        if (text != expected) {
            Fail(line_, "the field definitions differ from those of the table: expected \"" +
                            expected + "\"");
        }
        if (++field_ == kLibraryFileFieldCount) expect_ = Expect::Count;
        return;
    }
    case Expect::Count: {
        constexpr std::string_view kRecords = "records ";
        int count = 0;
        const bool valid = StartsWith(text, kRecords) && [&] {
            const std::string_view digits = std::string_view(text).substr(kRecords.size());
            return !digits.empty() && digits.front() >= '0' && digits.front() <= '9' &&
                   TryStrToInt(digits, count);
        }();
        if (!valid) Fail(line_, "expected \"records\" and the number of records");
        count_ = count;
        expect_ = count_ == 0 ? Expect::End : Expect::Record;
        return;
    }
    case Expect::Record: {
        constexpr std::string_view kRecord = "record";
        if (!StartsWith(text, kRecord)) {
            Fail(line_, "expected record " + std::to_string(records_.size() + 1) + " of " +
                            std::to_string(count_));
        }
        RecordReader reader(std::string_view(text).substr(kRecord.size()), line_);
        TLibraryFileRecord record;
        record.TemNo = reader.String(kLibraryFileFields[0]);
        record.TemFx = reader.String(kLibraryFileFields[1]);
        record.TemFormula = reader.String(kLibraryFileFields[2]);
        record.TemVn = reader.Integer(kLibraryFileFields[3]);
        record.TemAlias = reader.String(kLibraryFileFields[4]);
        reader.End();
        records_.push_back(std::move(record));
        if (static_cast<std::int64_t>(records_.size()) == count_) expect_ = Expect::End;
        return;
    }
    case Expect::End:
        if (text != "end") Fail(line_, "expected \"end\" after the last record");
        expect_ = Expect::Trailer;
        return;
    case Expect::Trailer:
        // Empty lines after the end are harmless (an editor may leave one).
        if (!text.empty()) Fail(line_, "unexpected text after \"end\"");
        return;
    }
}

std::vector<TLibraryFileRecord> TLibraryFileParser::Finish() {
    switch (expect_) {
    case Expect::Header:
        throw ELibraryFormat("The file is empty");
    case Expect::Trailer:
        return std::move(records_);
    case Expect::Record:
        throw ELibraryFormat("The file ends early, after " + std::to_string(records_.size()) +
                             " of " + std::to_string(count_) + " records");
    case Expect::End:
        throw ELibraryFormat("The file ends early: \"end\" is missing");
    case Expect::Table:
    case Expect::Field:
    case Expect::Count:
        break;
    }
    throw ELibraryFormat("The file ends early, after line " + std::to_string(line_));
}

std::string SystemReason(int error) {
    const char* text = strerrordesc_np(error);
    return text != nullptr ? text : "Unknown error " + std::to_string(error);
}

std::vector<TLibraryFileRecord> ReadLibraryFile(const std::string& path) {
    try {
        TLineReader reader(path);
        TLibraryFileParser parser;
        std::string_view line;
        while (reader.ReadLine(line))
            parser.Line(line);
        return parser.Finish();
    } catch (const EInOutError& error) {
        throw EFOpenError("Cannot open file \"" + path + "\". " + SystemReason(error.ErrorCode()));
    } catch (const ELibraryFormat& error) {
        throw EDBClient("Cannot open file \"" + path + "\". " + error.what());
    }
}

void WriteLibraryFile(const std::string& path, const std::vector<TLibraryFileRecord>& records) {
    const std::vector<std::string> lines = FormatLibraryLines(records);
    try {
        TSafeFileWriter writer(path);
        for (const std::string& line : lines) {
            writer.Write(line);
            writer.Write("\r\n");
        }
        writer.Commit();
    } catch (const EInOutError& error) {
        throw EFCreateError("Cannot create file \"" + path + "\". " +
                            SystemReason(error.ErrorCode()));
    }
}

} // namespace xtq

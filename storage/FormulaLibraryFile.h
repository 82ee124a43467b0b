#pragma once
// The library file CDSTem.cds: a small, versioned, line-based text in GBK
// that carries the field definitions of the table CDSTem and every record.
// The format is described in docs/formula-library-format.md.

#include "core/Exception.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xtq {

// What is wrong with a library file's contents, for instance
// "Line 9: the value of TemAlias is missing".
XTQ_DECLARE_ERROR(ELibraryFormat, Exception);
// A library file whose contents cannot be loaded (damaged, truncated, of an
// unknown version, not a library file, or records the table refuses):
// "Cannot open file "%s". %s" with the path and what is wrong.
XTQ_DECLARE_ERROR(EDBClient, Exception);
// The library file cannot be opened: "Cannot open file "%s". %s" with the
// path and the system's reason.
XTQ_DECLARE_ERROR(EFOpenError, Exception);
// The library file cannot be written: "Cannot create file "%s". %s".
XTQ_DECLARE_ERROR(EFCreateError, Exception);

inline constexpr const char* kLibraryFileName = "CDSTem.cds";
inline constexpr const char* kLibraryTableName = "CDSTem";
inline constexpr const char* kLibraryFormatMagic = "XTQ-CDS";
inline constexpr int kLibraryFormatVersion = 1;

// One record as the file holds it, UTF-8 texts; TemVn is empty when unset.
struct TLibraryFileRecord {
    std::string TemNo;
    std::string TemFx;
    std::string TemFormula;
    std::optional<std::int32_t> TemVn;
    std::string TemAlias;
    bool operator==(const TLibraryFileRecord&) const = default;
};

// The field definitions the file carries, in field order: the name, whether
// the field is a 32-bit integer, and a text field's width in GBK bytes.
struct TLibraryFileField {
    const char* Name;
    bool Integer;
    int Size;
};
inline constexpr int kLibraryFileFieldCount = 5;
inline constexpr std::array<TLibraryFileField, kLibraryFileFieldCount> kLibraryFileFields{{
    {"TemNo", false, 6},
    {"TemFx", false, 6},
    {"TemFormula", false, 1024},
    {"TemVn", true, 4},
    {"TemAlias", false, 120},
}};

// The lines of the file for these records, in their order, each line without
// its line break (the file ends every line with CR LF). GBK bytes.
std::vector<std::string> FormatLibraryLines(const std::vector<TLibraryFileRecord>& records);

// Reads a library file line by line (GBK bytes, without the line breaks) and
// stops at the first line that is wrong, so a file that is not ours is
// refused at its first line. Raises ELibraryFormat for anything but a
// complete file of this version whose field definitions are CDSTem's and
// whose values fit their fields.
class TLibraryFileParser {
public:
    void Line(std::string_view gbkLine);
    // The records in file order, once every line was given.
    std::vector<TLibraryFileRecord> Finish();

private:
    enum class Expect { Header, Table, Field, Count, Record, End, Trailer };
    Expect expect_ = Expect::Header;
    size_t line_ = 0;
    int field_ = 0;
    std::int64_t count_ = 0;
    std::vector<TLibraryFileRecord> records_;
};

// The records of the file, in file order. Raises EFOpenError when the file
// cannot be read, EDBClient when its contents are not a library this
// program reads.
std::vector<TLibraryFileRecord> ReadLibraryFile(const std::string& path);

// Writes the records, replacing the file only once the new contents are on
// the disk; raises EFCreateError (the old file untouched) on a failure. Every
// text must be one that GBK holds.
void WriteLibraryFile(const std::string& path, const std::vector<TLibraryFileRecord>& records);

// The system's reason for a failure, in English whatever the locale.
std::string SystemReason(int error);

} // namespace xtq

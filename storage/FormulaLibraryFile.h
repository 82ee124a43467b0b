#pragma once
// The bytes of the library file CDSTem.cds: a small, versioned, line-based
// text in GBK that carries the field definitions of CDSTem and every record.
// The format is described in docs/formula-library-format.md.

#include "formula/Exception.h"
#include "storage/FormulaLibrary.h"

#include <string>
#include <string_view>
#include <vector>

namespace xtq {

// What is wrong with a library file's contents, for instance
// "Line 9: the value of TemAlias is missing". The table wraps it into EDBClient.
XTQ_DECLARE_ERROR(ELibraryFormat, Exception);

inline constexpr const char* kLibraryFormatMagic = "XTQ-CDS";
inline constexpr int kLibraryFormatVersion = 1;

// The lines of the file for these records, in their order, each line without
// its line break (the file ends every line with CR LF). GBK bytes.
std::vector<std::string> FormatLibraryLines(const std::vector<TFormulaRecord>& records);

// Reads a library file line by line (GBK bytes, without the line breaks) and
// stops at the first line that is wrong, so a file that is not ours is
// refused at its first line. Raises ELibraryFormat for anything but a
// complete file of this version whose field definitions are CDSTem's and
// whose values fit their fields.
class TLibraryFileParser {
public:
    void Line(std::string_view gbkLine);
    // The records in file order, once every line was given.
    std::vector<TFormulaRecord> Finish();

private:
    enum class Expect { Header, Table, Field, Count, Record, End, Trailer };
    Expect expect_ = Expect::Header;
    size_t line_ = 0;
    int field_ = 0;
    std::int64_t count_ = 0;
    std::vector<TFormulaRecord> records_;
};

} // namespace xtq

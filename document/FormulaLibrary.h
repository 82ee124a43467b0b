#pragma once
// The formula library: the in-memory table CDSTem of predefined regression
// formulas, with a current record that is browsed and edited the way a
// data-bound grid and its navigator do it, loaded from and saved to the
// library file CDSTem.cds as a whole (format: docs/formula-library-format.md).
//
// Texts are UTF-8 inside the program; field widths count GBK bytes.

#include "core/Exception.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xtq {

// Errors of the table: an operation that its state does not allow, a field
// value that is refused.
XTQ_DECLARE_ERROR(EDatabaseError, Exception);
// The question the window asks before Delete; it deletes only on OK.
inline constexpr const char* kDeleteRecordPrompt = "Delete record?";
// The status message when Select formula or Save formula library finds the table
// closed because loading failed at start-up. Nothing else happens then.
inline constexpr const char* kLibraryClosedSelectMessage = "公式库未能载入，无法选择公式。";
inline constexpr const char* kLibraryClosedSaveMessage = "公式库未能载入，不能保存公式库。";
// The status message when Select formula finds the table empty.
inline constexpr const char* kLibraryEmptySelectMessage = "公式库中没有公式可供选择。";

// The five fields, in their column order.
enum class TLibraryField { TemNo, TemFx, TemFormula, TemVn, TemAlias };
inline constexpr int kLibraryFieldCount = 5;

enum class TFieldType { String, Integer };

struct TFieldDef {
    const char* FieldName;
    TFieldType DataType;
    int Size;                 // string fields: at most this many GBK bytes; integers: 4 bytes
    const char* DisplayLabel; // the grid's column title
    int DisplayWidth;         // grid column width in pixels; 0: fitted to the field
};

const std::array<TFieldDef, kLibraryFieldCount>& LibraryFieldDefs();
const TFieldDef& LibraryFieldDef(TLibraryField field);

struct TFormulaRecord {
    std::string TemNo;                 // sequence number, the order of the table (compared as text)
    std::string TemFx;                 // left-side name
    std::string TemFormula;            // right side
    std::optional<std::int32_t> TemVn; // number of independent variables; empty when unset
    std::string TemAlias;              // the aliases, decoded by DecodeAliases
    bool operator==(const TFormulaRecord&) const = default;
};

// A field as the grid shows it: the text, or TemVn in decimal (empty when unset).
std::string RecordFieldText(const TFormulaRecord& record, TLibraryField field);

// What Select formula copies into the formula definition from a record.
struct TFormulaSelection {
    std::string LeftName;      // TemFx
    std::string RightSide;     // TemFormula
    std::string VariableCount; // TemVn in decimal, empty when unset
    std::string AliasText;     // TemAlias: empty the alias list, then AppendDecodedAliases
};
TFormulaSelection SelectionOf(const TFormulaRecord& record);

// The order of TemNo: the GBK bytes compared one by one as unsigned values,
// so digits come before capital letters, capital before small letters and
// Chinese characters last, among themselves by their GBK code (the common ones
// by pinyin). "1" < "10" < "2".
bool TemNoLess(std::string_view a, std::string_view b);

// The largest prefix of the text (whole characters) that fits into the field:
// what the grid's editor lets the user type. TemVn is returned unchanged.
std::string FitFieldWidth(TLibraryField field, std::string_view text);

enum class TDataSetState { Inactive, Browse, Edit, Insert };

class TFormulaLibrary {
public:
    TFormulaLibrary() = default;

    // ---- Opening and the library file ----

    // Opens the table with these records, in TemNo order; the first is current.
    // Raises EDatabaseError for a record that breaks a field's width or holds
    // a character that GBK cannot hold; the table is then closed.
    void Open(std::vector<TFormulaRecord> records);
    void Close();
    bool Active() const { return state_ != TDataSetState::Inactive; }

    // Loads the whole table from the file and opens it. On any failure the
    // table is closed and holds nothing: EFOpenError when the file cannot be
    // read, EDBClient when its contents are not a library this program reads
    // or hold records the table refuses (the classes of the library file).
    void LoadFromFile(const std::string& path);

    // Save formula library: stores a pending edit first (CheckBrowseMode),
    // then writes every record to the file, replacing it atomically; on a
    // failure (EFCreateError) the old file is untouched. The records in memory
    // do not change. Raises EDatabaseError when the table is closed.
    void SaveToFile(const std::string& path);

    // ---- Browsing ----

    // Rows shown, an inserted record not yet posted included. 0 when closed.
    int RecordCount() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    // Index of the current row (0-based); -1 when the table is closed or empty.
    int RecNo() const;
    // A row as shown: the current row while it is edited shows the edited values.
    const TFormulaRecord& Record(int index) const;
    // The current row as shown. Raises EDatabaseError when there is none.
    const TFormulaRecord& CurrentRecord() const;
    std::string FieldText(TLibraryField field) const;

    // Moving to another row stores a pending edit first (CheckBrowseMode) and
    // then makes current the row that was shown at the target index, wherever
    // storing moved it. Out-of-range targets are clamped to the first or last
    // row; staying on the current row stores nothing. The grid appends a
    // record itself (Append) when the user moves below the last row.
    void First();
    void Prior();
    void Next();
    void Last();
    void MoveTo(int index);

    // ---- Editing the current record ----

    TDataSetState State() const { return state_; }
    // True once a field of the record being edited or inserted was set.
    bool Modified() const { return modified_; }

    // A new empty record in front of the current one (at the top when empty).
    void Insert();
    // A new empty record after the last one.
    void Append();
    // Starts editing the current record; on an empty table it inserts instead.
    // Nothing happens while a record is already edited or inserted.
    void Edit();
    // Sets a field of the record being edited or inserted; in browse state it
    // starts editing first, as typing into the grid does. Strings longer than
    // the field are cut to FitFieldWidth; a character GBK cannot hold raises
    // EEncodingError. TemVn takes a decimal integer or the empty text (unset);
    // anything else raises EDatabaseError "'%s' is not a valid integer value
    // for field '独立变量数'" and leaves the field as it was.
    void SetFieldText(TLibraryField field, std::string_view text);
    void SetTemVn(std::optional<std::int32_t> value);
    // Stores the edited or inserted record in the table at its place in the
    // TemNo order; it stays current. Nothing happens in browse state.
    void Post();
    // Undoes the edit, or drops the inserted record. Nothing happens in
    // browse state.
    void Cancel();
    // Posts a modified record and cancels an unmodified one (an appended
    // record left unchanged is dropped again).
    void CheckBrowseMode();
    // Deletes the current record (an inserted one is cancelled); the record
    // after it becomes current, or the new last one. The caller asks
    // kDeleteRecordPrompt first. Raises EDatabaseError on an empty table.
    void Delete();
    // The navigator's refresh: the table has no source but its file, which is
    // read only at start-up, so nothing is reloaded and no change is lost; a
    // pending edit stays as it is.
    void Refresh();

private:
    struct Row {
        TFormulaRecord record;
        std::string key;  // TemNo in GBK, the sort key
        std::uint64_t id; // identity of the row while rows move
    };

    void CheckActive() const;
    void CheckEditing() const;
    void PostRecord();
    size_t SortedPosition(const std::string& key) const;

    std::vector<Row> rows_;
    TDataSetState state_ = TDataSetState::Inactive;
    int current_ = -1;
    // While editing or inserting: the record as edited.
    TFormulaRecord buffer_;
    bool modified_ = false;
    // While inserting: the position of the new row among rows_ as shown.
    int insertIndex_ = -1;
    std::uint64_t nextId_ = 1;
};

} // namespace xtq

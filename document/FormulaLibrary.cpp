#include "document/FormulaLibrary.h"

#include "core/IntegerText.h"
#include "core/Utf8Text.h"
#include "storage/FormulaLibraryFile.h"
#include "storage/GbkCodec.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace xtq {

namespace {

// The fields as the file defines them, with the grid's titles and widths.
constexpr TFieldDef Def(int index, const char* label, int width) {
    const TLibraryFileField& field = kLibraryFileFields[static_cast<size_t>(index)];
    return {field.Name, field.Integer ? TFieldType::Integer : TFieldType::String, field.Size, label,
            width};
}
constexpr std::array<TFieldDef, kLibraryFieldCount> kFieldDefs{{
    Def(0, "序号", 0),
    Def(1, "公式左边", 60),
    Def(2, "公式", 500),
    Def(3, "独立变量数", 70),
    Def(4, "变量别名", 200),
}};
static_assert(kLibraryFieldCount == kLibraryFileFieldCount);

TLibraryFileRecord FileRecord(const TFormulaRecord& r) {
    return {r.TemNo, r.TemFx, r.TemFormula, r.TemVn, r.TemAlias};
}

TFormulaRecord TableRecord(TLibraryFileRecord& r) {
    return {std::move(r.TemNo), std::move(r.TemFx), std::move(r.TemFormula), r.TemVn,
            std::move(r.TemAlias)};
}

const std::string& StringField(const TFormulaRecord& record, TLibraryField field) {
    switch (field) {
    case TLibraryField::TemNo:
        return record.TemNo;
    case TLibraryField::TemFx:
        return record.TemFx;
    case TLibraryField::TemFormula:
        return record.TemFormula;
    case TLibraryField::TemAlias:
    case TLibraryField::TemVn:
        break;
    }
    return record.TemAlias;
}

std::string& StringField(TFormulaRecord& record, TLibraryField field) {
    return const_cast<std::string&>(StringField(std::as_const(record), field));
}

// TemNo as the bytes that order the table. Every text the table holds can be
// written in GBK; should one not be, its UTF-8 bytes order it.
std::string SortKey(std::string_view temNo) {
    try {
        return Utf8ToGbk(temNo);
    } catch (const EEncodingError&) {
        return std::string(temNo);
    }
}

bool BytesLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

// Raises EDatabaseError when a string field of the record does not fit or
// cannot be written in GBK.
void CheckRecord(const TFormulaRecord& record) {
    for (int i = 0; i < kLibraryFieldCount; ++i) {
        const auto field = static_cast<TLibraryField>(i);
        const TFieldDef& def = LibraryFieldDef(field);
        if (def.DataType != TFieldType::String) continue;
        const std::string& text = StringField(record, field);
        try {
            Utf8ToGbk(text);
        } catch (const EEncodingError& error) {
            throw EDatabaseError(std::string("Field '") + def.DisplayLabel + "': " + error.what());
        }
        if (GbkByteLength(text) > static_cast<size_t>(def.Size)) {
            throw EDatabaseError(std::string("Field '") + def.DisplayLabel + "' is longer than " +
                                 std::to_string(def.Size) + " bytes");
        }
    }
}

} // namespace

const std::array<TFieldDef, kLibraryFieldCount>& LibraryFieldDefs() {
    return kFieldDefs;
}

const TFieldDef& LibraryFieldDef(TLibraryField field) {
    return kFieldDefs[static_cast<size_t>(field)];
}

std::string RecordFieldText(const TFormulaRecord& record, TLibraryField field) {
    if (field == TLibraryField::TemVn) return record.TemVn ? std::to_string(*record.TemVn) : "";
    return StringField(record, field);
}

TFormulaSelection SelectionOf(const TFormulaRecord& record) {
    return {record.TemFx, record.TemFormula, RecordFieldText(record, TLibraryField::TemVn),
            record.TemAlias};
}

bool TemNoLess(std::string_view a, std::string_view b) {
    return BytesLess(SortKey(a), SortKey(b));
}

std::string FitFieldWidth(TLibraryField field, std::string_view text) {
    const TFieldDef& def = LibraryFieldDef(field);
    if (def.DataType != TFieldType::String) return std::string(text);
    size_t bytes = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t length = Utf8CharLength(text, pos);
        bytes += GbkByteLength(text.substr(pos, length));
        if (bytes > static_cast<size_t>(def.Size)) break;
        pos += length;
    }
    return std::string(text.substr(0, pos));
}

// ---- Opening and the library file ----

void TFormulaLibrary::Open(std::vector<TFormulaRecord> records) {
    Close();
    std::vector<Row> rows;
    rows.reserve(records.size());
    for (TFormulaRecord& record : records) {
        CheckRecord(record);
        std::string key = SortKey(record.TemNo);
        rows.push_back({std::move(record), std::move(key), nextId_++});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return BytesLess(a.key, b.key); });
    rows_ = std::move(rows);
    state_ = TDataSetState::Browse;
    current_ = rows_.empty() ? -1 : 0;
}

void TFormulaLibrary::Close() {
    rows_.clear();
    state_ = TDataSetState::Inactive;
    current_ = -1;
    buffer_ = {};
    modified_ = false;
    insertIndex_ = -1;
}

void TFormulaLibrary::LoadFromFile(const std::string& path) {
    Close();
    std::vector<TFormulaRecord> records;
    for (TLibraryFileRecord& record : ReadLibraryFile(path))
        records.push_back(TableRecord(record));
    try {
        Open(std::move(records));
    } catch (const EDatabaseError& error) {
        throw EDBClient("Cannot open file \"" + path + "\". " + error.what());
    }
}

void TFormulaLibrary::SaveToFile(const std::string& path) {
    CheckActive();
    CheckBrowseMode();
    // Every text was checked for GBK when it entered the table.
    std::vector<TLibraryFileRecord> records;
    records.reserve(rows_.size());
    for (const Row& row : rows_)
        records.push_back(FileRecord(row.record));
    WriteLibraryFile(path, records);
}

// ---- Browsing ----

int TFormulaLibrary::RecordCount() const {
    const int stored = static_cast<int>(rows_.size());
    return state_ == TDataSetState::Insert ? stored + 1 : stored;
}

int TFormulaLibrary::RecNo() const {
    return Active() ? current_ : -1;
}

const TFormulaRecord& TFormulaLibrary::Record(int index) const {
    CheckActive();
    if (index < 0 || index >= RecordCount()) throw EDatabaseError("Record index out of range");
    if (state_ == TDataSetState::Insert) {
        if (index == insertIndex_) return buffer_;
        return rows_[static_cast<size_t>(index > insertIndex_ ? index - 1 : index)].record;
    }
    if (state_ == TDataSetState::Edit && index == current_) return buffer_;
    return rows_[static_cast<size_t>(index)].record;
}

const TFormulaRecord& TFormulaLibrary::CurrentRecord() const {
    CheckActive();
    if (current_ < 0) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    return Record(current_);
}

std::string TFormulaLibrary::FieldText(TLibraryField field) const {
    return RecordFieldText(CurrentRecord(), field);
}

void TFormulaLibrary::First() {
    MoveTo(0);
}

void TFormulaLibrary::Prior() {
    MoveTo(RecNo() - 1);
}

void TFormulaLibrary::Next() {
    MoveTo(RecNo() + 1);
}

void TFormulaLibrary::Last() {
    MoveTo(RecordCount() - 1);
}

void TFormulaLibrary::MoveTo(int index) {
    CheckActive();
    if (RecordCount() == 0) return;
    index = std::clamp(index, 0, RecordCount() - 1);
    // Staying on the current row stores nothing, as a click on it does not.
    if (index == current_) return;
    // The target is the stored row shown at that index. Storing the pending
    // edit may move rows, so the target is found again by its identity.
    size_t target = static_cast<size_t>(index);
    if (state_ == TDataSetState::Insert && index > insertIndex_) --target;
    const std::uint64_t id = rows_[target].id;
    CheckBrowseMode();
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [id](const Row& row) { return row.id == id; });
    current_ = static_cast<int>(found - rows_.begin());
}

// ---- Editing ----

void TFormulaLibrary::CheckActive() const {
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TFormulaLibrary::CheckEditing() const {
    if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) {
        throw EDatabaseError("Dataset not in edit or insert mode");
    }
}

void TFormulaLibrary::Insert() {
    CheckActive();
    CheckBrowseMode();
    insertIndex_ = std::max(current_, 0);
    current_ = insertIndex_;
    buffer_ = {};
    modified_ = false;
    state_ = TDataSetState::Insert;
}

void TFormulaLibrary::Append() {
    CheckActive();
    CheckBrowseMode();
    insertIndex_ = static_cast<int>(rows_.size());
    current_ = insertIndex_;
    buffer_ = {};
    modified_ = false;
    state_ = TDataSetState::Insert;
}

void TFormulaLibrary::Edit() {
    CheckActive();
    if (state_ != TDataSetState::Browse) return;
    if (rows_.empty()) {
        Insert();
        return;
    }
    buffer_ = rows_[static_cast<size_t>(current_)].record;
    modified_ = false;
    state_ = TDataSetState::Edit;
}

void TFormulaLibrary::SetFieldText(TLibraryField field, std::string_view text) {
    CheckActive();
    if (field == TLibraryField::TemVn) {
        if (text.empty()) {
            SetTemVn(std::nullopt);
            return;
        }
        int value = 0;
        if (!TryStrToInt(text, value)) {
            throw EDatabaseError("'" + std::string(text) +
                                 "' is not a valid integer value for field '" +
                                 LibraryFieldDef(field).DisplayLabel + "'");
        }
        SetTemVn(static_cast<std::int32_t>(value));
        return;
    }
    Utf8ToGbk(text); // raises EEncodingError for a character GBK cannot hold
    std::string fitted = FitFieldWidth(field, text);
    Edit();
    StringField(buffer_, field) = std::move(fitted);
    modified_ = true;
}

void TFormulaLibrary::SetTemVn(std::optional<std::int32_t> value) {
    CheckActive();
    Edit();
    buffer_.TemVn = value;
    modified_ = true;
}

size_t TFormulaLibrary::SortedPosition(const std::string& key) const {
    // After the rows whose keys are not greater: equal numbers keep the order
    // in which they were posted.
    const auto found =
        std::upper_bound(rows_.begin(), rows_.end(), key, [](const std::string& k, const Row& row) {
            return BytesLess(k, row.key);
        });
    return static_cast<size_t>(found - rows_.begin());
}

void TFormulaLibrary::PostRecord() {
    Row row{buffer_, SortKey(buffer_.TemNo), 0};
    if (state_ == TDataSetState::Edit) {
        const auto index = static_cast<size_t>(current_);
        row.id = rows_[index].id;
        if (row.key == rows_[index].key) {
            rows_[index] = std::move(row);
        } else {
            rows_.erase(rows_.begin() + current_);
            const size_t position = SortedPosition(row.key);
            rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
            current_ = static_cast<int>(position);
        }
    } else {
        row.id = nextId_++;
        const size_t position = SortedPosition(row.key);
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
        current_ = static_cast<int>(position);
    }
    state_ = TDataSetState::Browse;
    buffer_ = {};
    modified_ = false;
    insertIndex_ = -1;
}

void TFormulaLibrary::Post() {
    CheckActive();
    if (state_ == TDataSetState::Browse) return;
    PostRecord();
}

void TFormulaLibrary::Cancel() {
    CheckActive();
    if (state_ == TDataSetState::Insert) {
        current_ = std::min(insertIndex_, static_cast<int>(rows_.size()) - 1);
    }
    state_ = TDataSetState::Browse;
    buffer_ = {};
    modified_ = false;
    insertIndex_ = -1;
}

void TFormulaLibrary::CheckBrowseMode() {
    CheckActive();
    if (state_ == TDataSetState::Browse) return;
    if (modified_) {
        PostRecord();
    } else {
        Cancel();
    }
}

void TFormulaLibrary::Delete() {
    CheckActive();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (rows_.empty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    Cancel();
    rows_.erase(rows_.begin() + current_);
    current_ = std::min(current_, static_cast<int>(rows_.size()) - 1);
}

void TFormulaLibrary::Refresh() {
    CheckActive();
}

} // namespace xtq

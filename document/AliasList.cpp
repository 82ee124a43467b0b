#include "document/AliasList.h"

#include "core/AsciiCase.h"

namespace xtq {
namespace {

// A key as the list compares it: the letters A-Z in lower case.
std::string Folded(std::string_view key) {
    return LowerAscii(key);
}

} // namespace

void TAliasList::Check(int index) const {
    if (index < 0 || index >= Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TAliasList::CheckKey(std::string_view key, int except) const {
    if (key.find('=') != std::string_view::npos)
        throw EKeyEqualsSign("Key may not contain equals sign (\"=\")");
    if (key.empty()) return;
    const std::string folded = Folded(key);
    if (keys_.count(folded) == 0) return;
    if (except >= 0 && Folded(rows_[except].Key) == folded) return; // the row's own key
    throw EKeyConflict("A key with the name of \"" + std::string(key) + "\" already exists");
}

void TAliasList::Changed() const {
    if (listeners_ != nullptr)
        listeners_->Notify([](TDocumentListener& l) { l.AliasListChanged(); });
}

const std::string& TAliasList::Key(int index) const {
    Check(index);
    return rows_[index].Key;
}

const std::string& TAliasList::Value(int index) const {
    Check(index);
    return rows_[index].Value;
}

int TAliasList::IndexOfKey(std::string_view key) const {
    for (int i = 0; i < Count(); ++i)
        if (SameAliasKey(rows_[i].Key, key)) return i;
    return -1;
}

void TAliasList::Append(std::string key, std::string value) {
    Insert(Count(), std::move(key), std::move(value));
}

void TAliasList::Insert(int index, std::string key, std::string value) {
    if (index != Count()) Check(index);
    if (Count() >= kMaxAliasRows) throw ECountRangeError(kTooManyAliasesMessage);
    CheckKey(key, -1);
    if (!key.empty()) keys_.insert(Folded(key));
    rows_.insert(rows_.begin() + index, TAliasRow{std::move(key), std::move(value)});
    Changed();
}

void TAliasList::SetKey(int index, std::string key) {
    Check(index);
    if (rows_[index].Key == key) return;
    CheckKey(key, index);
    if (!rows_[index].Key.empty()) keys_.erase(Folded(rows_[index].Key));
    if (!key.empty()) keys_.insert(Folded(key));
    rows_[index].Key = std::move(key);
    Changed();
}

void TAliasList::SetValue(int index, std::string value) {
    Check(index);
    if (rows_[index].Value == value) return;
    rows_[index].Value = std::move(value);
    Changed();
}

void TAliasList::Delete(int index) {
    Check(index);
    if (!rows_[index].Key.empty()) keys_.erase(Folded(rows_[index].Key));
    rows_.erase(rows_.begin() + index);
    Changed();
}

void TAliasList::Clear() {
    if (rows_.empty()) return;
    rows_.clear();
    keys_.clear();
    Changed();
}

bool TAliasList::CanAddRowAt(int current) const {
    return current >= 0 && current < Count() && !rows_[current].Key.empty();
}

bool TAliasList::RemoveIfEmpty(int index) {
    Check(index);
    if (!rows_[index].Key.empty() || !rows_[index].Value.empty()) return false;
    Delete(index);
    return true;
}

void TAliasList::Swap(TAliasList& other) {
    rows_.swap(other.rows_);
    keys_.swap(other.keys_);
    Changed();
    other.Changed();
}

} // namespace xtq

#pragma once
// The alias list: ordered (key, value) rows, the key a
// variable name such as x1 and the value its alias. Keys are unique without
// regard to the letter case of A-Z; an empty key (a row being typed) is not
// compared.

#include "core/Exception.h"
#include "document/AliasDecoding.h"
#include "document/DataTable.h"
#include "document/DocumentListener.h"

#include <string>
#include <string_view>
#include <unordered_set>

namespace xtq {

// "Key may not contain equals sign ("=")".
XTQ_DECLARE_ERROR(EKeyEqualsSign, Exception);
// "List index out of bounds (%d)".
XTQ_DECLARE_ERROR(EStringListError, Exception);

// The most rows the list keeps. Every row is compared with every other one
// for its key and substituted into every header painted, so a file claiming
// more would keep the program busy for minutes.
inline constexpr int kMaxAliasRows = 10000;
inline constexpr const char* kTooManyAliasesMessage = "变量别名不能超过10000行";

class TAliasList {
public:
    int Count() const { return static_cast<int>(rows_.size()); }
    const std::string& Key(int index) const;
    const std::string& Value(int index) const;
    const TAliasRows& Rows() const { return rows_; }

    // Index of the row whose key equals `key` apart from letter case, or -1.
    int IndexOfKey(std::string_view key) const;

    // Each raises EKeyConflict ("A key with the name of "%s" already exists")
    // when another row holds the key, EKeyEqualsSign when it contains "=",
    // EStringListError for an index out of range, and Append and Insert
    // ECountRangeError (kTooManyAliasesMessage) when the list holds
    // kMaxAliasRows rows already; the list is then unchanged.
    void Append(std::string key, std::string value);
    void Insert(int index, std::string key, std::string value);
    void SetKey(int index, std::string key);
    void SetValue(int index, std::string value);
    void Delete(int index);
    void Clear();
    // Exchanges the rows with `other` (not the listeners); both report the change.
    void Swap(TAliasList& other);

    // Editing rules of the list editor: a row may be appended below or
    // inserted above the current row only when its key is not empty; a row
    // whose key and value are both empty is removed when the user leaves it
    // (returns true when it was).
    bool CanAddRowAt(int current) const;
    bool RemoveIfEmpty(int index);

    void SetListeners(const TListenerList* listeners) { listeners_ = listeners; }

private:
    void Check(int index) const;
    void CheckKey(std::string_view key, int except) const;
    void Changed() const;

    TAliasRows rows_;
    // The non-empty keys in lower case (A-Z folded), so that a key is checked
    // against the list at once, whatever its length.
    std::unordered_set<std::string> keys_;
    const TListenerList* listeners_ = nullptr;
};

} // namespace xtq

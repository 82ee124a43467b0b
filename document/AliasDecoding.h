#pragma once
// Decoding of a library record's alias text into (key, value) rows for the
// alias list, as Select formula fills it.
//
// Text is UTF-8 and a "character" is one Unicode character, so a Chinese
// alias or separator is never cut in half.

#include "core/Exception.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xtq {

// A key that the alias list already holds, compared without regard to letter case.
XTQ_DECLARE_ERROR(EKeyConflict, Exception);

struct TAliasRow {
    std::string Key;
    std::string Value;
    bool operator==(const TAliasRow&) const = default;
};
using TAliasRows = std::vector<TAliasRow>;

// The rows that the alias text encodes, in text order, without any check of
// the keys. Each alias is written as key, "=", one character, one separator
// character; the key is everything before the next "=", unchanged. A text
// without "=" gives no rows.
TAliasRows DecodeAliases(std::string_view aliasText);

// Alias keys are equal when they differ only in the letter case of A-Z.
bool SameAliasKey(std::string_view a, std::string_view b);

// Appends the row at the end of the list. Raises EKeyConflict
// ("A key with the name of "%s" already exists") when the list holds its key
// already; the list is then unchanged. An empty key is not compared, as in
// the alias list of the window.
void AppendAliasRow(TAliasRows& list, TAliasRow row);

// Appends the rows of the alias text one by one at the end of the list. At a
// key that the list already holds it raises EKeyConflict; the rows appended
// before it stay in the list.
void AppendDecodedAliases(std::string_view aliasText, TAliasRows& list);

// Select formula's alias step on the window's alias list (any list with
// Clear() and Append(key, value) that raises EKeyConflict, such as the
// document's TAliasList): the list is emptied, then the decoded rows are
// appended in order; at a duplicate key the error propagates and the rows
// before it stay.
template <class AliasList> void SelectAliases(std::string_view aliasText, AliasList& list) {
    list.Clear();
    for (TAliasRow& row : DecodeAliases(aliasText)) {
        list.Append(std::move(row.Key), std::move(row.Value));
    }
}

} // namespace xtq

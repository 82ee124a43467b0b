#include "document/AliasDecoding.h"

#include "core/AsciiCase.h"
#include "core/Utf8Text.h"

namespace xtq {

TAliasRows DecodeAliases(std::string_view aliasText) {
    TAliasRows rows;
    std::string_view rest = aliasText;
    for (;;) {
        const size_t equals = rest.find('=');
        if (equals == std::string_view::npos) break;
        TAliasRow row;
        row.Key = std::string(rest.substr(0, equals));
        rest.remove_prefix(equals + 1);
        // The value is one character; the character after it is the separator.
        const size_t valueLength = Utf8CharLength(rest, 0);
        row.Value = std::string(rest.substr(0, valueLength));
        rest.remove_prefix(valueLength);
        rest.remove_prefix(Utf8CharLength(rest, 0));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool SameAliasKey(std::string_view a, std::string_view b) {
    return SameTextAscii(a, b);
}

void AppendAliasRow(TAliasRows& list, TAliasRow row) {
    // An empty key is a row still being typed; it is not compared.
    for (const TAliasRow& existing : list) {
        if (!row.Key.empty() && SameAliasKey(existing.Key, row.Key)) {
            throw EKeyConflict("A key with the name of \"" + row.Key + "\" already exists");
        }
    }
    list.push_back(std::move(row));
}

void AppendDecodedAliases(std::string_view aliasText, TAliasRows& list) {
    for (TAliasRow& row : DecodeAliases(aliasText))
        AppendAliasRow(list, std::move(row));
}

} // namespace xtq

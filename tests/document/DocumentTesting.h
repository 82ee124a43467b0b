#pragma once
// Helpers for tests that set up a document as a user would.

#include "document/Document.h"

#include <string>
#include <vector>

namespace xtq::testing {

using Texts = std::vector<std::string>;

// Sets the counts and types the rows (X1 .. Xn, Y) into the table.
inline void TypeData(TRegressDocument& doc, int variables, const std::vector<Texts>& rows) {
    doc.SetText(TField::VariableCount, std::to_string(variables));
    doc.SetText(TField::DataPointCount, std::to_string(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            doc.Table().SetCell(static_cast<int>(c) + 1, static_cast<int>(r) + 1, rows[r][c]);
}

// The texts of one table column in rows 1 .. RowCount - 1.
inline Texts DataColumn(const TRegressDocument& doc, int col) {
    Texts texts;
    for (int row = 1; row < doc.Table().RowCount(); ++row)
        texts.emplace_back(doc.Table().Cell(col, row));
    return texts;
}

} // namespace xtq::testing

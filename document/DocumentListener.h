#pragma once
// Change notification of the document model, for a window that follows it.

#include <algorithm>
#include <vector>

namespace xtq {

// The document's text fields.
enum class TField {
    LeftName,         // name of the dependent quantity, "Y" by default
    LeftNameMirror,   // the same name, shown again beside the displayed formula
    RightSide,        // right side of the formula, as typed
    DisplayedFormula, // the right side with the aliases substituted, "*" as "."
    DataPointCount,   // decimal text; its rule sets the table's rows
    VariableCount,    // decimal text; its rule sets the table's columns and header
    Correlation,      // correlation coefficient of the last run
    MaxError,         // maximum error in per cent
    MeanError,        // mean error in per cent
    Coefficients,     // coefficient list (one line)
    FittedFormula,    // fitted formula (one line)
    StatusMessage,    // hints and messages of the commands
    Title,            // window title
    FileName,         // path of the current document
};
inline constexpr int kFieldCount = static_cast<int>(TField::FileName) + 1;

// Every callback runs after the change, on the thread that made it. Nothing
// is reported for a change that leaves a value as it was.
class TDocumentListener {
public:
    virtual ~TDocumentListener() = default;
    virtual void FieldChanged(TField field) { (void)field; }
    // Rows were appended, inserted, deleted, edited or the list was emptied.
    virtual void AliasListChanged() {}
    // One cell's text.
    virtual void CellChanged(int col, int row) {
        (void)col;
        (void)row;
    }
    // Anything else of the table, or many cells at once: the counts, widths,
    // heights, moved rows or columns, the cells written by a count rule, Open,
    // New or the regression run. Everything shown should be read again.
    virtual void TableChanged() {}
    virtual void CurrentCellChanged() {}
    // The result of the last fit was replaced or dropped (TRegressDocument::LastFit).
    virtual void FitChanged() {}
};

class TListenerList {
public:
    void Add(TDocumentListener* listener) { listeners_.push_back(listener); }
    void Remove(TDocumentListener* listener) {
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener),
                         listeners_.end());
    }
    template <typename Call> void Notify(Call call) const {
        // A copy, so that a listener may remove itself.
        const std::vector<TDocumentListener*> listeners = listeners_;
        for (TDocumentListener* listener : listeners)
            call(*listener);
    }

private:
    std::vector<TDocumentListener*> listeners_;
};

} // namespace xtq

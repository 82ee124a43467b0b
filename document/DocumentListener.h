#pragma once
// Change notification of the document model, for a window that follows it.

#include <algorithm>
#include <vector>

namespace xtq {

// The document's text fields, by the name of the control that shows them.
enum class TField {
    EditFd,       // left-side name
    EditFa,       // its mirror on the computation page
    EditEqual,    // right side of the formula
    EditAeq,      // displayed formula
    EditNuRow,    // data-point count
    EditNuCol,    // variable count
    LabelR,       // correlation coefficient
    Labelem,      // maximum error in per cent
    Labelea,      // mean error in per cent
    MemoCoefs,    // coefficient list (one line)
    MemoResult,   // fitted formula (one line)
    StatusPanel0, // message panel of the status bar
    Caption,      // window title
    CurrentFileName,
};
inline constexpr int kFieldCount = static_cast<int>(TField::CurrentFileName) + 1;

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

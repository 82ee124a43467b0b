#pragma once
// A table view whose in-place editors are line edits on its viewport, as the
// data table, the alias list and the formula library have them.

#include <QTableView>

namespace xtq::ui {

class TEditingGrid : public QTableView {
public:
    using QTableView::QTableView;

    // Stores what an open editor holds and closes it, so that a command
    // works on what the user sees. Returns true when an editor was open.
    bool CommitEditor();
};

} // namespace xtq::ui

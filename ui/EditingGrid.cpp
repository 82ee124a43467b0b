#include "ui/EditingGrid.h"

#include <QLineEdit>

namespace xtq::ui {

bool TEditingGrid::CommitEditor() {
    bool committed = false;
    for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>()) {
        if (!editor->isVisible()) continue;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        committed = true;
    }
    return committed;
}

} // namespace xtq::ui

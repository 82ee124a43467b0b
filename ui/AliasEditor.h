#pragma once
// The alias list ValueListEditor1: the document's TAliasList as a two-column
// grid under the title row "变量" / "别名". While the list is empty one empty
// row is shown, and typing into it appends the first row.
//
// Keys: Down on the last row appends a row and Insert inserts one above the
// current row, both only when the current row's key is not empty; Ctrl+Delete
// deletes the current row; Escape undoes the edits of the current row; a row
// whose key and value are both empty is removed when the user leaves it. A
// key that the list refuses (a duplicate, an "=") is reported when the cell
// is left, and the cell is edited again with the refused text.

#include "ui/EditingGrid.h"

#include <QAbstractTableModel>
#include <QTableView>
#include <functional>
#include <string>

namespace xtq {
class TAliasList;
}

namespace xtq::ui {

// Runs a command under the window's error rule; false when it failed.
using TCommandRunner = std::function<bool(const std::function<void()>&)>;

class TAliasModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TAliasModel(TAliasList& list, TCommandRunner run, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void ListChanged();

signals:
    // A key the list refused; the cell is to be edited again with it.
    void KeyRefused(const QModelIndex& index, const QString& text);

private:
    TAliasList& list_;
    TCommandRunner run_;
    int rows_;
};

class TAliasEditor : public TEditingGrid {
    Q_OBJECT

public:
    TAliasEditor(TAliasList& list, TCommandRunner run, QWidget* parent);

    TAliasModel& Model() { return *model_; }
    // Follows the document's alias list.
    void ListChanged();
    // Undoes the edits of the current row (Escape).
    void RestoreCurrentRow();
    // Text for the next editor instead of the cell's text, once.
    QString TakePendingText(bool& present);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void RowLeft(int row);
    void Snapshot(int row);
    void MoveTo(int row, int column);

    TAliasList& list_;
    TCommandRunner run_;
    TAliasModel* model_;
    int snapshotRow_ = -1;
    std::string snapshotKey_;
    std::string snapshotValue_;
    bool pending_ = false;
    QString pendingText_;
    bool resetting_ = false;
};

} // namespace xtq::ui

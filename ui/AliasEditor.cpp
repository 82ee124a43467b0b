#include "ui/AliasEditor.h"

#include "document/AliasList.h"
#include "ui/QtText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>

namespace xtq::ui {
namespace {

class TAliasDelegate : public QStyledItemDelegate {
public:
    explicit TAliasDelegate(TAliasEditor& editor) : QStyledItemDelegate(&editor), view_(editor) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        bool present = false;
        const QString pending = view_.TakePendingText(present);
        auto* line = static_cast<QLineEdit*>(editor);
        line->setText(present ? pending : index.data(Qt::EditRole).toString());
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        // Escape in the editor closes it and undoes the row's edits.
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            auto* editor = qobject_cast<QWidget*>(object);
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            view_.RestoreCurrentRow();
            return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TAliasEditor& view_;
};

} // namespace

// ---- TAliasModel ----

TAliasModel::TAliasModel(TAliasList& list, TCommandRunner run, QObject* parent)
    : QAbstractTableModel(parent), list_(list), run_(std::move(run)),
      rows_(std::max(1, list.Count())) {}

int TAliasModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TAliasModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TAliasModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    if (index.row() >= list_.Count()) return QString();
    const std::string& text =
        index.column() == 0 ? list_.Key(index.row()) : list_.Value(index.row());
    return QString::fromStdString(text);
}

QVariant TAliasModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QString::fromUtf8("变量") : QString::fromUtf8("别名");
}

bool TAliasModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const int row = index.row();
    const int column = index.column();
    const QString text = value.toString();
    std::string utf8 = ToUtf8(text);
    if (row < list_.Count() && (column == 0 ? list_.Key(row) : list_.Value(row)) == utf8)
        return true;
    const bool done = run_([&] {
        if (row >= list_.Count()) {
            // The empty row shown for an empty list.
            if (utf8.empty()) return;
            if (column == 0) {
                list_.Append(utf8, "");
            } else {
                list_.Append("", utf8);
            }
        } else if (column == 0) {
            list_.SetKey(row, utf8);
        } else {
            list_.SetValue(row, utf8);
        }
    });
    if (!done && column == 0) emit KeyRefused(index, text);
    return done;
}

Qt::ItemFlags TAliasModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TAliasModel::ListChanged() {
    // Rows come and go at the end and every row is shown again, so that an
    // open cell editor stays where it is.
    const int rows = std::max(1, list_.Count());
    if (rows > rows_) {
        beginInsertRows(QModelIndex(), rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows(QModelIndex(), rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    emit dataChanged(index(0, 0), index(rows_ - 1, 1));
}

// ---- TAliasEditor ----

TAliasEditor::TAliasEditor(TAliasList& list, TCommandRunner run, QWidget* parent)
    : TEditingGrid(parent), list_(list), run_(run) {
    setObjectName("ValueListEditor1");
    model_ = new TAliasModel(list_, run_, this);
    setModel(model_);
    setItemDelegate(new TAliasDelegate(*this));
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setFixedHeight(19);
    horizontalHeader()->resizeSection(0, 150);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(false);
    setWordWrap(false);
    connect(model_, &TAliasModel::KeyRefused, this,
            [this](const QModelIndex& index, const QString& text) {
                // Edit the cell again once the refused editor has closed.
                const int row = index.row();
                QMetaObject::invokeMethod(
                    this,
                    [this, row, text] {
                        const QModelIndex at = model_->index(row, 0);
                        if (!at.isValid()) return;
                        pending_ = true;
                        pendingText_ = text;
                        setCurrentIndex(at);
                        edit(at);
                        pending_ = false;
                    },
                    Qt::QueuedConnection);
            });
    Snapshot(0);
}

QString TAliasEditor::TakePendingText(bool& present) {
    present = pending_;
    pending_ = false;
    return pendingText_;
}

void TAliasEditor::ListChanged() {
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : 0;
    resetting_ = true;
    model_->ListChanged();
    const int last = model_->rowCount() - 1;
    setCurrentIndex(model_->index(std::min(row, last), column));
    resetting_ = false;
}

void TAliasEditor::Snapshot(int row) {
    snapshotRow_ = row;
    if (row >= 0 && row < list_.Count()) {
        snapshotKey_ = list_.Key(row);
        snapshotValue_ = list_.Value(row);
    } else {
        snapshotKey_.clear();
        snapshotValue_.clear();
    }
}

void TAliasEditor::RestoreCurrentRow() {
    const int row = currentIndex().isValid() ? currentIndex().row() : -1;
    if (row < 0 || row != snapshotRow_ || row >= list_.Count()) return;
    run_([&] {
        list_.SetKey(row, snapshotKey_);
        list_.SetValue(row, snapshotValue_);
    });
}

void TAliasEditor::MoveTo(int row, int column) {
    const QModelIndex at = model_->index(row, column);
    if (at.isValid()) setCurrentIndex(at);
}

void TAliasEditor::RowLeft(int row) {
    if (row < 0 || row >= list_.Count()) return;
    const int current = currentIndex().isValid() ? currentIndex().row() : 0;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    bool removed = false;
    run_([&] { removed = list_.RemoveIfEmpty(row); });
    if (removed) MoveTo(std::max(0, current > row ? current - 1 : current), column);
}

void TAliasEditor::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (resetting_) return;
    const int from = previous.isValid() ? previous.row() : -1;
    const int to = current.isValid() ? current.row() : -1;
    if (from == to) return;
    Snapshot(to);
    // The list changes only after the view has finished moving.
    if (from >= 0)
        QMetaObject::invokeMethod(
            this, [this, from] { RowLeft(from); }, Qt::QueuedConnection);
}

void TAliasEditor::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    if (state() == QAbstractItemView::EditingState) return;
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (currentIndex().isValid()) RowLeft(currentIndex().row());
}

void TAliasEditor::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : 0;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Down && mods == Qt::NoModifier && row == model_->rowCount() - 1) {
        if (list_.CanAddRowAt(row)) {
            run_([&] { list_.Append("", ""); });
            MoveTo(row + 1, column);
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Insert && mods == Qt::NoModifier) {
        if (list_.CanAddRowAt(row)) {
            run_([&] { list_.Insert(row, "", ""); });
            MoveTo(row, column);
            Snapshot(row);
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && mods == Qt::ControlModifier) {
        if (row < list_.Count()) {
            run_([&] { list_.Delete(row); });
            Snapshot(currentIndex().isValid() ? currentIndex().row() : 0);
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        RestoreCurrentRow();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace xtq::ui

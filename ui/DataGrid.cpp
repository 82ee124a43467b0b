#include "ui/DataGrid.h"

#include "document/Document.h"
#include "ui/QtText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace xtq::ui {
namespace {

// Data cells as the grid paints them: the text at (left + 2, top + 2), the
// selection in the highlight colour and the current cell with a focus frame.
class TCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The current cell is marked whether the grid has the focus or not:
        // the regression run points at a bad value with it.
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const bool current = view != nullptr ? index == view->currentIndex()
                                             : (option.state & QStyle::State_HasFocus) != 0;
        const bool selected = (option.state & QStyle::State_Selected) != 0 && !current;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        const QRect text = option.rect.adjusted(2, 2, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        if (current) {
            // A frame of two pixels in the highlight colour inside the cell.
            const QColor frame = palette.color(QPalette::Active, QPalette::Highlight);
            painter->setPen(QPen(frame, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        }
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setTextMargins(1, 0, 0, 0);
        return editor;
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }
};

} // namespace

// ---- TTableModel ----

TTableModel::TTableModel(TRegressDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
    rows_ = std::max(0, document_.Table().RowCount() - 1);
    cols_ = std::max(0, document_.Table().ColCount() - 1);
}

int TTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant TTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return Q(document_.Table().Cell(index.column() + 1, index.row() + 1));
}

bool TTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const QByteArray text = value.toString().toUtf8();
    document_.Table().SetCell(index.column() + 1, index.row() + 1,
                              std::string_view(text.constData(), static_cast<size_t>(text.size())));
    return true;
}

Qt::ItemFlags TTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TTableModel::TableChanged() {
    const int rows = std::max(0, document_.Table().RowCount() - 1);
    const int cols = std::max(0, document_.Table().ColCount() - 1);
    if (rows != rows_ || cols != cols_) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        endResetModel();
        return;
    }
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, cols_ - 1));
    emit headerDataChanged(Qt::Vertical, 0, std::max(0, rows_ - 1));
}

void TTableModel::CellChanged(int col, int row) {
    if (col >= 1 && row >= 1 && col <= cols_ && row <= rows_) {
        const QModelIndex at = index(row - 1, col - 1);
        emit dataChanged(at, at);
    } else if (row == 0 && col >= 1 && col <= cols_) {
        emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    } else if (col == 0 && row >= 1 && row <= rows_) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    }
}

// ---- TFixedHeader ----

TFixedHeader::TFixedHeader(Qt::Orientation orientation, TDataGrid& grid)
    : QHeaderView(orientation, &grid), grid_(grid) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionsMovable(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(1);
    setDefaultSectionSize(orientation == Qt::Horizontal ? xtq::kDefaultColWidth + 1
                                                        : xtq::kDefaultRowHeight + 1);
    setStretchLastSection(false);
}

void TFixedHeader::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    // Beyond the last row and column the grid shows the window colour.
    const int end = length() - offset();
    QPainter painter(viewport());
    const QRect area = orientation() == Qt::Horizontal
                           ? QRect(end, 0, viewport()->width() - end, viewport()->height())
                           : QRect(0, end, viewport()->width(), viewport()->height() - end);
    if (area.isValid()) painter.fillRect(area, palette().base());
}

void TFixedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const QRect cell = rect.adjusted(0, 0, -1, -1);
    const int col = orientation() == Qt::Horizontal ? logicalIndex + 1 : 0;
    const int row = orientation() == Qt::Horizontal ? 0 : logicalIndex + 1;
    grid_.TabelleDrawCell(*painter, col, row, cell);
}

// ---- TDataGrid ----

TDataGrid::TDataGrid(TRegressDocument& document, QWidget* parent)
    : TEditingGrid(parent), document_(document), table_(document.Table()) {
    setObjectName("Tabelle");
    model_ = new TTableModel(document_, this);
    top_ = new TFixedHeader(Qt::Horizontal, *this);
    left_ = new TFixedHeader(Qt::Vertical, *this);
    setHorizontalHeader(top_);
    setVerticalHeader(left_);
    setModel(model_);
    setItemDelegate(new TCellDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked);
    // Tab leaves the table.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // The view moves when the scroll-bar thumb is released.
    verticalScrollBar()->setTracking(false);
    horizontalScrollBar()->setTracking(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    connect(top_, &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { SectionResized(Qt::Horizontal, logical, size); });
    connect(left_, &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) { SectionResized(Qt::Vertical, logical, size); });
    connect(top_, &QHeaderView::sectionMoved, this, [this](int, int oldVisual, int newVisual) {
        SectionMoved(Qt::Horizontal, oldVisual, newVisual);
    });
    connect(left_, &QHeaderView::sectionMoved, this, [this](int, int oldVisual, int newVisual) {
        SectionMoved(Qt::Vertical, oldVisual, newVisual);
    });
    // The corner is cell (0, 0).
    if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(this);
    SyncSizes();
    CurrentCellChanged();
}

QRect TDataGrid::CellRect(int col, int row) const {
    const int x = col == 0 ? left_->geometry().x()
                           : viewport()->geometry().x() + columnViewportPosition(col - 1);
    const int y =
        row == 0 ? top_->geometry().y() : viewport()->geometry().y() + rowViewportPosition(row - 1);
    const int w = col == 0 ? left_->width() : columnWidth(col - 1);
    const int h = row == 0 ? top_->height() : rowHeight(row - 1);
    return QRect(x, y, w - 1, h - 1);
}

void TDataGrid::TabelleDrawCell(QPainter& painter, int col, int row, const QRect& cell) const {
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QRect line(cell.left(), cell.top(), cell.width() + 1, cell.height() + 1);
    // Grid line after the cell, then the raised edge inside it.
    painter.fillRect(line, pal.color(QPalette::Shadow));
    painter.fillRect(cell, face);
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(cell.bottomLeft(), cell.bottomRight());
    painter.drawLine(cell.topRight(), cell.bottomRight());

    painter.save();
    painter.setClipRect(cell);
    painter.setFont(font());
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.drawText(cell.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     Q(table_.Cell(col, row)));
    if (TRegressDocument::HasHeaderDisplay(col, row)) {
        // The display text over the stored one, on an opaque background.
        const QString text = QString::fromStdString(document_.HeaderPaintText(col));
        const QFontMetrics metrics(font());
        const QRect box(cell.left() + 2, cell.top(), metrics.horizontalAdvance(text),
                        metrics.height());
        painter.fillRect(box, face);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        // The grey marker.
        const TRect marker = TRegressDocument::HeaderMarkerBox(
            {cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()});
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(QColor(128, 128, 128));
        painter.drawEllipse(QRect(marker.left, marker.top, marker.right - marker.left - 1,
                                  marker.bottom - marker.top - 1));
    }
    painter.restore();
}

bool TDataGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        if (auto* corner = qobject_cast<QAbstractButton*>(watched)) {
            QPainter painter(corner);
            TabelleDrawCell(painter, 0, 0, corner->rect().adjusted(0, 0, -1, -1));
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TDataGrid::SyncSizes() {
    const bool wasSyncing = syncing_;
    syncing_ = true;
    left_->setFixedWidth(table_.ColWidth(0) + 1);
    top_->setFixedHeight(table_.RowHeight(0) + 1);
    for (int col = 1; col < table_.ColCount(); ++col) {
        const int size = table_.ColWidth(col) + 1;
        if (top_->sectionSize(col - 1) != size) top_->resizeSection(col - 1, size);
    }
    // Rows of other heights are rare: only they are looked at one by one.
    std::set<int> tall;
    for (int row = 1; row < table_.RowCount(); ++row)
        if (table_.RowHeight(row) != kDefaultRowHeight) tall.insert(row);
    for (int row : tallRows_)
        if (!tall.contains(row) && row < table_.RowCount())
            left_->resizeSection(row - 1, kDefaultRowHeight + 1);
    for (int row : tall)
        if (left_->sectionSize(row - 1) != table_.RowHeight(row) + 1)
            left_->resizeSection(row - 1, table_.RowHeight(row) + 1);
    tallRows_ = std::move(tall);
    syncing_ = wasSyncing;
}

void TDataGrid::SectionResized(Qt::Orientation orientation, int logicalIndex, int newSize) {
    if (syncing_) return;
    syncing_ = true;
    if (orientation == Qt::Horizontal) {
        table_.SetColWidth(logicalIndex + 1, std::max(0, newSize - 1));
    } else {
        table_.SetRowHeight(logicalIndex + 1, std::max(0, newSize - 1));
        if (newSize != kDefaultRowHeight + 1) tallRows_.insert(logicalIndex + 1);
    }
    syncing_ = false;
}

void TDataGrid::SectionMoved(Qt::Orientation orientation, int oldVisual, int newVisual) {
    if (syncing_) return;
    // The header only showed the move: the table moves the cells, and the
    // header goes back to showing positions in order.
    TFixedHeader* header = orientation == Qt::Horizontal ? top_ : left_;
    {
        const QSignalBlocker blocker(header);
        header->moveSection(newVisual, oldVisual);
    }
    if (orientation == Qt::Horizontal) {
        table_.MoveColumn(oldVisual + 1, newVisual + 1);
    } else {
        table_.MoveRow(oldVisual + 1, newVisual + 1);
    }
}

void TDataGrid::TableChanged() {
    if (syncing_) {
        // A width or height the user dragged: nothing else changed.
        viewport()->update();
        return;
    }
    syncing_ = true;
    model_->TableChanged();
    syncing_ = false;
    SyncSizes();
    CurrentCellChanged();
    top_->viewport()->update();
    left_->viewport()->update();
    viewport()->update();
}

void TDataGrid::CellChanged(int col, int row) {
    model_->CellChanged(col, row);
    if (row == 0) top_->viewport()->update();
    if (col == 0) left_->viewport()->update();
}

void TDataGrid::CurrentCellChanged() {
    if (syncing_) return;
    const QModelIndex at = model_->index(table_.Row() - 1, table_.Col() - 1);
    if (!at.isValid() || currentIndex() == at) return;
    syncing_ = true;
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    scrollTo(at);
    syncing_ = false;
}

void TDataGrid::HeaderDisplayChanged() {
    top_->viewport()->update();
}

void TDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid()) return;
    syncing_ = true;
    table_.SetCol(current.column() + 1);
    table_.SetRow(current.row() + 1);
    syncing_ = false;
}

} // namespace xtq::ui

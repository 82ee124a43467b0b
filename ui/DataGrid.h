#pragma once
// The data table Tabelle on the computation page: a view over the document's
// TDataTable that asks only for the cells it shows. Row 0 (the header row)
// and column 0 (the row numbers) are the view's fixed header strips, painted
// as fixed cells; the header display of TabelleDrawCell paints the header row
// with the aliases and the left-side name. Every cell position is one pixel
// wider and higher than its width and height, for the grid line after it.

#include "ui/EditingGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>
#include <set>

namespace xtq {
class TRegressDocument;
class TDataTable;
} // namespace xtq

namespace xtq::ui {

class TDataGrid;

// The data cells (rows and columns from 1) as a Qt model.
class TTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TTableModel(TRegressDocument& document, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // After the table changed: a new shape resets the model, otherwise every
    // cell is reported changed.
    void TableChanged();
    void CellChanged(int col, int row);

private:
    TRegressDocument& document_;
    int rows_ = 0;
    int cols_ = 0;
};

// A fixed strip of the grid: the header row (horizontal) or the row-number
// column (vertical).
class TFixedHeader : public QHeaderView {
    Q_OBJECT

public:
    TFixedHeader(Qt::Orientation orientation, TDataGrid& grid);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    TDataGrid& grid_;
};

class TDataGrid : public TEditingGrid {
    Q_OBJECT

public:
    TDataGrid(TRegressDocument& document, QWidget* parent);

    TTableModel& Model() { return *model_; }
    // The pixel rectangle of cell (col, row) in the grid's coordinates, grid
    // line excluded; fixed cells included.
    QRect CellRect(int col, int row) const;

    // Follow the document.
    void TableChanged();
    void CellChanged(int col, int row);
    void CurrentCellChanged();
    // The header display depends on the alias list and the left-side name.
    void HeaderDisplayChanged();

    // Paints cell (col, row) of the fixed row or column in `cell` (grid line
    // excluded), with the header display where it applies.
    void TabelleDrawCell(QPainter& painter, int col, int row, const QRect& cell) const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SyncSizes();
    void SectionResized(Qt::Orientation orientation, int logicalIndex, int newSize);
    void SectionMoved(Qt::Orientation orientation, int oldVisual, int newVisual);

    TRegressDocument& document_;
    TDataTable& table_;
    TTableModel* model_;
    TFixedHeader* top_;
    TFixedHeader* left_;
    std::set<int> tallRows_; // rows whose header section is not of the default height
    bool syncing_ = false;
};

} // namespace xtq::ui

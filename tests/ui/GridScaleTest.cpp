// The data grid over a million data points: the view must ask the model only
// for the cells it shows, and must not hold a widget per cell.

#include "WindowTesting.h"

#include <QIdentityProxyModel>
#include <QScrollBar>
#include <set>

namespace xtq::uitest {
namespace {

// Passes the grid's model through and records which rows the view reads.
class TCountingModel : public QIdentityProxyModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        ++reads;
        rows.insert(index.row());
        return QIdentityProxyModel::data(index, role);
    }
    void Reset() {
        reads = 0;
        rows.clear();
    }

    mutable long long reads = 0;
    mutable std::set<int> rows;
};

using GridScale = WindowTest;

TEST_F(GridScale, PaintingAMillionPointsReadsOnlyTheVisibleRows) {
    TypeInto(Edit("EditNuCol"), "2");
    TypeInto(Edit("EditNuRow"), "1000000");
    ui::TDataGrid* grid = Grid();
    ASSERT_EQ(grid->model()->rowCount(), 1000000);

    TCountingModel counting;
    counting.setSourceModel(&grid->Model());
    grid->setModel(&counting);
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    const int visibleRows = grid->viewport()->height() / rowHeight + 2;
    ASSERT_LT(visibleRows, 200);

    // Top, middle and bottom of the table: each repaint reads a window's worth
    // of rows around the scroll position, never the table.
    QScrollBar* bar = grid->verticalScrollBar();
    for (const int position : {0, bar->maximum() / 2, bar->maximum()}) {
        SCOPED_TRACE(position);
        bar->setValue(position);
        QApplication::processEvents();
        counting.Reset();
        grid->viewport()->repaint();
        ASSERT_FALSE(counting.rows.empty());
        EXPECT_LE(static_cast<int>(counting.rows.size()), visibleRows);
        EXPECT_LE(*counting.rows.rbegin() - *counting.rows.begin(), visibleRows);
        EXPECT_LE(counting.reads, 100LL * visibleRows * 6);
    }
    EXPECT_GE(*counting.rows.rbegin(), 999999 - visibleRows);

    // No widget per cell: the grid's children are its strips, scroll bars
    // and viewport, whatever the table's size.
    EXPECT_LT(grid->findChildren<QWidget*>().size(), 50);
    grid->setModel(&grid->Model());
}

} // namespace
} // namespace xtq::uitest

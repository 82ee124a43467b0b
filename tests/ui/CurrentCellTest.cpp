// The current cell of the data table is always marked, with the focus in the
// grid or elsewhere: a click, an arrow key or the regression run pointing at
// a bad value moves the mark.

#include "WindowTesting.h"

#include <QImage>
#include <QPushButton>

namespace xtq::uitest {
namespace {

class CurrentCell : public WindowTest {
protected:
    // True when the cell (col, row) shows the frame of the current cell.
    bool Marked(int col, int row) {
        QApplication::processEvents();
        ui::TDataGrid* grid = Grid();
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, col - 1));
        const QImage image = grid->viewport()->grab().toImage();
        const QColor frame = grid->palette().color(QPalette::Active, QPalette::Highlight);
        const QPoint inside(cell.left() + 1, cell.center().y());
        return image.pixelColor(inside) == frame;
    }
};

TEST_F(CurrentCell, IsMarkedWithoutTheFocusWhereverItMoves) {
    Edit("EditNuRow")->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(Grid()->hasFocus());
    EXPECT_TRUE(Marked(1, 1));
    EXPECT_FALSE(Marked(2, 3));

    // The regression run points at a value that is not a number.
    Doc().SetText(TField::RightSide, "a+b*x1");
    Doc().Table().SetCell(1, 1, "1");
    Doc().Table().SetCell(2, 1, "2");
    Doc().Table().SetCell(1, 2, "2");
    Doc().Table().SetCell(2, 2, "4");
    Doc().Table().SetCell(1, 3, "3");
    Doc().Table().SetCell(2, 3, "x");
    QTest::mouseClick(Find<QPushButton>("SBRegress"), Qt::LeftButton);
    EXPECT_FALSE(Grid()->hasFocus());
    EXPECT_TRUE(Marked(2, 3));
    EXPECT_FALSE(Marked(1, 1));

    // A click and an arrow key.
    const QRect target = Grid()->visualRect(Grid()->model()->index(0, 2));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, target.center());
    EXPECT_TRUE(Marked(3, 1));
    QTest::keyClick(Grid(), Qt::Key_Down);
    EXPECT_TRUE(Marked(3, 2));
    EXPECT_FALSE(Marked(3, 1));
}

} // namespace
} // namespace xtq::uitest

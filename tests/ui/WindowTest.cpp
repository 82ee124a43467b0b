// The main window driven through its widgets: start-up state, page change
// with the apply-definition step, enabling rule, left-side name, error rule,
// header display, alias list, status bar, About and the manual.

#include "WindowTesting.h"
#include "ui/AliasEditor.h"
#include "ui/ManualText.h"
#include "ui/MyStatusBar.h"

#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <clocale>

namespace xtq::uitest {
namespace {

class StartUp : public WindowTest {};

TEST_F(StartUp, ShowsTheDesignedWindowWithTheInitialTable) {
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Orvane(XTQ V1.1)-空白"));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_EQ(Pages()->tabText(0), QString::fromUtf8("回归计算"));
    EXPECT_EQ(Pages()->tabText(1), QString::fromUtf8("公式定义"));
    EXPECT_EQ(Pages()->tabText(2), QString::fromUtf8("简易说明"));
    EXPECT_EQ(Edit("EditFd")->text(), "Y");
    EXPECT_EQ(Edit("EditFa")->text(), "Y");
    EXPECT_EQ(Edit("EditNuRow")->text(), "5");
    EXPECT_EQ(Edit("EditNuCol")->text(), "1");
    EXPECT_EQ(Edit("EditEqual")->text(), "");
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    for (const char* name : {"LabelR", "Labelea", "Labelem"})
        EXPECT_EQ(Find<QLabel>(name)->text(), "0.00") << name;
    EXPECT_FALSE(Find<QMenu>("Main_Edit")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("TBSelect")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("TBTemSave")->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("TBOpen")->isEnabled());
    EXPECT_EQ(Find<QToolButton>("TBOpen")->toolTip(), QString::fromUtf8("打开"));
    EXPECT_EQ(Find<QToolButton>("TBOpen")->width(), 23);
    EXPECT_EQ(Find<QToolButton>("TBOpen")->iconSize(), QSize(16, 16));
    EXPECT_FALSE(Find<QToolButton>("TBOpen")->icon().isNull());
    EXPECT_EQ(MenuTexts(), QString::fromUtf8("&N 新建|&O 打开|-|&S 保存|&A 另存为|-|&E 结束"));

    // Six rows and five columns: the data part of the view is 5 x 4.
    ui::TDataGrid* grid = Grid();
    EXPECT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(grid->model()->columnCount(), 4);
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(2), 121); // " Y` ", 120 and its line
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(3), 81);
    EXPECT_EQ(grid->verticalHeader()->sectionSize(0), 16); // 15 pixels and the line
    EXPECT_EQ(Doc().Table().Cell(0, 5), "5");

    // The paths of the installation.
    EXPECT_EQ(window->ProgramDir(), install.SysFiles().string() + "/");
    EXPECT_EQ(window->DataDir(), install.Folder().string() + "/");
    EXPECT_TRUE(window->Library().Active());
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(StartUp, KeepsTheTableAtTheBottomAcrossTheFullWidth) {
    QWidget* page = Find<QWidget>("TabSheet1");
    EXPECT_EQ(Grid()->geometry(), QRect(0, page->height() - 293, page->width(), 293));
    window->resize(window->width() + 120, window->height() + 80);
    QApplication::processEvents();
    EXPECT_EQ(Grid()->geometry(), QRect(0, page->height() - 293, page->width(), 293));
    EXPECT_EQ(Edit("EditNuRow")->geometry(), QRect(54, 254, 28, 20));
}

TEST_F(StartUp, StatusBarHasItsThreePanelsAndTheProgressBarInTheLast) {
    auto* bar = Find<ui::TMyStatusBar>("MyStatusBar1");
    EXPECT_EQ(bar->height(), 19);
    ASSERT_EQ(bar->PanelCount(), 3);
    EXPECT_EQ(bar->PIndex(), 2);
    EXPECT_EQ(bar->PanelRect(0).left(), 0);
    EXPECT_EQ(bar->PanelRect(1).left(), 200);
    EXPECT_EQ(bar->PanelRect(2).left(), 700);
    EXPECT_EQ(bar->PanelRect(2).right(), bar->width() - 1);
    EXPECT_FALSE(bar->Panel(1).Text.isEmpty());
    bar->repaint();
    QProgressBar* progress = bar->ProgressBar();
    EXPECT_EQ(progress->objectName(), "ProgressBar");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->value(), 0);
    const QRect panel = bar->PanelRect(2);
    EXPECT_EQ(progress->geometry().left(), panel.left() - 1);
    EXPECT_EQ(progress->geometry().right() + 1, panel.right() + 1 - 12);

    // Widening the window widens panel 2 and the bar with it.
    const int before = progress->width();
    window->resize(window->width() + 100, window->height());
    QApplication::processEvents();
    bar->repaint();
    EXPECT_EQ(bar->PanelRect(1).left(), 200);
    EXPECT_EQ(progress->width(), before + 100);
}

TEST_F(StartUp, PIndexSetterRules) {
    auto* bar = Find<ui::TMyStatusBar>("MyStatusBar1");
    bar->SetPIndex(3); // out of range: nothing
    EXPECT_EQ(bar->PIndex(), 2);
    EXPECT_EQ(bar->Panel(2).Style, ui::TPanelStyle::OwnerDraw);
    bar->SetPIndex(-1);
    EXPECT_EQ(bar->PIndex(), 2);
    bar->SetPIndex(0);
    EXPECT_EQ(bar->PIndex(), 0);
    EXPECT_EQ(bar->Panel(0).Style, ui::TPanelStyle::OwnerDraw);
    EXPECT_EQ(bar->Panel(2).Style, ui::TPanelStyle::Text);
    bar->repaint();
    EXPECT_EQ(bar->ProgressBar()->geometry().left(), -1);
    EXPECT_EQ(bar->ProgressBar()->geometry().right() + 1, 200 - 12);
    bar->SetPIndex(0); // the same value: the same place after the repaint
    bar->repaint();
    EXPECT_EQ(bar->ProgressBar()->geometry().left(), -1);
    EXPECT_TRUE(bar->ProgressBar()->isVisible());
}

TEST_F(StartUp, HintsOfTheControlUnderTheMouseGoToPanelZero) {
    auto* bar = Find<ui::TMyStatusBar>("MyStatusBar1");
    QToolButton* open = Find<QToolButton>("TBOpen");
    QTest::mouseMove(open, open->rect().center());
    QApplication::processEvents();
    EXPECT_EQ(bar->Panel(0).Text, QString::fromUtf8("打开"));
    QTest::mouseMove(Grid()->viewport(), QPoint(30, 30));
    QApplication::processEvents();
    EXPECT_EQ(bar->Panel(0).Text, "");
}

TEST_F(StartUp, ManualPageShowsItsThirtyOneLines) {
    auto* manual = Find<QTextEdit>("RichEditManual");
    EXPECT_TRUE(manual->isReadOnly());
    const QStringList lines = manual->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 31);
    EXPECT_EQ(lines, ui::ManualLines());
    EXPECT_EQ(lines[0], QString::fromUtf8("I.入门"));
    EXPECT_EQ(lines[7], QString(118, '='));
    EXPECT_EQ(lines[11], QString(7, ' '));
    EXPECT_EQ(lines[21], QString::fromUtf8("                 x2  y"));
    EXPECT_EQ(lines[30], QString(117, '='));
    EXPECT_TRUE(lines[3].contains("\"回归计算\""));
}

TEST_F(StartUp, AboutBoxChangesNothing) {
    Find<QAction>("AARS1")->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Title, QString::fromUtf8("欢迎使用XTQ"));
    EXPECT_EQ(dialogs.Messages[0].Icon, ui::TMessageIcon::Information);
    EXPECT_TRUE(dialogs.Messages[0].Text.startsWith("Orvane V1.1\nQuellant V1.1\n"));
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Orvane(XTQ V1.1)-空白"));
}

class PageChange : public WindowTest {
protected:
    void DefineLine() {
        ClickPage(1);
        TypeInto(Edit("EditEqual"), "a+b*x1");
        auto* aliases = Find<ui::TAliasEditor>("ValueListEditor1");
        TypeCell(aliases, 0, 0, "x1");
        TypeCell(aliases, 0, 1, "x");
    }
};

TEST_F(PageChange, LeavingTheFormulaPageAppliesTheDefinitionAndRegresses) {
    for (int row = 1; row <= 5; ++row) {
        TypeDataCell(1, row, QString::number(row));
        TypeDataCell(2, row, QString::number(2 * row + 1));
    }
    DefineLine();
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    ClickPage(0);
    EXPECT_EQ(Edit("EditAeq")->text(), "a+b.x");
    EXPECT_EQ(Edit("EditEqual")->text(), "a+b*x1");
    EXPECT_EQ(Find<QLabel>("LabelR")->text(), "1.000000");
    EXPECT_EQ(Find<QLabel>("Labelem")->text(), "0.000000");
    EXPECT_EQ(Find<QPlainTextEdit>("MemoResult")->toPlainText(), "Y=1+2.x");
    EXPECT_EQ(Find<QPlainTextEdit>("MemoCoefs")->toPlainText(),
              "a=1" + QString(24, ' ') + "b=2" + QString(24, ' '));
    QAbstractItemModel* model = Grid()->model();
    EXPECT_EQ(model->index(0, 2).data().toString(), "3");
    EXPECT_EQ(model->index(4, 2).data().toString(), "11");
    EXPECT_EQ(model->index(4, 3).data().toString(), "0.000000");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(PageChange, ForTheManualPageToo_AndAnEmptyTableIsReportedInPanelZero) {
    DefineLine();
    ClickPage(2);
    EXPECT_EQ(Pages()->currentIndex(), 2);
    EXPECT_EQ(Edit("EditAeq")->text(), "a+b.x");
    EXPECT_EQ(Find<ui::TMyStatusBar>("MyStatusBar1")->Panel(0).Text,
              QString::fromUtf8("数据不完整。数据点：1"));
    // The offending cell is current.
    EXPECT_EQ(Grid()->currentIndex(), Grid()->model()->index(0, 0));
}

TEST_F(PageChange, EnablingRuleFollowsThePageShown) {
    QAction* edit = Find<QMenu>("Main_Edit")->menuAction();
    ClickPage(1);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("TBSelect")->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("TBTemSave")->isEnabled());
    ClickPage(2);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("TBSelect")->isEnabled());
    ClickPage(1);
    ClickPage(0);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("TBTemSave")->isEnabled());
}

TEST_F(PageChange, BetweenComputationAndManualNothingRuns) {
    Doc().SetText(TField::RightSide, "a+b*x1");
    ClickPage(2);
    ClickPage(0);
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    EXPECT_EQ(Find<ui::TMyStatusBar>("MyStatusBar1")->Panel(0).Text, "");
}

TEST_F(PageChange, ABlankRightSideChangesNothing) {
    ClickPage(1);
    TypeInto(Edit("EditEqual"), "   ");
    ClickPage(0);
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    EXPECT_EQ(Find<ui::TMyStatusBar>("MyStatusBar1")->Panel(0).Text, "");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(PageChange, RegressButtonDoesNotUpdateTheDisplayedFormula) {
    Doc().SetText(TField::RightSide, "a+b*x1");
    QTest::mouseClick(Find<QPushButton>("SBRegress"), Qt::LeftButton);
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    EXPECT_EQ(Find<ui::TMyStatusBar>("MyStatusBar1")->Panel(0).Text,
              QString::fromUtf8("数据不完整。数据点：1"));
}

class LeftSideName : public WindowTest {};

TEST_F(LeftSideName, IsMirroredAtEachKeystroke) {
    ClickPage(1);
    QLineEdit* fd = Edit("EditFd");
    fd->setFocus();
    fd->selectAll();
    QTest::keyClick(fd, 'Z');
    EXPECT_EQ(Edit("EditFa")->text(), "Z");
    QTest::keyClick(fd, 'w');
    EXPECT_EQ(Edit("EditFa")->text(), "Zw");
}

TEST_F(LeftSideName, ABlankNameIsRefusedAndTheFocusReturns) {
    ClickPage(1);
    for (const QString& blank : {QString(), QString("   ")}) {
        dialogs.Messages.clear();
        TypeInto(Edit("EditFd"), blank);
        Press(Qt::Key_Tab);
        ASSERT_EQ(dialogs.Messages.size(), 1u) << blank.size();
        EXPECT_EQ(dialogs.Messages[0].Text, QString::fromUtf8("不能为空白！"));
        EXPECT_EQ(dialogs.Messages[0].Title, QString::fromUtf8("错误"));
        EXPECT_EQ(dialogs.Messages[0].Icon, ui::TMessageIcon::Error);
        EXPECT_EQ(QApplication::focusWidget(), Edit("EditFd"));
        EXPECT_EQ(Edit("EditFd")->text(), blank);
    }
}

TEST_F(LeftSideName, LeavingTheFormulaPageWithABlankNameStaysThere) {
    ClickPage(1);
    TypeInto(Edit("EditEqual"), "a+b*x1");
    TypeInto(Edit("EditFd"), "");
    dialogs.Messages.clear();
    ClickPage(0);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QString::fromUtf8("不能为空白！"));
    EXPECT_EQ(Pages()->currentIndex(), 1);
    EXPECT_EQ(Edit("EditAeq")->text(), "");
    EXPECT_TRUE(Find<QToolButton>("TBSelect")->isEnabled());
    TypeInto(Edit("EditFd"), "y");
    ClickPage(0);
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_EQ(Edit("EditAeq")->text(), "a+b.x1");
}

class ErrorRule : public WindowTest {};

TEST_F(ErrorRule, AFailingFormulaIsShownTitledByTheExecutable) {
    TypeDataCell(1, 1, "1");
    TypeDataCell(2, 1, "2");
    Doc().SetText(TField::DataPointCount, "1");
    Doc().SetText(TField::RightSide, "a+b*(x1");
    Find<QAction>("Cal_Regress")->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Title, "Xtq");
    EXPECT_EQ(dialogs.Messages[0].Icon, ui::TMessageIcon::Error);
    EXPECT_TRUE(dialogs.Messages[0].Text.startsWith("Missing brackets"))
        << dialogs.Messages[0].Text.toStdString();
    // The program goes on.
    Doc().SetText(TField::RightSide, "a*x1");
    QTest::mouseClick(Find<QToolButton>("TBRegress"), Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(Find<QLabel>("LabelR")->text(), "0.000000");
}

TEST_F(ErrorRule, ACountBeyondTheMaximumIsRefusedAndTheFieldShowsTheCountAgain) {
    TypeInto(Edit("EditNuRow"), "99999999");
    ASSERT_FALSE(dialogs.Messages.empty());
    EXPECT_EQ(dialogs.Messages.back().Title, "Xtq");
    // Each digit beyond the maximum is refused as it is typed.
    EXPECT_EQ(Doc().Text(TField::DataPointCount), "999999");
    EXPECT_EQ(Edit("EditNuRow")->text(), "999999");
    EXPECT_EQ(Grid()->model()->rowCount(), 999999);
}

TEST_F(ErrorRule, NumberTextsIgnoreADecimalCommaLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
    for (int row = 1; row <= 5; ++row) {
        TypeDataCell(1, row, QString::number(row));
        TypeDataCell(2, row, QString("%1.5").arg(row));
    }
    Doc().SetText(TField::RightSide, "a+b*x1");
    QTest::mouseClick(Find<QPushButton>("SBRegress"), Qt::LeftButton);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(Find<QLabel>("LabelR")->text(), "1.000000");
    EXPECT_EQ(Grid()->model()->index(0, 2).data().toString(), "1.5");
    EXPECT_EQ(Find<QPlainTextEdit>("MemoResult")->toPlainText(), "Y=0.5+1.x1");
}

class HeaderDisplay : public WindowTest {
protected:
    // The colour at a point of a header cell, as painted.
    QColor PixelOfHeader(int col, QPoint offset) {
        const QImage image = Grid()->grab().toImage();
        const QRect cell = Grid()->CellRect(col, 0);
        return image.pixelColor(cell.topLeft() + offset);
    }
};

TEST_F(HeaderDisplay, SubstitutesAliasesAndTheLeftSideNameAndPaintsTheMarker) {
    Doc().Aliases().Append("x1", "x");
    ClickPage(1);
    TypeInto(Edit("EditFd"), "Z");
    Doc().SetText(TField::RightSide, "");
    ClickPage(0);
    EXPECT_EQ(Doc().HeaderPaintText(1), "x   ");
    EXPECT_EQ(Doc().HeaderPaintText(2), " Z    ");
    EXPECT_EQ(Doc().HeaderPaintText(3), " Z`    ");
    EXPECT_EQ(Doc().Table().Cell(2, 0), " Y。 ");
    // The grey circle with its black outline, in columns 1 to 4, not in 0.
    for (int col = 1; col <= 4; ++col) {
        const int width = Doc().Table().ColWidth(col);
        const int xc = (2 * width) / 3;
        EXPECT_EQ(PixelOfHeader(col, {xc + 3, 7}), QColor(128, 128, 128)) << col;
        EXPECT_EQ(PixelOfHeader(col, {xc + 3, 3}), QColor(Qt::black)) << col;
    }
    EXPECT_NE(PixelOfHeader(0, {45, 7}), QColor(128, 128, 128));
}

TEST_F(HeaderDisplay, TheGridTakesTypedCellsAndTabLeavesIt) {
    TypeDataCell(1, 2, "4.5");
    EXPECT_EQ(Doc().Table().Cell(1, 2), "4.5");
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {},
                      Grid()->visualRect(Grid()->model()->index(0, 0)).center());
    Press(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), Grid());
    EXPECT_FALSE(Grid()->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(HeaderDisplay, MovingAColumnByItsHeaderMovesItsCells) {
    Doc().SetText(TField::VariableCount, "2");
    TypeDataCell(1, 1, "7");
    TypeDataCell(2, 1, "8");
    Grid()->horizontalHeader()->moveSection(0, 1);
    QApplication::processEvents();
    EXPECT_EQ(Doc().Table().Cell(1, 0), "X2");
    EXPECT_EQ(Doc().Table().Cell(2, 0), "X1");
    EXPECT_EQ(Grid()->model()->index(0, 0).data().toString(), "8");
    EXPECT_EQ(Grid()->horizontalHeader()->visualIndex(0), 0);
    // Widths dragged in the header belong to the position.
    Grid()->horizontalHeader()->resizeSection(0, 91);
    EXPECT_EQ(Doc().Table().ColWidth(1), 90);
}

class AliasList : public WindowTest {
protected:
    ui::TAliasEditor* Aliases() { return Find<ui::TAliasEditor>("ValueListEditor1"); }
};

TEST_F(AliasList, EditingRules) {
    ClickPage(1);
    ui::TAliasEditor* list = Aliases();
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("变量"));
    EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("别名"));
    TypeCell(list, 0, 0, "x1");
    TypeCell(list, 0, 1, "x");
    ASSERT_EQ(Doc().Aliases().Count(), 1);
    // Down on the last row appends one; a duplicate key is refused.
    Press(Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(Doc().Aliases().Count(), 2);
    TypeCell(list, 1, 0, "X1");
    QApplication::processEvents();
    ASSERT_FALSE(dialogs.Messages.empty());
    EXPECT_EQ(dialogs.Messages.back().Text,
              QString::fromUtf8("A key with the name of \"X1\" already exists."));
    EXPECT_EQ(Doc().Aliases().Key(1), "");
    // The refused text is in the cell's editor again.
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "X1");
    editor->setText("x2");
    Press(Qt::Key_Return);
    EXPECT_EQ(Doc().Aliases().Key(1), "x2");
    // Escape undoes the current row's edits; Ctrl+Delete deletes it.
    TypeCell(list, 1, 1, "y");
    EXPECT_EQ(Doc().Aliases().Value(1), "y");
    Press(Qt::Key_Escape);
    EXPECT_EQ(Doc().Aliases().Value(1), "");
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Doc().Aliases().Count(), 1);
    // An empty row is dropped when it is left.
    list->setCurrentIndex(list->model()->index(0, 0));
    Press(Qt::Key_Down);
    EXPECT_EQ(Doc().Aliases().Count(), 2);
    Press(Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(Doc().Aliases().Count(), 1);
    // Insert only where the current key is not empty.
    Press(Qt::Key_Insert);
    EXPECT_EQ(Doc().Aliases().Count(), 2);
    EXPECT_EQ(Doc().Aliases().Key(1), "x1");
}

} // namespace
} // namespace xtq::uitest

namespace xtq::uitest {
namespace {

TEST_F(HeaderDisplay, AMillionDataPointsAreShownWithoutReadingEveryCell) {
    TypeInto(Edit("EditNuRow"), "1000000");
    ASSERT_EQ(Grid()->model()->rowCount(), 1000000);
    const QModelIndex last = Grid()->model()->index(999999, 0);
    Grid()->scrollTo(last);
    TypeDataCell(1, 1000000, "42");
    EXPECT_EQ(Doc().Table().Cell(1, 1000000), "42");
    EXPECT_EQ(Doc().Table().Cell(0, 1000000), "1000000");
    QApplication::processEvents();
    EXPECT_TRUE(Grid()->visualRect(last).isValid());
}

} // namespace
} // namespace xtq::uitest

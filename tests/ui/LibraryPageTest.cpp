// The formula library part of the formula page driven through its widgets:
// the navigator, editing in the grid, delete with its question, Select
// formula and Save formula library.

#include "WindowTesting.h"
#include "ui/AliasEditor.h"
#include "ui/LibraryGrid.h"
#include "ui/MyStatusBar.h"

#include <QPushButton>
#include <QToolButton>

namespace xtq::uitest {
namespace {

class LibraryPage : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ClickPage(1);
    }
    ui::TLibraryGrid* LibGrid() { return Find<ui::TLibraryGrid>("DBGrid1"); }
    QToolButton* Nav(const char* name) { return Find<QToolButton>(name); }
    TFormulaLibrary& Lib() { return window->Library(); }
    QString Shown(int row, int column) {
        return LibGrid()->model()->index(row, column).data().toString();
    }
    int Column(TLibraryField field) { return static_cast<int>(field); }
};

TEST_F(LibraryPage, GridAndNavigatorAsDesigned) {
    QAbstractItemModel* model = LibGrid()->model();
    ASSERT_EQ(model->columnCount(), 5);
    const char* titles[] = {"序号", "公式左边", "公式", "独立变量数", "变量别名"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c]));
    EXPECT_EQ(LibGrid()->columnWidth(1), 61);
    EXPECT_EQ(LibGrid()->columnWidth(2), 501);
    EXPECT_EQ(LibGrid()->columnWidth(3), 71);
    EXPECT_EQ(LibGrid()->columnWidth(4), 201);
    EXPECT_EQ(model->rowCount(), Lib().RecordCount());
    EXPECT_EQ(Shown(0, 0), "01");

    const char* names[] = {"nbFirst",  "nbPrior", "nbNext", "nbLast",   "nbInsert",
                           "nbDelete", "nbEdit",  "nbPost", "nbCancel", "nbRefresh"};
    const char* hints[] = {"First record",  "Prior record",  "Next record", "Last record",
                           "Insert record", "Delete record", "Edit record", "Post edit",
                           "Cancel edit",   "Refresh data"};
    int left = -1;
    for (int i = 0; i < 10; ++i) {
        QToolButton* button = Nav(names[i]);
        EXPECT_EQ(button->toolTip(), hints[i]);
        EXPECT_GT(button->x(), left) << names[i];
        left = button->x();
    }
    // The hint shows in status panel 0.
    QTest::mouseMove(Nav("nbNext"), Nav("nbNext")->rect().center());
    QApplication::processEvents();
    EXPECT_EQ(Find<ui::TMyStatusBar>("MyStatusBar1")->Panel(0).Text, "Next record");
    EXPECT_FALSE(Nav("nbFirst")->isEnabled());
    EXPECT_FALSE(Nav("nbPost")->isEnabled());
    EXPECT_TRUE(Nav("nbNext")->isEnabled());
}

TEST_F(LibraryPage, NavigatorMovesTheCurrentRecord) {
    QTest::mouseClick(Nav("nbNext"), Qt::LeftButton);
    EXPECT_EQ(Lib().RecNo(), 1);
    EXPECT_EQ(LibGrid()->currentIndex().row(), 1);
    QTest::mouseClick(Nav("nbLast"), Qt::LeftButton);
    EXPECT_EQ(Lib().RecNo(), Lib().RecordCount() - 1);
    EXPECT_FALSE(Nav("nbNext")->isEnabled());
    QTest::mouseClick(Nav("nbPrior"), Qt::LeftButton);
    EXPECT_EQ(Lib().RecNo(), Lib().RecordCount() - 2);
    QTest::mouseClick(Nav("nbFirst"), Qt::LeftButton);
    EXPECT_EQ(Lib().RecNo(), 0);
    // Clicking a row of the grid makes it current.
    QTest::mouseClick(LibGrid()->viewport(), Qt::LeftButton, {},
                      LibGrid()->visualRect(LibGrid()->model()->index(3, 1)).center());
    QApplication::processEvents();
    EXPECT_EQ(Lib().RecNo(), 3);
}

TEST_F(LibraryPage, EditingInPlaceWithTheFieldRules) {
    const int fx = Column(TLibraryField::TemFx);
    TypeCell(LibGrid(), 0, fx, "abcdefgh");
    EXPECT_EQ(Lib().State(), TDataSetState::Edit);
    EXPECT_EQ(Shown(0, fx), "abcdef"); // six bytes at most
    EXPECT_TRUE(Nav("nbPost")->isEnabled());
    QTest::mouseClick(Nav("nbPost"), Qt::LeftButton);
    EXPECT_EQ(Lib().State(), TDataSetState::Browse);
    EXPECT_EQ(Lib().Record(0).TemFx, "abcdef");

    const int vn = Column(TLibraryField::TemVn);
    TypeCell(LibGrid(), 0, vn, "x7");
    EXPECT_EQ(Shown(0, vn), "7"); // only whole numbers can be typed
    QTest::mouseClick(Nav("nbCancel"), Qt::LeftButton);
    EXPECT_EQ(Shown(0, vn), "1");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(LibraryPage, AppendingBelowTheLastAndDroppingItUntouched) {
    const int count = Lib().RecordCount();
    QTest::mouseClick(Nav("nbLast"), Qt::LeftButton);
    LibGrid()->setFocus();
    Press(Qt::Key_Down);
    EXPECT_EQ(Lib().RecordCount(), count + 1);
    EXPECT_EQ(Lib().State(), TDataSetState::Insert);
    EXPECT_EQ(LibGrid()->model()->rowCount(), count + 1);
    Press(Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(Lib().RecordCount(), count);
    EXPECT_EQ(LibGrid()->model()->rowCount(), count);
}

TEST_F(LibraryPage, DeleteAsksFirst) {
    const int count = Lib().RecordCount();
    dialogs.Answers = {false};
    QTest::mouseClick(Nav("nbDelete"), Qt::LeftButton);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "Delete record?");
    EXPECT_EQ(Lib().RecordCount(), count);
    dialogs.Answers = {true};
    LibGrid()->setFocus();
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Messages.size(), 2u);
    EXPECT_EQ(Lib().RecordCount(), count - 1);
    EXPECT_EQ(Shown(0, 0), "02");
}

TEST_F(LibraryPage, SelectCopiesTheCurrentRecordIntoTheDefinition) {
    Doc().SetText(TField::DisplayedFormula, "kept");
    Doc().Aliases().Append("", "old");
    QTest::mouseClick(Nav("nbNext"), Qt::LeftButton);
    ASSERT_EQ(Lib().CurrentRecord().TemAlias, "x1=x,x2=y");
    QTest::mouseClick(Find<QPushButton>("BitBtnSave"), Qt::LeftButton);
    EXPECT_EQ(Edit("EditFd")->text(), "z");
    EXPECT_EQ(Edit("EditFa")->text(), "z");
    EXPECT_EQ(Edit("EditEqual")->text(), "a+b*x1+c*x2");
    EXPECT_EQ(Edit("EditNuCol")->text(), "2");
    EXPECT_EQ(Edit("EditAeq")->text(), "kept");
    auto* aliases = Find<ui::TAliasEditor>("ValueListEditor1");
    ASSERT_EQ(aliases->model()->rowCount(), 2);
    EXPECT_EQ(aliases->model()->index(0, 0).data().toString(), "x1");
    EXPECT_EQ(aliases->model()->index(1, 1).data().toString(), "y");
    EXPECT_EQ(Grid()->model()->columnCount(), 5);
    // The tool button and the menu entry do the same.
    QTest::mouseClick(Nav("nbFirst"), Qt::LeftButton);
    QTest::mouseClick(Find<QToolButton>("TBSelect"), Qt::LeftButton);
    EXPECT_EQ(Edit("EditFd")->text(), "y");
    QTest::mouseClick(Nav("nbNext"), Qt::LeftButton);
    Find<QAction>("Edit_Select")->trigger();
    EXPECT_EQ(Edit("EditFd")->text(), "z");
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(LibraryPage, SaveWritesWhatTheGridShowsAndTheNextStartReadsIt) {
    const int formula = Column(TLibraryField::TemFormula);
    TypeCell(LibGrid(), 0, formula, "a+b*x1+c");
    EXPECT_EQ(Lib().State(), TDataSetState::Edit);
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(Lib().State(), TDataSetState::Browse);
    EXPECT_TRUE(dialogs.Messages.empty());
    Restart();
    EXPECT_EQ(window->Library().Record(0).TemFormula, "a+b*x1+c");
}

TEST_F(LibraryPage, UnsavedChangesAreLostAtTheEnd) {
    TypeCell(LibGrid(), 0, Column(TLibraryField::TemFormula), "changed");
    QTest::mouseClick(Nav("nbPost"), Qt::LeftButton);
    Restart();
    EXPECT_EQ(window->Library().Record(0).TemFormula, "a+b*x1");
}

TEST_F(LibraryPage, AMissingLibraryIsReportedAndTheClosedTableChangesNothing) {
    Restart([&] {
        std::filesystem::remove(install.SysFiles() / "CDSTem.cds");
        dialogs.Messages.clear();
    });
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_TRUE(dialogs.Messages[0].Text.startsWith("Cannot open file \""));
    EXPECT_EQ(Edit("EditNuCol")->text(), "1"); // start-up went on
    ClickPage(1);
    EXPECT_EQ(LibGrid()->model()->rowCount(), 0);
    EXPECT_FALSE(Nav("nbInsert")->isEnabled());
    QTest::mouseClick(Find<QToolButton>("TBSelect"), Qt::LeftButton);
    auto* bar = Find<ui::TMyStatusBar>("MyStatusBar1");
    EXPECT_EQ(bar->Panel(0).Text, QString::fromUtf8(kLibraryClosedSelectMessage));
    EXPECT_EQ(Edit("EditFd")->text(), "Y");
    QTest::mouseClick(Find<QToolButton>("TBTemSave"), Qt::LeftButton);
    EXPECT_EQ(bar->Panel(0).Text, QString::fromUtf8(kLibraryClosedSaveMessage));
    EXPECT_FALSE(std::filesystem::exists(install.SysFiles() / "CDSTem.cds"));
    EXPECT_EQ(dialogs.Messages.size(), 1u);
}

} // namespace
} // namespace xtq::uitest

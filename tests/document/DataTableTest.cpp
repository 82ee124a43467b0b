#include "document/DataTable.h"

#include "document/Document.h"

#include <gtest/gtest.h>
#include <vector>

namespace xtq {
namespace {

// The table of a fresh document, reshaped through the two count fields as the
// window does it.
class DataTableTest : public ::testing::Test {
protected:
    TRegressDocument doc;
    TDataTable& table = doc.Table();

    void Rows(const char* text) { doc.SetText(TField::DataPointCount, text); }
    void Cols(const char* text) { doc.SetText(TField::VariableCount, text); }

    std::vector<std::string> HeaderRow() const {
        std::vector<std::string> headers;
        for (int col = 0; col < table.ColCount(); ++col)
            headers.emplace_back(table.Cell(col, 0));
        return headers;
    }
    std::vector<std::string> Column(int col) const {
        std::vector<std::string> texts;
        for (int row = 0; row < table.RowCount(); ++row)
            texts.emplace_back(table.Cell(col, row));
        return texts;
    }
    std::vector<int> Widths() const {
        std::vector<int> widths;
        for (int col = 0; col < table.ColCount(); ++col)
            widths.push_back(table.ColWidth(col));
        return widths;
    }
};

using Texts = std::vector<std::string>;

TEST_F(DataTableTest, StartUpTable) {
    EXPECT_EQ(doc.Text(TField::DataPointCount), "5");
    EXPECT_EQ(doc.Text(TField::VariableCount), "1");
    EXPECT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.ColCount(), 5);
    EXPECT_EQ(HeaderRow(), (Texts{"", "X1", " Y。 ", " Y` ", " e (%) "}));
    EXPECT_EQ(Column(0), (Texts{"", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(Widths(), (std::vector<int>{64, 64, 64, 120, 80}));
    for (int row = 1; row < 6; ++row)
        for (int col = 1; col < 5; ++col)
            EXPECT_EQ(table.Cell(col, row), "");
    EXPECT_EQ(table.RowHeight(3), 15);
}

TEST_F(DataTableTest, ZeroRowsHidesAndKeepsTheDataRows) {
    table.SetCell(1, 4, "7.5");
    Rows("0");
    EXPECT_EQ(table.RowCount(), 1);
    Rows("-3"); // a negative count is 0 rows too
    EXPECT_EQ(table.RowCount(), 1);
    Rows("5");
    EXPECT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.Cell(1, 4), "7.5");
    EXPECT_EQ(Column(0), (Texts{"", "1", "2", "3", "4", "5"}));
}

TEST_F(DataTableTest, FewerRowsHideRowsThatComeBackUnchanged) {
    table.SetCell(2, 5, "y5");
    table.SetCell(0, 5, "moved");
    Rows("3");
    EXPECT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.Cell(2, 5), "y5"); // stored, not shown
    Rows("5");
    EXPECT_EQ(table.Cell(2, 5), "y5");
    EXPECT_EQ(table.Cell(0, 5), "5"); // row numbers are written again
}

TEST_F(DataTableTest, RowCountTextThatIsNoIntegerOnlyRenumbers) {
    table.SetCell(0, 2, "x");
    Rows("");
    EXPECT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.Cell(0, 2), "2");
    Rows("4a");
    EXPECT_EQ(table.RowCount(), 6);
}

TEST_F(DataTableTest, ColumnCountTextThatIsNoIntegerChangesNothing) {
    Cols("");
    Cols("two");
    EXPECT_EQ(table.ColCount(), 5);
    Cols("2");
    EXPECT_EQ(table.ColCount(), 6);
    EXPECT_EQ(HeaderRow(), (Texts{"", "X1", "X2", " Y。 ", " Y` ", " e (%) "}));
}

TEST_F(DataTableTest, NoVariables) {
    Cols("0");
    EXPECT_EQ(HeaderRow(), (Texts{"", " Y。 ", " Y` ", " e (%) "}));
    Cols("-2"); // taken as 0: the header never reaches column 0
    EXPECT_EQ(HeaderRow(), (Texts{"", " Y。 ", " Y` ", " e (%) "}));
    EXPECT_EQ(doc.Text(TField::VariableCount), "-2");
}

TEST_F(DataTableTest, ChangingTheVariableCountRelabelsWithoutMovingData) {
    Cols("2");
    const Texts row1 = {"1", "x1", "x2", "y", "f", "e"};
    for (int col = 1; col < 6; ++col)
        table.SetCell(col, 1, row1[col]);
    Cols("1");
    EXPECT_EQ(HeaderRow(), (Texts{"", "X1", " Y。 ", " Y` ", " e (%) "}));
    EXPECT_EQ(table.Cell(2, 1), "x2"); // now under the Y header
    EXPECT_EQ(table.Cell(5, 1), "e");  // hidden
    Cols("2");
    for (int col = 0; col < 6; ++col)
        EXPECT_EQ(table.Cell(col, 1), row1[col]);
    // Widths belong to positions: position 3 kept the 120 of the fitted values.
    EXPECT_EQ(Widths(), (std::vector<int>{64, 64, 64, 120, 120, 80}));
}

TEST_F(DataTableTest, TwoDigitHeaders) {
    Cols("12");
    EXPECT_EQ(table.Cell(10, 0), "X10");
    EXPECT_EQ(table.Cell(12, 0), "X12");
    EXPECT_EQ(table.Cell(13, 0), " Y。 ");
    EXPECT_EQ(table.ColCount(), 16);
}

TEST_F(DataTableTest, CountsBeyondTheMaximumChangeNothing) {
    table.SetCell(1, 1, "3");
    struct Case {
        TField field;
        const char* text;
    };
    const Case cases[] = {
        {TField::DataPointCount, "1000001"},
        {TField::DataPointCount, "2147483647"},
        {TField::VariableCount, "101"},
    };
    for (const Case& c : cases) {
        const std::string before = doc.Text(c.field);
        try {
            doc.SetText(c.field, c.text);
            ADD_FAILURE() << c.text;
        } catch (const ECountRangeError& e) {
            EXPECT_NE(e.message().find(c.text), std::string::npos) << e.message();
        }
        EXPECT_EQ(doc.Text(c.field), before);
    }
    EXPECT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.ColCount(), 5);
    EXPECT_EQ(table.Cell(1, 1), "3");
    Rows("99999999999"); // beyond any integer: not a count, as for letters
    EXPECT_EQ(table.RowCount(), 6);
    Cols("100");
    EXPECT_EQ(table.ColCount(), kMaxTableCols);
}

TEST_F(DataTableTest, MovingRowsAndColumnsTakesTheirCells) {
    table.SetCell(1, 1, "a");
    table.SetCell(1, 3, "c");
    table.SetColWidth(1, 99);
    table.SetRowHeight(1, 30);
    table.MoveRow(1, 3);
    EXPECT_EQ(Column(0), (Texts{"", "2", "3", "1", "4", "5"})); // not renumbered
    EXPECT_EQ(Column(1), (Texts{"X1", "", "c", "a", "", ""}));
    EXPECT_EQ(table.RowHeight(3), 30);
    EXPECT_EQ(table.RowHeight(1), 15);
    table.MoveColumn(1, 4);
    EXPECT_EQ(HeaderRow(), (Texts{"", " Y。 ", " Y` ", " e (%) ", "X1"}));
    EXPECT_EQ(Widths(), (std::vector<int>{64, 64, 120, 80, 99}));
    table.MoveColumn(4, 1);
    EXPECT_EQ(HeaderRow(), (Texts{"", "X1", " Y。 ", " Y` ", " e (%) "}));
    EXPECT_THROW(table.MoveRow(0, 2), EInvalidGridOperation);
    EXPECT_THROW(table.MoveColumn(1, 5), EInvalidGridOperation);
}

TEST_F(DataTableTest, CurrentCellStaysInside) {
    table.SetCol(4);
    table.SetRow(5);
    EXPECT_EQ(table.Col(), 4);
    Rows("2");
    EXPECT_EQ(table.Row(), 2);
    Cols("0"); // the rule passes through two columns on its way to four
    EXPECT_EQ(table.Col(), 1);
    table.SetCol(9);
    EXPECT_EQ(table.Col(), 3);
    table.SetCol(0); // fixed column: the first editable one instead
    EXPECT_EQ(table.Col(), 1);
}

TEST_F(DataTableTest, EmptyingInsideTheCountsKeepsHiddenCells) {
    Rows("10");
    table.SetCell(1, 8, "hidden");
    table.SetCell(1, 2, "shown");
    Rows("5");
    table.EmptyCellsInside(0);
    EXPECT_EQ(table.Cell(1, 2), "");
    EXPECT_EQ(table.Cell(1, 0), "");
    EXPECT_EQ(table.Cell(1, 8), "hidden");
}

TEST_F(DataTableTest, CountRulesReportOnce) {
    struct Counter : TDocumentListener {
        int tables = 0;
        int cells = 0;
        void TableChanged() override { ++tables; }
        void CellChanged(int, int) override { ++cells; }
    } counter;
    doc.AddListener(&counter);
    Rows("1000");
    EXPECT_EQ(counter.tables, 1);
    EXPECT_EQ(counter.cells, 0);
    table.SetCell(1, 1, "4");
    table.SetCell(1, 1, "4");
    EXPECT_EQ(counter.cells, 1);
    doc.RemoveListener(&counter);
}

TEST(CellStore, HoldsAMillionDataPointsCompactly) {
    // Six million cells as a document of a million points and two variables
    // holds them: row numbers, two variables, the measured value, a fitted value
    // of 16 characters and an error text.
    TCellStore store;
    constexpr int kRows = 1'000'000;
    for (int row = 1; row <= kRows; ++row) {
        const std::string number = std::to_string(row);
        store.Set(0, row, number);
        store.Set(1, row, number + ".25");
        store.Set(2, row, "-" + number + ".5");
        store.Set(3, row, "12.3456789");
        store.Set(4, row, "12.3456789012345" + std::to_string(row % 10));
        store.Set(5, row, "-0.004567");
    }
    EXPECT_EQ(store.Get(4, 77), "12.34567890123457");
    EXPECT_EQ(store.Get(2, kRows), "-1000000.5");
    EXPECT_LT(store.MemoryBytes(), 200u * 1024 * 1024);
    store.Clear(6, 0, kRows + 1);
    EXPECT_LT(store.MemoryBytes(), 1024u * 1024);
}

TEST(CellStore, OverwrittenTextsUseTheRoomOfTheOldOnes) {
    // Texts of 20 and 30 characters written over each other, as new results
    // over old ones, in 100,000 cells: after the first two rounds the store
    // grows no more, and every cell reads back its last text.
    TCellStore store;
    constexpr int kRows = 100'000;
    const auto text = [](int row, int round) {
        const std::string number = std::to_string(row * 7 + round);
        return std::string((round % 2 == 0 ? 20 : 30) - number.size(), '-') + number;
    };
    size_t afterTwo = 0;
    for (int round = 0; round < 10; ++round) {
        for (int row = 0; row < kRows; ++row)
            store.Set(row % 3, row, text(row, round));
        if (round == 1) afterTwo = store.MemoryBytes();
    }
    EXPECT_EQ(store.MemoryBytes(), afterTwo);
    for (int row = 0; row < kRows; ++row)
        ASSERT_EQ(store.Get(row % 3, row), text(row, 9));
    // Texts of every length from the cell's own text, across the sizes kept
    // inside the cell, in slots and on their own.
    for (size_t length = 40; length > 0; --length) {
        store.Set(5, 5, std::string(length, 'q') + "!");
        store.Set(5, 5, store.Get(5, 5).substr(1));
        ASSERT_EQ(store.Get(5, 5), std::string(length - 1, 'q') + "!");
    }
}

TEST(CellStore, TextsOfAnyLength) {
    TCellStore store;
    const std::string lengths[] = {"",
                                   "a",
                                   std::string(14, 'b'),
                                   std::string(15, 'c'),
                                   std::string(100000, 'd'),
                                   std::string("\0z", 2)};
    for (int i = 0; i < 6; ++i)
        store.Set(i, 2, lengths[i]);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(store.Get(i, 2), lengths[i]);
    store.Set(4, 2, store.Get(4, 2).substr(10)); // from its own text
    EXPECT_EQ(store.Get(4, 2).size(), 99990u);
    store.Set(3, 2, store.Get(3, 2).substr(1));
    EXPECT_EQ(store.Get(3, 2), std::string(14, 'c'));
    EXPECT_EQ(store.Get(-1, 0), "");
    EXPECT_EQ(store.Get(100, 100), "");
}

} // namespace
} // namespace xtq

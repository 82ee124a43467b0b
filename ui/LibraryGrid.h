#pragma once
// The formula library on the formula page: DBGrid1, the table CDSTem with its
// row indicator and five titled columns, and DBNavigator1, its record
// navigator of ten buttons. Both work on the current record of the
// TFormulaLibrary and show its state after every step.

#include "ui/AliasEditor.h" // TCommandRunner

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>
#include <array>
#include <functional>

class QToolButton;

namespace xtq {
class TFormulaLibrary;
}

namespace xtq::ui {

class IUserDialogs;

class TLibraryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TLibraryModel(TFormulaLibrary& library, TCommandRunner run, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // After the table changed: a new number of rows resets the model,
    // otherwise every row is reported changed.
    void Refresh();

private:
    TFormulaLibrary& library_;
    TCommandRunner run_;
    int rows_ = 0;
};

class TLibraryGrid : public TEditingGrid {
    Q_OBJECT

public:
    // `confirmDelete` asks "Delete record?"; true for OK.
    TLibraryGrid(TFormulaLibrary& library, TCommandRunner run, std::function<bool()> confirmDelete,
                 QWidget* parent);

    TFormulaLibrary& Library() { return library_; }
    // Shows the table as it is now and makes its current record current.
    void Refresh();
    // Stores the text of an open cell editor into the record.
    bool CommitEditor();
    // Called after every change that the grid made to the table.
    std::function<void()> Changed;

    // The navigator's and Ctrl+Delete's delete: asks first.
    void DeleteAsked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;

private:
    void AfterStep();
    // The table's state changed without a change of rows: the indicator and
    // the navigator show it.
    void StateShown();

    TFormulaLibrary& library_;
    TCommandRunner run_;
    std::function<bool()> confirmDelete_;
    TLibraryModel* model_;
    bool syncing_ = false;
    bool refreshQueued_ = false;
};

// The ten buttons: first, prior, next, last; insert, delete, edit; post,
// cancel; refresh.
enum class TNavigateButton {
    First,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Edit,
    Post,
    Cancel,
    Refresh
};
inline constexpr int kNavigateButtonCount = 10;

class TLibraryNavigator : public QWidget {
    Q_OBJECT

public:
    TLibraryNavigator(TLibraryGrid& grid, TCommandRunner run, QWidget* parent);

    QToolButton* Button(TNavigateButton button) const {
        return buttons_[static_cast<size_t>(button)];
    }
    // Enables the buttons for the table's state.
    void UpdateButtons();
    void Click(TNavigateButton button);

private:
    TLibraryGrid& grid_;
    TCommandRunner run_;
    std::array<QToolButton*, kNavigateButtonCount> buttons_{};
};

} // namespace xtq::ui

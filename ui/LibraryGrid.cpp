#include "ui/LibraryGrid.h"

#include "document/FormulaLibrary.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QValidator>
#include <algorithm>

namespace xtq::ui {
namespace {

TLibraryField FieldOfColumn(int column) {
    return static_cast<TLibraryField>(std::clamp(column, 0, kLibraryFieldCount - 1));
}

// Typing is limited to what the field holds: its width in GBK bytes, and for
// 独立变量数 the characters of a whole number.
class TFieldValidator : public QValidator {
public:
    TFieldValidator(TLibraryField field, QObject* parent) : QValidator(parent), field_(field) {}

    State validate(QString& input, int&) const override {
        if (field_ == TLibraryField::TemVn) {
            for (const QChar c : input)
                if (!c.isDigit() && c != u'+' && c != u'-') return Invalid;
            return Acceptable;
        }
        const std::string text = ToUtf8(input);
        return FitFieldWidth(field_, text) == text ? Acceptable : Invalid;
    }

private:
    TLibraryField field_;
};

class TLibraryDelegate : public QStyledItemDelegate {
public:
    TLibraryDelegate(TFormulaLibrary& library, TCommandRunner run, std::function<void()> edited,
                     QObject* parent)
        : QStyledItemDelegate(parent), library_(library), run_(std::move(run)),
          edited_(std::move(edited)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        // Typing into the grid edits the current record.
        run_([this] { library_.Edit(); });
        edited_();
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setValidator(new TFieldValidator(FieldOfColumn(index.column()), editor));
        return editor;
    }

private:
    TFormulaLibrary& library_;
    TCommandRunner run_;
    std::function<void()> edited_;
};

// The row indicator: an arrow at the current record, "I" while it is edited,
// "*" while it is inserted.
class TIndicatorHeader : public QHeaderView {
public:
    TIndicatorHeader(TFormulaLibrary& library, QWidget* parent)
        : QHeaderView(Qt::Vertical, parent), library_(library) {
        setSectionsClickable(false);
        setHighlightSections(false);
        setSectionResizeMode(QHeaderView::Fixed);
        setMinimumSectionSize(1);
        setDefaultSectionSize(18);
        setFixedWidth(12);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        painter->fillRect(rect, palette().button());
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        if (logicalIndex != library_.RecNo()) return;
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->setBrush(palette().color(QPalette::ButtonText));
        const QPoint c = rect.center();
        switch (library_.State()) {
        case TDataSetState::Browse: {
            const QPoint arrow[3] = {
                {c.x() - 2, c.y() - 4}, {c.x() + 2, c.y()}, {c.x() - 2, c.y() + 4}};
            painter->drawPolygon(arrow, 3);
            break;
        }
        case TDataSetState::Edit:
            painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
            painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
            painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
            break;
        case TDataSetState::Insert:
            painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
            break;
        case TDataSetState::Inactive:
            break;
        }
    }

private:
    TFormulaLibrary& library_;
};

} // namespace

// ---- TLibraryModel ----

TLibraryModel::TLibraryModel(TFormulaLibrary& library, TCommandRunner run, QObject* parent)
    : QAbstractTableModel(parent), library_(library), run_(std::move(run)) {}

int TLibraryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TLibraryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kLibraryFieldCount;
}

QVariant TLibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    if (index.row() >= library_.RecordCount()) return QString();
    return QString::fromStdString(
        RecordFieldText(library_.Record(index.row()), FieldOfColumn(index.column())));
}

QVariant TLibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromUtf8(LibraryFieldDef(FieldOfColumn(section)).DisplayLabel);
}

bool TLibraryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !library_.Active()) return false;
    const std::string text = ToUtf8(value.toString());
    const TLibraryField field = FieldOfColumn(index.column());
    if (index.row() < library_.RecordCount() &&
        RecordFieldText(library_.Record(index.row()), field) == text)
        return true;
    return run_([&] {
        if (!library_.IsEmpty() && index.row() != library_.RecNo()) library_.MoveTo(index.row());
        library_.SetFieldText(field, text);
    });
}

Qt::ItemFlags TLibraryModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TLibraryModel::Refresh() {
    // An open, empty table shows one empty row to type into.
    const int rows = library_.Active() ? std::max(1, library_.RecordCount()) : 0;
    if (rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
        return;
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kLibraryFieldCount - 1));
    emit headerDataChanged(Qt::Vertical, 0, std::max(0, rows_ - 1));
}

// ---- TLibraryGrid ----

TLibraryGrid::TLibraryGrid(TFormulaLibrary& library, TCommandRunner run,
                           std::function<bool()> confirmDelete, QWidget* parent)
    : TEditingGrid(parent), library_(library), run_(std::move(run)),
      confirmDelete_(std::move(confirmDelete)) {
    setObjectName("DBGrid1");
    model_ = new TLibraryModel(library_, run_, this);
    setVerticalHeader(new TIndicatorHeader(library_, this));
    setModel(model_);
    setItemDelegate(new TLibraryDelegate(
        library_, run_, [this] { StateShown(); }, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setWordWrap(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setFixedHeight(19);
    // Column widths: TemNo fitted to its six characters (or its title).
    const QFontMetrics metrics(font());
    for (int column = 0; column < kLibraryFieldCount; ++column) {
        const TFieldDef& def = LibraryFieldDef(FieldOfColumn(column));
        int width = def.DisplayWidth;
        if (width == 0) {
            width = std::max(metrics.horizontalAdvance(QString(def.Size, u'0')),
                             metrics.horizontalAdvance(QString::fromUtf8(def.DisplayLabel))) +
                    4;
        }
        horizontalHeader()->resizeSection(column, width + 1);
    }
    Refresh();
}

void TLibraryGrid::Refresh() {
    syncing_ = true;
    model_->Refresh();
    const int row = library_.RecNo();
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex at = model_->index(std::max(0, row), column);
    if (at.isValid() && currentIndex() != at) {
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        scrollTo(at);
    }
    verticalHeader()->viewport()->update();
    viewport()->update();
    syncing_ = false;
}

void TLibraryGrid::StateShown() {
    verticalHeader()->viewport()->update();
    if (Changed) Changed();
}

void TLibraryGrid::commitData(QWidget* editor) {
    QTableView::commitData(editor);
    StateShown();
}

void TLibraryGrid::AfterStep() {
    Refresh();
    if (Changed) Changed();
}

bool TLibraryGrid::CommitEditor() {
    if (!TEditingGrid::CommitEditor()) return false;
    AfterStep();
    return true;
}

void TLibraryGrid::DeleteAsked() {
    if (!library_.Active() || library_.IsEmpty()) return;
    if (!confirmDelete_()) return;
    run_([this] { library_.Delete(); });
    AfterStep();
}

void TLibraryGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid() || !library_.Active() || library_.IsEmpty()) return;
    if (current.row() == library_.RecNo()) {
        if (Changed) Changed();
        return;
    }
    // Leaving a record stores its edit (or drops an untouched appended one);
    // the rows may then change, so the view follows once it has moved.
    run_([this, row = current.row()] { library_.MoveTo(row); });
    if (!refreshQueued_) {
        refreshQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                refreshQueued_ = false;
                AfterStep();
            },
            Qt::QueuedConnection);
    }
}

void TLibraryGrid::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!library_.Active()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    if (event->key() == Qt::Key_Down && mods == Qt::NoModifier &&
        row >= library_.RecordCount() - 1) {
        // Below the last record a new one is appended, unless the last one is
        // an appended record still untouched.
        if (!(library_.State() == TDataSetState::Insert && !library_.Modified()))
            run_([this] { library_.Append(); });
        AfterStep();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Insert && mods == Qt::NoModifier) {
        run_([this] { library_.Insert(); });
        AfterStep();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && mods == Qt::ControlModifier) {
        DeleteAsked();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        run_([this] { library_.Cancel(); });
        AfterStep();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// ---- TLibraryNavigator ----

TLibraryNavigator::TLibraryNavigator(TLibraryGrid& grid, TCommandRunner run, QWidget* parent)
    : QWidget(parent), grid_(grid), run_(std::move(run)) {
    setObjectName("DBNavigator1");
    static const char* const kIcons[kNavigateButtonCount] = {
        "first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel", "refresh"};
    static const char* const kHints[kNavigateButtonCount] = {
        "First record",  "Prior record", "Next record", "Last record", "Insert record",
        "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};
    static const char* const kNames[kNavigateButtonCount] = {
        "nbFirst",  "nbPrior", "nbNext", "nbLast",   "nbInsert",
        "nbDelete", "nbEdit",  "nbPost", "nbCancel", "nbRefresh"};
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(kNames[i]);
        button->setIcon(QIcon(QString(":/xtq/icons/nav-%1.svg").arg(kIcons[i])));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(QString::fromUtf8(kHints[i]));
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        const auto which = static_cast<TNavigateButton>(i);
        connect(button, &QToolButton::clicked, this, [this, which] { Click(which); });
        layout->addWidget(button);
        buttons_[static_cast<size_t>(i)] = button;
    }
    setFocusPolicy(Qt::TabFocus);
    UpdateButtons();
}

void TLibraryNavigator::UpdateButtons() {
    TFormulaLibrary& library = grid_.Library();
    const bool active = library.Active();
    const bool editing =
        library.State() == TDataSetState::Edit || library.State() == TDataSetState::Insert;
    const bool empty = library.IsEmpty();
    const bool bof = library.RecNo() <= 0;
    const bool eof = library.RecNo() >= library.RecordCount() - 1;
    auto enable = [this](TNavigateButton button, bool on) { Button(button)->setEnabled(on); };
    enable(TNavigateButton::First, active && !bof);
    enable(TNavigateButton::Prior, active && !bof);
    enable(TNavigateButton::Next, active && !eof);
    enable(TNavigateButton::Last, active && !eof);
    enable(TNavigateButton::Insert, active);
    enable(TNavigateButton::Delete, active && !empty);
    enable(TNavigateButton::Edit, active && !editing);
    enable(TNavigateButton::Post, active && editing);
    enable(TNavigateButton::Cancel, active && editing);
    enable(TNavigateButton::Refresh, active);
}

void TLibraryNavigator::Click(TNavigateButton button) {
    TFormulaLibrary& library = grid_.Library();
    grid_.CommitEditor();
    switch (button) {
    case TNavigateButton::First:
        run_([&] { library.First(); });
        break;
    case TNavigateButton::Prior:
        run_([&] { library.Prior(); });
        break;
    case TNavigateButton::Next:
        run_([&] { library.Next(); });
        break;
    case TNavigateButton::Last:
        run_([&] { library.Last(); });
        break;
    case TNavigateButton::Insert:
        run_([&] { library.Insert(); });
        break;
    case TNavigateButton::Delete:
        grid_.DeleteAsked();
        break;
    case TNavigateButton::Edit:
        run_([&] { library.Edit(); });
        break;
    case TNavigateButton::Post:
        run_([&] { library.Post(); });
        break;
    case TNavigateButton::Cancel:
        run_([&] { library.Cancel(); });
        break;
    case TNavigateButton::Refresh:
        run_([&] { library.Refresh(); });
        break;
    }
    grid_.Refresh();
    UpdateButtons();
}

} // namespace xtq::ui

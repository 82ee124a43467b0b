#include "ui/Unit1.h"

#include "core/Heartbeat.h"
#include "document/CommandErrors.h"
#include "ui/AliasEditor.h"
#include "ui/DataGrid.h"
#include "ui/LibraryGrid.h"
#include "ui/ManualText.h"
#include "ui/MyStatusBar.h"
#include "ui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <exception>

namespace xtq::ui {
namespace {

constexpr const char* kDocumentFilter = "方程回归数据文件(*.rgs)";
// After the options file could not be written at a close.
constexpr const char* kCloseAnywayQuestion =
    "最近打开的文件列表无法保存。仍然关闭窗口（不保存该列表）吗？";

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- Construction ----

TFormRegress::TFormRegress(const std::string& executablePath, IUserDialogs& dialogs,
                           QWidget* parent)
    : QMainWindow(parent), model_(executablePath), dialogs_(dialogs) {
    const TCommandRunner run = [this](const std::function<void()>& c) { return RunCommand(c); };
    CreateDesign(this, TDesignModels{Document(), Library(), run, [this] {
                                         return dialogs_.MessageBox(
                                             this, QString::fromUtf8(kDeleteRecordPrompt),
                                             "Confirm", TMessageIcon::Question,
                                             TMessageButtons::OkCancel);
                                     }});
    setWindowTitle(Q(Document().Text(TField::Title)));
    BindControls();
    BindActions();
    Document().AddListener(this);
    Document().SetProgress(this);
    model_.SetListener(this);
    qApp->installEventFilter(this);
    FormCreate();
}

TFormRegress::~TFormRegress() {
    qApp->removeEventFilter(this);
    model_.SetListener(nullptr);
    Document().SetProgress(nullptr);
    Document().RemoveListener(this);
}

// ---- Binding to the model ----

void TFormRegress::BindControls() {
    // The controls that show the document's fields, by their names.
    fieldControls_ = {
        {TField::LeftName, EditFd},          {TField::LeftNameMirror, EditFa},
        {TField::RightSide, EditEqual},      {TField::DisplayedFormula, EditAeq},
        {TField::DataPointCount, EditNuRow}, {TField::VariableCount, EditNuCol},
        {TField::Correlation, LabelR},       {TField::MaxError, Labelem},
        {TField::MeanError, Labelea},        {TField::Coefficients, MemoCoefs},
        {TField::FittedFormula, MemoResult},
    };
    for (const auto& [field, control] : fieldControls_)
        if (auto* edit = qobject_cast<QLineEdit*>(control)) BindField(edit, field);
    EditFd->installEventFilter(this);
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { PageChanged(index); });
    connect(MyStatusBar1->CancelButton(), &QToolButton::clicked, this, [] { RequestStop(); });
}

void TFormRegress::BindActions() {
    connect(File_New, &QAction::triggered, this, [this] { File_NewClick(); });
    connect(File_Open, &QAction::triggered, this, [this] { File_OpenClick(); });
    connect(File_Save, &QAction::triggered, this, [this] { File_SaveClick(TSaveKind::Save); });
    connect(File_Saveas, &QAction::triggered, this, [this] { File_SaveClick(TSaveKind::SaveAs); });
    connect(File_Exit, &QAction::triggered, this, [this] { File_ExitClick(); });
    connect(Cal_Regress, &QAction::triggered, this, [this] { SBRegressClick(); });
    connect(Edit_Select, &QAction::triggered, this, [this] { Edit_SelectClick(); });
    connect(Edit_Save, &QAction::triggered, this, [this] { Edit_SaveClick(); });
    connect(AARS1, &QAction::triggered, this, [this] { AARS1Click(); });
    // The push buttons run the actions of their commands.
    connect(SBRegress, &QPushButton::clicked, Cal_Regress, &QAction::trigger);
    connect(BitBtnSave, &QPushButton::clicked, Edit_Select, &QAction::trigger);
    connect(BitBtn1, &QPushButton::clicked, Edit_Save, &QAction::trigger);
}

void TFormRegress::BindField(QLineEdit* edit, TField field) {
    edit->setText(Q(Document().Text(field)));
    if (edit->isReadOnly()) return;
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        if (!RunCommand([&] { Document().SetText(field, ToUtf8(text)); }))
            ShowField(field); // the refused text goes back to the model's
    });
}

void TFormRegress::ShowField(TField field) {
    const QString text = Q(Document().Text(field));
    switch (field) {
    case TField::StatusMessage:
        MyStatusBar1->SetPanelText(0, text);
        return;
    case TField::Title:
        setWindowTitle(text);
        return;
    case TField::LeftName:
        Tabelle->HeaderDisplayChanged();
        break;
    default:
        break;
    }
    for (const auto& [f, control] : fieldControls_) {
        if (f != field) continue;
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            if (edit->text() != text) edit->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(text);
            label->adjustSize();
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
            if (memo->toPlainText() != text) memo->setPlainText(text);
        }
    }
}

void TFormRegress::FieldChanged(TField field) {
    ShowField(field);
}

void TFormRegress::AliasListChanged() {
    ValueListEditor1->ListChanged();
    Tabelle->HeaderDisplayChanged();
}

void TFormRegress::CellChanged(int col, int row) {
    Tabelle->CellChanged(col, row);
}

void TFormRegress::TableChanged() {
    Tabelle->TableChanged();
}

void TFormRegress::CurrentCellChanged() {
    Tabelle->CurrentCellChanged();
}

void TFormRegress::RecentFilesChanged() {
    RebuildRecentMenu();
}

void TFormRegress::LibraryChanged() {
    DBGrid1->Refresh();
    DBNavigator1->UpdateButtons();
}

// ---- The common error rule ----

bool TFormRegress::RunCommand(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const ECommandCancelled& stopped) {
        Document().SetText(TField::StatusMessage, stopped.what());
    } catch (const std::exception& error) {
        ShowError(error.what());
    } catch (...) {
        ShowError("Unknown error");
    }
    return false;
}

void TFormRegress::ShowError(const std::string& message) {
    ShowMessage(Q(ErrorBoxText(message)), Q(model_.ApplicationTitle()), TMessageIcon::Error);
}

void TFormRegress::ShowMessage(const QString& text, const QString& title, TMessageIcon icon) {
    dialogs_.MessageBox(this, text, title, icon, TMessageButtons::Ok);
}

// ---- Enabling ----

void TFormRegress::UpdateEnabling() {
    const bool idle = !progressShown_;
    const bool formula = PageControl1->currentIndex() == kFormulaPage;
    for (QAction* command :
         {File_New, File_Open, File_Save, File_Saveas, File_Exit, Cal_Regress, AARS1})
        command->setEnabled(idle);
    for (QAction* item : recentItems_)
        item->setEnabled(idle);
    menuBar()->setEnabled(idle);
    Main_Edit->menuAction()->setEnabled(formula);
    Edit_Select->setEnabled(formula && idle);
    Edit_Save->setEnabled(formula && idle);
    SBRegress->setEnabled(idle);
    BitBtnSave->setEnabled(idle);
    BitBtn1->setEnabled(idle);
    MyStatusBar1->SetCancelShown(!idle);
}

// ---- Progress of the long commands ----

bool TFormRegress::RefusedWhileBusy() {
    if (!Document().Busy()) return false;
    // No box: a modal box inside the running command would run its own loop.
    Document().SetText(TField::StatusMessage, kBusyMessage);
    return true;
}

void TFormRegress::ProgressBegin() {
    MyStatusBar1->ProgressBar()->setValue(0);
}

void TFormRegress::ProgressPosition(int percent) {
    // Only commands that run longer than the document's interval come here,
    // at most once per interval: the window shows them as busy and repaints.
    if (!progressShown_) {
        progressShown_ = true;
        UpdateEnabling();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    MyStatusBar1->ProgressBar()->setValue(std::clamp(percent, 0, 100));
    // Every event runs; user input other than Cancel and Esc is held back
    // by the event filter.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TFormRegress::ProgressEnd() {
    MyStatusBar1->ProgressBar()->setValue(0);
    if (progressShown_) {
        progressShown_ = false;
        UpdateEnabling();
        QApplication::restoreOverrideCursor();
    }
    // The system's close request waited for the command to stop.
    if (systemClose_) QTimer::singleShot(0, this, [this] { close(); });
}

bool TFormRegress::HeldBackWhileBusy(QObject* watched, QEvent* event) {
    if (!progressShown_ || !IsUserInput(event->type())) return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        RequestStop();
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget == MyStatusBar1->CancelButton()) return false;
    return widget == nullptr || widget->window() == this;
}

// ---- Start-up and shut-down ----

void TFormRegress::FormCreate() {
    // The top-left corner of the screen; then the model's steps: the options
    // file and the recent-file entries, the formula library, the decimal
    // separator and the counts. An error in a step is shown and the later
    // steps still run, so the program always starts usable.
    move(0, 0);
    model_.StartUp([this](const std::exception& error) { ShowError(error.what()); });
    UpdateEnabling();
}

bool TFormRegress::FormCloseQuery() {
    if (RunCommand([this] { model_.ShutDown(); })) return true;
    // A read-only installation must not keep the window open for ever.
    return dialogs_.MessageBox(this, QString::fromUtf8(kCloseAnywayQuestion),
                               Q(model_.ApplicationTitle()), TMessageIcon::Question,
                               TMessageButtons::YesNo);
}

void TFormRegress::SystemCloseRequest() {
    systemClose_ = true;
    if (Document().Busy()) {
        RequestStop(); // ProgressEnd closes the window
        return;
    }
    close();
}

void TFormRegress::closeEvent(QCloseEvent* event) {
    if (RefusedWhileBusy()) {
        event->ignore();
        return;
    }
    if (systemClose_) {
        // Nobody is there to answer a box: the list is written if it can be.
        try {
            model_.ShutDown();
        } catch (const std::exception&) {
        }
        event->accept();
        return;
    }
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TFormRegress::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placed_) return;
    placed_ = true;
    move(0, 0);
}

// ---- Recent files ----

void TFormRegress::RebuildRecentMenu() {
    for (QAction* item : recentItems_) {
        Main_File->removeAction(item);
        delete item;
    }
    recentItems_.clear();
    const auto& entries = RecentFiles().Entries();
    if (entries.empty()) return;
    if (recentSeparator_ == nullptr) {
        recentSeparator_ = new QAction(Main_File);
        recentSeparator_->setSeparator(true);
        recentSeparator_->setObjectName("RecentSeparator");
        Main_File->insertAction(File_Exit, recentSeparator_);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        auto* item = new QAction(Main_File);
        item->setObjectName(Q(entries[i].Name));
        // The caption is the path itself: "&" is not an access key here.
        item->setText(Q(entries[i].Caption).replace('&', "&&"));
        const int index = static_cast<int>(i);
        connect(item, &QAction::triggered, this, [this, index] { File_OpenRecentClick(index); });
        item->setEnabled(!progressShown_);
        Main_File->insertAction(recentSeparator_, item);
        recentItems_.push_back(item);
    }
}

// ---- Commands ----

void TFormRegress::CommitEditors() {
    Tabelle->CommitEditor();
    ValueListEditor1->CommitEditor();
    DBGrid1->CommitEditor();
}

std::optional<QString> TFormRegress::AskFileName(TFileDialogKind kind) {
    TFileDialogOptions options;
    options.Kind = kind;
    options.Directory = QFile::decodeName(QByteArray::fromStdString(DataDir()));
    options.Filter = QString::fromUtf8(kDocumentFilter);
    options.DefaultSuffix = "rgs";
    return dialogs_.FileName(this, options);
}

void TFormRegress::File_NewClick() {
    if (RefusedWhileBusy()) return;
    const std::optional<QString> path = AskFileName(TFileDialogKind::Save);
    if (!path) return;
    RunCommand([&] { Document().NewDocument(ToUtf8(*path)); });
}

void TFormRegress::File_OpenClick() {
    if (RefusedWhileBusy()) return;
    const std::optional<QString> chosen = AskFileName(TFileDialogKind::Open);
    if (!chosen) return;
    RunCommand([&] { Document().OpenDocument(ToUtf8(*chosen)); });
}

void TFormRegress::File_OpenRecentClick(int index) {
    if (RefusedWhileBusy()) return;
    RunCommand([&] { model_.OpenRecentFile(index); });
}

void TFormRegress::File_SaveClick(TSaveKind kind) {
    if (RefusedWhileBusy()) return;
    CommitEditors();
    if (kind == TSaveKind::Save && !Document().SaveNeedsPath()) {
        RunCommand([this] { Document().SaveDocument(); });
        return;
    }
    // Save without a current file asks like Save As.
    const std::optional<QString> path = AskFileName(TFileDialogKind::Save);
    if (!path) return;
    RunCommand([&] { Document().SaveDocumentAs(ToUtf8(*path)); });
}

void TFormRegress::File_ExitClick() {
    if (RefusedWhileBusy()) return;
    close();
}

void TFormRegress::SBRegressClick() {
    if (RefusedWhileBusy()) return;
    CommitEditors();
    RunCommand([this] { Document().Regress(); });
}

void TFormRegress::Edit_SelectClick() {
    if (RefusedWhileBusy()) return;
    CommitEditors();
    RunCommand([this] { model_.SelectFormula(); });
}

void TFormRegress::Edit_SaveClick() {
    if (RefusedWhileBusy()) return;
    // What the grid shows is saved: a record being edited is posted first.
    CommitEditors();
    RunCommand([this] { model_.SaveFormulaLibrary(); });
    LibraryChanged();
}

void TFormRegress::AARS1Click() {
    ShowMessage(AboutLines().join(QChar('\n')), QString::fromUtf8(kAboutTitle),
                TMessageIcon::Information);
}

// ---- Window rules ----

void TFormRegress::PageChanged(int index) {
    const int leaving = currentPage_;
    if (index == leaving) return;
    if (RefusedWhileBusy()) {
        const QSignalBlocker blocker(PageControl1);
        PageControl1->setCurrentIndex(leaving);
        return;
    }
    CommitEditors();
    if (!PageControl1Changing(leaving)) {
        // Back to the page that was left.
        const QSignalBlocker blocker(PageControl1);
        PageControl1->setCurrentIndex(leaving);
        EditFd->setFocus(Qt::OtherFocusReason);
        return;
    }
    currentPage_ = index;
    PageControl1Change();
}

bool TFormRegress::PageControl1Changing(int leaving) {
    if (leaving != kFormulaPage) return true;
    // A blank left-side name keeps the formula page (its check would
    // otherwise have to put the focus into a page no longer shown).
    if (Document().LeftSideNameIsBlank()) {
        ShowMessage(QString::fromUtf8(kBlankNameMessage), QString::fromUtf8(kBlankNameTitle),
                    TMessageIcon::Error);
        return false;
    }
    RunCommand([this] { Document().ApplyDefinition(); });
    return true;
}

void TFormRegress::PageControl1Change() {
    UpdateEnabling();
}

void TFormRegress::EditFdExit() {
    if (checkingName_ || !Document().LeftSideNameIsBlank()) return;
    if (PageControl1->currentIndex() != kFormulaPage || EditFd->hasFocus()) return;
    checkingName_ = true;
    ShowMessage(QString::fromUtf8(kBlankNameMessage), QString::fromUtf8(kBlankNameTitle),
                TMessageIcon::Error);
    EditFd->setFocus(Qt::OtherFocusReason);
    checkingName_ = false;
}

// ---- Events ----

bool TFormRegress::event(QEvent* event) {
    // The status message shows the hints of the control under the mouse
    // (UpdateHint), not Qt's status tips.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

void TFormRegress::UpdateHint(QWidget* underMouse) {
    QString hint;
    for (QWidget* w = underMouse; w != nullptr && w != this; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty()) {
            hint = w->toolTip();
            break;
        }
    }
    if (hint == hint_) return;
    hint_ = hint;
    Document().SetText(TField::StatusMessage, ToUtf8(hint));
}

bool TFormRegress::eventFilter(QObject* watched, QEvent* event) {
    if (HeldBackWhileBusy(watched, event)) return true;
    if (watched == EditFd && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Not when the window loses the focus (a message box, another
        // program) nor when the formula page is being left: the page rule
        // checks the name then. The check runs once the focus has moved.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            PageControl1->currentIndex() == kFormulaPage)
            QMetaObject::invokeMethod(
                this, [this] { EditFdExit(); }, Qt::QueuedConnection);
        return false;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            UpdateHint(event->type() == QEvent::Enter ? widget : widget->parentWidget());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace xtq::ui

#pragma once
// The main window TFormRegress: its design (menus, tool bar, the three pages
// and the status bar), the binding of its controls to the document model, the
// window rules (page change, left-side name, enabling) and the handlers of
// every command. Errors that end a command are shown in one place, RunCommand.

#include "document/Document.h"
#include "document/FormulaLibrary.h"
#include "document/RecentFiles.h"
#include "ui/UserDialogs.h"

#include <QMainWindow>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace xtq::ui {

class TAliasEditor;
class TDataGrid;
class TLibraryGrid;
class TLibraryNavigator;
class TMyStatusBar;

// The window's design: the font "宋体" at 12 pixels (mapped to an installed
// Simplified-Chinese face where it is missing), for the application too.
QFont DesignFont();
void InstallDesignFont();

// The document's long commands (Open, Regress, Save, Save As) report to the
// window as its IProgress: the progress bar in the status bar's panel PIndex
// shows the position, the window repaints meanwhile (user input waits), the
// command controls are disabled, and a command started meanwhile is refused
// with kBusyMessage in status panel 0.
class TFormRegress : public QMainWindow,
                     public TDocumentListener,
                     public IRecentFiles,
                     public IProgress {
    Q_OBJECT

public:
    // Builds the window from its design and runs FormCreate. `executablePath`
    // is the path of the running executable: the program folder, the library
    // file, the options file and the dialogs' starting folder follow from it.
    TFormRegress(const std::string& executablePath, IUserDialogs& dialogs,
                 QWidget* parent = nullptr);
    ~TFormRegress() override;

    TRegressDocument& Document() { return document_; }
    TRecentFiles& RecentFiles() { return recent_; }
    TFormulaLibrary& Library() { return library_; }
    const std::string& ProgramDir() const { return programDir_; }
    const std::string& DataDir() const { return dataDir_; }
    const std::string& LibraryFileName() const { return libraryFile_; }
    // The title of error boxes: "Xtq" for the executable XTQ.
    const QString& ApplicationTitleText() const { return appTitle_; }

    // The common error rule: runs the command; an error that escapes it is
    // shown in a message box (its text, "." appended by ErrorBoxText) titled
    // with the application title. Returns false when the command failed.
    bool RunCommand(const std::function<void()>& command);
    void ShowError(const std::string& message);

    // Command handlers; `sender` is the control that invoked them.
    void File_NewClick();
    void File_OpenClick(QObject* sender);
    void File_SaveClick(QObject* sender);
    void File_ExitClick();
    void SBRegressClick();
    void Edit_SelectClick();
    void Edit_SaveClick();
    void AARS1Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // TDocumentListener
    void FieldChanged(TField field) override;
    void AliasListChanged() override;
    void CellChanged(int col, int row) override;
    void TableChanged() override;
    void CurrentCellChanged() override;

    // IRecentFiles: Open and Save As put the name at the top of the list.
    void AddRecentFile(const std::string& fileName) override;

public:
    // IProgress, called by the running command on the GUI thread.
    void ProgressBegin() override;
    void ProgressPosition(int percent) override;
    void ProgressEnd() override;

protected:
private:
    void CreateDesign();
    void CreateMenus();
    void CreateToolBar();
    void CreateComputationPage();
    void CreateFormulaPage();
    void CreateManualPage();
    void CreateStatusBar();
    void BindField(QLineEdit* edit, TField field);
    void ShowField(TField field);
    void SetTabOrders();

    void FormCreate();
    bool FormCloseQuery();
    void RebuildRecentMenu();

    // Page change: PageControl1Changing before the new page counts as shown
    // (false refuses the change), PageControl1Change after it.
    void PageChanged(int index);
    bool PageControl1Changing(int leaving);
    void PageControl1Change();
    void EditFdExit();
    void UpdateHint(QWidget* underMouse);

    std::optional<QString> AskFileName(TFileDialogKind kind);
    void ShowMessage(const QString& text, const QString& title, TMessageIcon icon);
    // True (and kBusyMessage in status panel 0) while a command runs.
    bool RefusedWhileBusy();
    void SetCommandControlsEnabled(bool enabled);

    std::string executablePath_;
    IUserDialogs& dialogs_;
    QString appTitle_;
    std::string programDir_;
    std::string libraryFile_;
    std::string dataDir_;
    TRegressDocument document_;
    TRecentFiles recent_;
    TFormulaLibrary library_;

    // Controls by their names.
    QMenu* Main_File = nullptr;
    QMenu* MainCal = nullptr;
    QMenu* Main_Edit = nullptr;
    QAction* File_New = nullptr;
    QAction* File_Open = nullptr;
    QAction* File_Save = nullptr;
    QAction* File_Saveas = nullptr;
    QAction* File_Exit = nullptr;
    QAction* Cal_Regress = nullptr;
    QAction* Edit_Select = nullptr;
    QAction* Edit_Save = nullptr;
    QAction* AARS1 = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentItems_;
    QToolButton* TBOpen = nullptr;
    QToolButton* TBsave = nullptr;
    QToolButton* TBSaveas = nullptr;
    QToolButton* TBRegress = nullptr;
    QToolButton* TBSelect = nullptr;
    QToolButton* TBTemSave = nullptr;
    QToolButton* TBExit = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QLineEdit* EditFa = nullptr;
    QLineEdit* EditAeq = nullptr;
    QPlainTextEdit* MemoCoefs = nullptr;
    QPlainTextEdit* MemoResult = nullptr;
    QLabel* LabelR = nullptr;
    QLabel* Labelea = nullptr;
    QLabel* Labelem = nullptr;
    QLineEdit* EditNuRow = nullptr;
    QPushButton* SBRegress = nullptr;
    TDataGrid* Tabelle = nullptr;
    QLineEdit* EditFd = nullptr;
    QLineEdit* EditEqual = nullptr;
    QLineEdit* EditNuCol = nullptr;
    TAliasEditor* ValueListEditor1 = nullptr;
    TLibraryNavigator* DBNavigator1 = nullptr;
    TLibraryGrid* DBGrid1 = nullptr;
    QPushButton* BitBtnSave = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QTextEdit* RichEditManual = nullptr;
    TMyStatusBar* MyStatusBar1 = nullptr;

    int currentPage_ = 0;
    QString hint_;
    bool placed_ = false;
    bool checkingName_ = false;
    // The controls disabled while a long command shows its progress.
    bool controlsDisabled_ = false;
};

} // namespace xtq::ui

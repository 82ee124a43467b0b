#pragma once
// The main window TFormRegress: binds the controls of its design (FormDesign)
// to the program's model, runs the window rules (page change, left-side
// name, enabling) and the command handlers, and shows every command's error
// in one place, RunCommand.

#include "document/ApplicationModel.h"
#include "ui/FormDesign.h"
#include "ui/UserDialogs.h"

#include <QMainWindow>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace xtq::ui {

// Save writes the current file (asking for a name while there is none),
// Save As always asks.
enum class TSaveKind { Save, SaveAs };

// The document's long commands (Open, Regress, Save, Save As) report to the
// window as its IProgress: once a command has run for a moment, the progress
// bar in the status bar's panel PIndex shows its position, a Cancel button
// (and Esc) stops it, the window repaints meanwhile, the other controls take
// no input, and a command started meanwhile is refused with kBusyMessage.
class TFormRegress : public QMainWindow,
                     protected TFormDesign,
                     public TDocumentListener,
                     public TApplicationListener,
                     public IProgress {
    Q_OBJECT

public:
    // Builds the window from its design and runs FormCreate. `executablePath`
    // is the path of the running executable, as bytes: the program folder,
    // the library file, the options file and the dialogs' starting folder
    // follow from it.
    TFormRegress(const std::string& executablePath, IUserDialogs& dialogs,
                 QWidget* parent = nullptr);
    ~TFormRegress() override;

    TApplicationModel& Model() { return model_; }
    TRegressDocument& Document() { return model_.Document(); }
    TRecentFiles& RecentFiles() { return model_.RecentFiles(); }
    TFormulaLibrary& Library() { return model_.Library(); }
    const std::string& ProgramDir() const { return model_.ProgramDir(); }
    const std::string& DataDir() const { return model_.DataDir(); }
    const std::string& LibraryFileName() const { return model_.LibraryFileName(); }

    // The common error rule: runs the command; an error that escapes it is
    // shown in a message box (its text, "." appended by ErrorBoxText) titled
    // with the application title, a stopped command in the status message.
    // Returns false when the command failed.
    bool RunCommand(const std::function<void()>& command);
    void ShowError(const std::string& message);

    // The system asks the program to end (a logout or shutdown, SIGTERM): the
    // options file is written as at any close, without asking anything; a
    // running command is stopped first.
    void SystemCloseRequest();

    // Command handlers.
    void File_NewClick();
    void File_OpenClick();
    void File_OpenRecentClick(int index);
    void File_SaveClick(TSaveKind kind);
    void File_ExitClick();
    void SBRegressClick();
    void Edit_SelectClick();
    void Edit_SaveClick();
    void AARS1Click();

    // IProgress, called by the running command on the GUI thread.
    void ProgressBegin() override;
    void ProgressPosition(int percent) override;
    void ProgressEnd() override;

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

    // TApplicationListener
    void RecentFilesChanged() override;
    void LibraryChanged() override;

private:
    void BindControls();
    void BindActions();
    void BindField(QLineEdit* edit, TField field);
    void ShowField(TField field);

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
    // Enables every command as the window's state allows: nothing but Cancel
    // while a command shows its progress; the library commands and the Edit
    // menu only on the formula page.
    void UpdateEnabling();
    // True while a long command shows its progress: user input other than
    // Cancel and Esc is held back (eventFilter).
    bool ShowsProgress() const { return progressShown_; }
    bool HeldBackWhileBusy(QObject* watched, QEvent* event);

    std::optional<QString> AskFileName(TFileDialogKind kind);
    void ShowMessage(const QString& text, const QString& title, TMessageIcon icon);
    // True (and kBusyMessage in the status message) while a command runs.
    bool RefusedWhileBusy();
    void CommitEditors();

    TApplicationModel model_;
    IUserDialogs& dialogs_;
    // The document's fields and the controls that show them.
    std::vector<std::pair<TField, QWidget*>> fieldControls_;
    std::vector<QAction*> recentItems_;
    QAction* recentSeparator_ = nullptr;

    int currentPage_ = 0;
    QString hint_;
    bool placed_ = false;
    bool checkingName_ = false;
    bool progressShown_ = false;
    bool systemClose_ = false;
};

} // namespace xtq::ui

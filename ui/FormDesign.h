#pragma once
// The main window's design: every control by its name, placed and captioned
// as designed. One action per command serves its menu entry, its tool
// button and its push button. The window (Unit1) binds them to the program.

#include "ui/AliasEditor.h" // TCommandRunner

#include <QFont>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QWidget;

namespace xtq {
class TFormulaLibrary;
class TRegressDocument;
} // namespace xtq

namespace xtq::ui {

class TAliasEditor;
class TDataGrid;
class TLibraryGrid;
class TLibraryNavigator;
class TMyStatusBar;

// The font "宋体" at 12 pixels (mapped to an installed Simplified-Chinese
// face where it is missing), for the window and the application.
QFont DesignFont();
void InstallDesignFont();

// Page indices of the tab control.
inline constexpr int kComputationPage = 0;
inline constexpr int kFormulaPage = 1;
inline constexpr int kManualPage = 2;

// What the controls that show the document and the library are made with.
struct TDesignModels {
    TRegressDocument& Document;
    TFormulaLibrary& Library;
    TCommandRunner Run;
    std::function<bool()> ConfirmDelete;
};

class TFormDesign {
protected:
    // Creates every control of `window` (menus, tool bar, pages, status bar)
    // with its designed geometry, texts and keyboard order.
    void CreateDesign(QMainWindow* window, const TDesignModels& models);

    // Commands: menu entries, with the tool buttons that show the same action.
    QAction* File_New = nullptr;
    QAction* File_Open = nullptr;
    QAction* File_Save = nullptr;
    QAction* File_Saveas = nullptr;
    QAction* File_Exit = nullptr;
    QAction* Cal_Regress = nullptr;
    QAction* Edit_Select = nullptr;
    QAction* Edit_Save = nullptr;
    QAction* AARS1 = nullptr;
    QMenu* Main_File = nullptr;
    QMenu* MainCal = nullptr;
    QMenu* Main_Edit = nullptr;
    QWidget* CoolBar1 = nullptr;
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

    // Computation page.
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

    // Formula page.
    QLineEdit* EditFd = nullptr;
    QLineEdit* EditEqual = nullptr;
    QLineEdit* EditNuCol = nullptr;
    TAliasEditor* ValueListEditor1 = nullptr;
    TLibraryNavigator* DBNavigator1 = nullptr;
    TLibraryGrid* DBGrid1 = nullptr;
    QPushButton* BitBtnSave = nullptr;
    QPushButton* BitBtn1 = nullptr;

    // Manual page.
    QTextEdit* RichEditManual = nullptr;

    TMyStatusBar* MyStatusBar1 = nullptr;

private:
    void CreateMenus(QMainWindow* window);
    void CreateToolBar(QMainWindow* window);
    void CreateComputationPage(const TDesignModels& models);
    void CreateFormulaPage(const TDesignModels& models);
    void CreateManualPage();
    void CreateStatusBar(QMainWindow* window);
    void SetTabOrders();
};

} // namespace xtq::ui

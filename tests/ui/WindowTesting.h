#pragma once
// A window in a fresh installation folder, with its boxes and dialogs
// answered by the test.

#include "ui/DataGrid.h"
#include "ui/Unit1.h"
#include "ui/UserDialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace xtq::uitest {

struct TShownMessage {
    QString Text;
    QString Title;
    ui::TMessageIcon Icon;
};

// Records every box; answers OK unless told otherwise, and file dialogs with
// the queued names (nothing queued: the dialog is cancelled).
class TFakeDialogs : public ui::IUserDialogs {
public:
    bool MessageBox(QWidget*, const QString& text, const QString& title, ui::TMessageIcon icon,
                    ui::TMessageButtons) override {
        Messages.push_back({text, title, icon});
        if (Answers.empty()) return true;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<QString> FileName(QWidget*, const ui::TFileDialogOptions& options) override {
        Dialogs.push_back(options);
        if (Names.empty()) return std::nullopt;
        QString name = Names.front();
        Names.pop_front();
        return name;
    }

    std::vector<TShownMessage> Messages;
    std::deque<bool> Answers;
    std::vector<ui::TFileDialogOptions> Dialogs;
    std::deque<QString> Names;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// An installation folder Inst/ with SysFiles/ holding the shipped library.
class TInstallation {
public:
    TInstallation() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "xtq-ui-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
        root_ = pattern;
        std::filesystem::create_directories(SysFiles());
        std::filesystem::copy_file(std::filesystem::path(XTQ_DATA_DIR) / "SysFiles/CDSTem.cds",
                                   SysFiles() / "CDSTem.cds");
    }
    ~TInstallation() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::filesystem::path Folder() const { return root_ / "Inst"; }
    std::filesystem::path SysFiles() const { return Folder() / "SysFiles"; }
    std::string Executable() const { return (SysFiles() / "XTQ").string(); }
    std::string Document(const std::string& name) const { return (Folder() / name).string(); }

private:
    std::filesystem::path root_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }
    void TearDown() override { window.reset(); }

    void Start() {
        window = std::make_unique<ui::TFormRegress>(install.Executable(), dialogs);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // Closes the window as its close box does and starts the program again;
    // `between` runs while the program is not running.
    void Restart(const std::function<void()>& between = {}) {
        window->close();
        window.reset();
        if (between) between();
        Start();
    }

    template <class T> T* Find(const char* name) const {
        T* found = window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    ui::TDataGrid* Grid() const { return Find<ui::TDataGrid>("Tabelle"); }
    QTabWidget* Pages() const { return Find<QTabWidget>("PageControl1"); }
    TRegressDocument& Doc() const { return window->Document(); }

    // Picks a page by clicking its tab.
    void ClickPage(int index) {
        QTabBar* bar = Pages()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QApplication::processEvents();
    }
    // Replaces the text of a one-line edit by typing.
    void TypeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    // Types key by key into whatever has the focus.
    static void TypeKeys(const QString& text) {
        for (const QChar c : text) {
            QWidget* target = QApplication::focusWidget();
            if (target == nullptr) return;
            QTest::keyClick(target, c.toLatin1());
        }
    }
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (target != nullptr) QTest::keyClick(target, key, modifiers);
        QApplication::processEvents();
    }
    // Clicks a cell of a grid view, types into it and presses Enter.
    void TypeCell(QAbstractItemView* view, int viewRow, int viewCol, const QString& text) {
        const QModelIndex at = view->model()->index(viewRow, viewCol);
        view->scrollTo(at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at).center());
        TypeKeys(text);
        Press(Qt::Key_Return);
    }
    void TypeDataCell(int col, int row, const QString& text) {
        TypeCell(Grid(), row - 1, col - 1, text);
    }
    QString MenuTexts() const {
        QStringList texts;
        for (QAction* action : Find<QMenu>("Main_File")->actions())
            texts << (action->isSeparator() ? QString("-") : action->text());
        return texts.join('|');
    }

    TInstallation install;
    TFakeDialogs dialogs;
    std::unique_ptr<ui::TFormRegress> window;
};

} // namespace xtq::uitest

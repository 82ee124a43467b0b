// New, Open, Save and Save As through the window's commands and their
// dialogs, the recent-file entries of the File menu across a restart, and the
// start-up and shut-down steps that read and write the options file.

#include "WindowTesting.h"
#include "ui/AliasEditor.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace xtq::uitest {
namespace {

class FileCommands : public WindowTest {
protected:
    QMenu* FileMenu() { return Find<QMenu>("Main_File"); }
    QAction* MenuItem(int index) { return FileMenu()->actions().at(index); }
    void Open(const std::string& path) {
        dialogs.Names.push_back(QString::fromStdString(path));
        QTest::mouseClick(Find<QToolButton>("TBOpen"), Qt::LeftButton);
    }
    std::string Options() { return ReadBytes(install.SysFiles() / "Zelmora.opt"); }
};

TEST_F(FileCommands, SaveWithoutAFileAsksLikeSaveAsThenSavesInPlace) {
    const std::string path = install.Document("line.rgs");
    TypeDataCell(1, 1, "1");
    TypeDataCell(2, 1, "3.1");
    Doc().SetText(TField::DataPointCount, "1");
    ClickPage(1);
    TypeInto(Edit("EditFd"), "y");
    TypeInto(Edit("EditEqual"), "a+b*x1");

    dialogs.Names.push_back(QString::fromStdString(path));
    QTest::mouseClick(Find<QToolButton>("TBsave"), Qt::LeftButton);
    ASSERT_EQ(dialogs.Dialogs.size(), 1u);
    const ui::TFileDialogOptions& options = dialogs.Dialogs[0];
    EXPECT_EQ(options.Kind, ui::TFileDialogKind::Save);
    EXPECT_EQ(options.Filter, QString::fromUtf8("方程回归数据文件(*.rgs)"));
    EXPECT_EQ(options.DefaultSuffix, "rgs");
    EXPECT_EQ(options.Directory.toStdString(), install.Folder().string() + "/");
    EXPECT_EQ(window->windowTitle().toStdString(), "Orvane(XTQ V1.1)-" + path);
    const std::string written = ReadBytes(path);
    EXPECT_EQ(written.substr(0, 20), "y\r\na+b*x1\r\n\r\n1\r\n1\r\n0");
    // The path is the top recent entry.
    EXPECT_EQ(MenuItem(6)->text().toStdString(), path);

    // Save again: no dialog.
    TypeInto(Edit("EditEqual"), "a*x1");
    Find<QAction>("File_Save")->trigger();
    EXPECT_EQ(dialogs.Dialogs.size(), 1u);
    EXPECT_NE(ReadBytes(path), written);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(FileCommands, OpenRestoresTheDocumentAndACancelledDialogChangesNothing) {
    const std::string sample =
        (std::filesystem::path(XTQ_DATA_DIR) / "sample-02-plane.rgs").string();
    Find<QAction>("File_Open")->trigger(); // cancelled
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Orvane(XTQ V1.1)-空白"));
    EXPECT_EQ(MenuTexts(), QString::fromUtf8("&N 新建|&O 打开|-|&S 保存|&A 另存为|-|&E 结束"));

    Open(sample);
    EXPECT_EQ(window->windowTitle().toStdString(), "Orvane(XTQ V1.1)-" + sample);
    EXPECT_EQ(Edit("EditFd")->text(), "z");
    EXPECT_EQ(Edit("EditFa")->text(), "z");
    EXPECT_EQ(Edit("EditEqual")->text(), "a+b*x1+c*x2");
    EXPECT_EQ(Edit("EditAeq")->text(), "a+b.x+c.y");
    EXPECT_EQ(Edit("EditNuRow")->text(), "12");
    EXPECT_EQ(Edit("EditNuCol")->text(), "2");
    EXPECT_EQ(Grid()->model()->rowCount(), 12);
    EXPECT_EQ(Grid()->model()->columnCount(), 5);
    auto* aliases = Find<ui::TAliasEditor>("ValueListEditor1");
    EXPECT_EQ(aliases->model()->rowCount(), 2);
    EXPECT_EQ(aliases->model()->index(1, 1).data().toString(), "y");
    EXPECT_EQ(MenuTexts().toStdString(),
              "&N 新建|&O 打开|-|&S 保存|&A 另存为|-|" + sample + "|-|&E 结束");
    EXPECT_EQ(MenuItem(6)->objectName(), "I0");

    // Regress on the opened data works from the button.
    QTest::mouseClick(Find<QToolButton>("TBRegress"), Qt::LeftButton);
    EXPECT_TRUE(Find<QLabel>("LabelR")->text().startsWith("0.99") ||
                Find<QLabel>("LabelR")->text().startsWith("1.0"));
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(FileCommands, AMissingFileIsReportedAndStillListed) {
    const std::string missing = install.Document("gone.rgs");
    Open(missing);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "File not found.");
    EXPECT_EQ(dialogs.Messages[0].Title, "Xtq");
    // The window keeps its title and its table; the path is listed.
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Orvane(XTQ V1.1)-空白"));
    EXPECT_EQ(Doc().Table().Cell(1, 0), "X1");
    EXPECT_EQ(MenuItem(6)->text().toStdString(), missing);
}

TEST_F(FileCommands, NewAsksForTheNameAndEmptiesTheDocument) {
    TypeDataCell(1, 3, "9");
    Doc().SetText(TField::RightSide, "a+b*x1");
    Find<QAction>("File_New")->trigger(); // cancelled
    EXPECT_EQ(Doc().Table().Cell(1, 3), "9");
    const std::string path = install.Document("new.rgs");
    dialogs.Names.push_back(QString::fromStdString(path));
    Find<QAction>("File_New")->trigger();
    EXPECT_EQ(Doc().Table().Cell(1, 3), "");
    EXPECT_EQ(Edit("EditEqual")->text(), "");
    EXPECT_EQ(Find<QLabel>("LabelR")->text(), "");
    EXPECT_EQ(window->windowTitle().toStdString(), "Orvane(XTQ V1.1)-" + path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(dialogs.Dialogs.back().Kind, ui::TFileDialogKind::Save);
}

TEST_F(FileCommands, RecentEntriesKeepTheirOrderAcrossARestart) {
    const std::string a = install.Document("a.rgs");
    const std::string b = install.Document("b&c.rgs");
    for (const std::string& path : {a, b}) {
        dialogs.Names.push_back(QString::fromStdString(path));
        Find<QAction>("File_Saveas")->trigger();
    }
    EXPECT_EQ(window->windowTitle().toStdString(), "Orvane(XTQ V1.1)-" + b);
    Restart();
    EXPECT_EQ(Options(), "9\r\n2\r\n" + a + "\r\n" + b + "\r\n");
    EXPECT_EQ(FileMenu()->actions().size(), 10);
    // The "&" of a path is shown as it is, not as an access key.
    EXPECT_EQ(MenuItem(6)->text().toStdString(), install.Document("b&&c.rgs"));
    EXPECT_EQ(MenuItem(7)->text().toStdString(), a);
    EXPECT_TRUE(MenuItem(8)->isSeparator());
    EXPECT_EQ(MenuItem(9)->objectName(), "File_Exit");
    EXPECT_EQ(MenuItem(6)->objectName(), "I1");
    EXPECT_EQ(MenuItem(7)->objectName(), "I0");

    // Clicking an entry opens its path without a dialog and moves it up.
    const size_t asked = dialogs.Dialogs.size();
    MenuItem(7)->trigger();
    EXPECT_EQ(dialogs.Dialogs.size(), asked);
    EXPECT_EQ(window->windowTitle().toStdString(), "Orvane(XTQ V1.1)-" + a);
    EXPECT_EQ(MenuItem(6)->text().toStdString(), a);
    EXPECT_EQ(MenuItem(6)->objectName(), "I1");
    EXPECT_TRUE(dialogs.Messages.empty());
    // The close box writes the options file as Exit does.
    window->close();
    EXPECT_EQ(Options(), "9\r\n2\r\n" + b + "\r\n" + a + "\r\n");
}

TEST_F(FileCommands, AFullListReplacesItsOldestEntry) {
    Restart([&] {
        WriteBytes(install.SysFiles() / "Zelmora.opt", "2\r\n2\r\n/p/one.rgs\r\n/p/two.rgs\r\n");
    });
    Open(install.Document("three.rgs"));
    EXPECT_EQ(FileMenu()->actions().size(), 10);
    EXPECT_EQ(MenuItem(6)->text().toStdString(), install.Document("three.rgs"));
    EXPECT_EQ(MenuItem(7)->text(), "/p/two.rgs");
    Find<QToolButton>("TBExit")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Options(), "2\r\n2\r\n/p/two.rgs\r\n" + install.Document("three.rgs") + "\r\n");
}

TEST_F(FileCommands, ADamagedOptionsFileIsReportedAndTheProgramStartsUsable) {
    Restart([&] {
        WriteBytes(install.SysFiles() / "Zelmora.opt", "nine\r\n1\r\n/p/x.rgs\r\n");
        dialogs.Messages.clear();
    });
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "'nine' is not a valid integer value.");
    EXPECT_EQ(MenuTexts(), QString::fromUtf8("&N 新建|&O 打开|-|&S 保存|&A 另存为|-|&E 结束"));
    EXPECT_EQ(Edit("EditNuRow")->text(), "5");
    EXPECT_TRUE(window->Library().Active());
    EXPECT_EQ(window->DataDir(), install.Folder().string() + "/");
}

TEST_F(FileCommands, AnOptionsFileThatCannotBeWrittenKeepsTheWindowOpen) {
    std::filesystem::create_directory(install.SysFiles() / "Zelmora.opt");
    dialogs.Answers = {true, false}; // the error box, then "close anyway?": no
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(dialogs.Messages.size(), 2u);
    EXPECT_EQ(dialogs.Messages[0].Title, "Xtq");
    EXPECT_EQ(dialogs.Messages[1].Icon, ui::TMessageIcon::Question);
    // The next close tries again.
    std::filesystem::remove(install.SysFiles() / "Zelmora.opt");
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Options(), "9\r\n0\r\n");
}

TEST_F(FileCommands, AWindowWhoseOptionsFileCannotBeWrittenCanStillBeClosed) {
    std::filesystem::create_directory(install.SysFiles() / "Zelmora.opt");
    dialogs.Answers = {true, true}; // the error box, then "close anyway?": yes
    window->close();
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(dialogs.Messages.size(), 2u);
    EXPECT_EQ(dialogs.Messages[1].Text,
              QString::fromUtf8("最近打开的文件列表无法保存。仍然关闭窗口（不保存该列表）吗？"));
}

TEST_F(FileCommands, TheSystemsCloseRequestWritesTheOptionsFileWithoutAsking) {
    Open(install.Document("a.rgs")); // listed, although it does not exist
    dialogs.Messages.clear();
    window->SystemCloseRequest();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(Options(), "9\r\n1\r\n" + install.Document("a.rgs") + "\r\n");
}

} // namespace
} // namespace xtq::uitest

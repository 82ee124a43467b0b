// The long commands in the window: Open, Regress and Save show their position
// in the status bar's progress bar, the window's events run meanwhile, the
// command controls are disabled, and a command started meanwhile is refused.

#include "WindowTesting.h"
#include "core/Heartbeat.h"
#include "ui/MyStatusBar.h"

#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace xtq::uitest {
namespace {

class Progress : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        bar = Find<ui::TMyStatusBar>("MyStatusBar1");
        // Every rise of the position is reported, however fast the command.
        Doc().SetProgress(window.get(), std::chrono::steady_clock::duration::zero());
        QObject::connect(bar->ProgressBar(), &QProgressBar::valueChanged, window.get(),
                         [this](int value) { During(value); });
    }

    // Runs inside the command at every change of the bar.
    void During(int value) {
        values.push_back(value);
        if (value == 0 || !Doc().Busy() || tried) return;
        tried = true;
        barShown = bar->ProgressBar()->isVisible();
        menusEnabled = window->menuBar()->isEnabled();
        openEnabled = Find<QToolButton>("TBOpen")->isEnabled();
        regressEnabled = Find<QPushButton>("SBRegress")->isEnabled();
        // Every other command is refused, without a box or a dialog.
        window->SBRegressClick();
        window->File_OpenClick();
        window->File_SaveClick(ui::TSaveKind::SaveAs);
        window->File_NewClick();
        window->File_ExitClick();
        refusal = QString::fromStdString(Doc().Text(TField::StatusMessage));
    }

    // A document of `points` data points of y = 2x + x mod 3.
    std::string BigDocument(int points) {
        TRegressDocument source;
        source.SetText(TField::LeftName, "Y");
        source.SetText(TField::RightSide, "a+b*x1");
        source.SetText(TField::DataPointCount, std::to_string(points));
        for (int row = 1; row <= points; ++row) {
            source.Table().SetCell(1, row, std::to_string(row));
            source.Table().SetCell(2, row, std::to_string(2 * row + row % 3));
        }
        const std::string path = install.Document("big.rgs");
        source.WriteDocument(path);
        return path;
    }

    void Reset() {
        values.clear();
        tried = barShown = menusEnabled = openEnabled = regressEnabled = false;
        refusal.clear();
        Doc().SetText(TField::StatusMessage, "");
    }

    void ExpectShownAndRefused() {
        ASSERT_TRUE(tried);
        const std::vector<int> shown(values.begin(), values.end() - 1);
        ASSERT_GE(shown.size(), 3u);
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_EQ(shown.back(), 100);
        EXPECT_EQ(values.back(), 0); // emptied at the end
        EXPECT_EQ(bar->ProgressBar()->value(), 0);
        EXPECT_TRUE(barShown);
        EXPECT_FALSE(menusEnabled);
        EXPECT_FALSE(openEnabled);
        EXPECT_FALSE(regressEnabled);
        EXPECT_EQ(refusal.toStdString(), kBusyMessage);
        EXPECT_TRUE(dialogs.Messages.empty());
        EXPECT_TRUE(window->isVisible()); // Exit was refused too
        EXPECT_FALSE(Doc().Busy());
        // Enabled again afterwards.
        EXPECT_TRUE(window->menuBar()->isEnabled());
        EXPECT_TRUE(Find<QToolButton>("TBOpen")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>("SBRegress")->isEnabled());
    }

    ui::TMyStatusBar* bar = nullptr;
    std::vector<int> values;
    bool tried = false;
    bool barShown = false;
    bool menusEnabled = false;
    bool openEnabled = false;
    bool regressEnabled = false;
    QString refusal;
};

TEST_F(Progress, OpenRegressAndSaveShowTheirPositionAndRefuseASecondCommand) {
    const std::string path = BigDocument(40000);

    // Open: the window's events run during the command.
    bool ranDuringOpen = false;
    QTimer::singleShot(0, window.get(), [&] { ranDuringOpen = Doc().Busy(); });
    dialogs.Names.push_back(QString::fromStdString(path));
    QTest::mouseClick(Find<QToolButton>("TBOpen"), Qt::LeftButton);
    EXPECT_TRUE(ranDuringOpen);
    EXPECT_EQ(dialogs.Dialogs.size(), 1u); // the refused Open and Save asked nothing
    ExpectShownAndRefused();
    EXPECT_EQ(Doc().Table().Cell(2, 40000), "80001");
    EXPECT_EQ(Doc().Text(TField::FileName), path);

    Reset();
    QTest::mouseClick(Find<QPushButton>("SBRegress"), Qt::LeftButton);
    ExpectShownAndRefused();
    EXPECT_FALSE(Doc().Text(TField::Correlation).empty());
    EXPECT_FALSE(Doc().Table().Cell(4, 40000).empty());

    Reset();
    std::filesystem::remove(path);
    Find<QAction>("File_Save")->trigger();
    ExpectShownAndRefused();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(dialogs.Dialogs.size(), 1u);
}

TEST_F(Progress, AShortCommandLeavesTheBarEmptyAndTheControlsAsTheyWere) {
    // With the usual interval a small document reports no position.
    Doc().SetProgress(window.get());
    TypeDataCell(1, 1, "1");
    TypeDataCell(2, 1, "3");
    TypeDataCell(1, 2, "2");
    TypeDataCell(2, 2, "5");
    Doc().SetText(TField::DataPointCount, "2");
    Doc().SetText(TField::RightSide, "a+b*x1");
    values.clear();
    QTest::mouseClick(Find<QPushButton>("SBRegress"), Qt::LeftButton);
    EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](int v) { return v == 0; }));
    EXPECT_EQ(bar->ProgressBar()->value(), 0);
    EXPECT_FALSE(tried);
    EXPECT_TRUE(window->menuBar()->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("SBRegress")->isEnabled());
    EXPECT_FALSE(Doc().Text(TField::FittedFormula).empty());
}

TEST_F(Progress, AfterALongCommandTheEditMenuFollowsThePageShown) {
    const std::string path = BigDocument(40000);
    dialogs.Names.push_back(QString::fromStdString(path));
    QTest::mouseClick(Find<QToolButton>("TBOpen"), Qt::LeftButton);
    ASSERT_TRUE(tried);
    // Still the computation page: the Edit menu and its commands stay disabled.
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_FALSE(Find<QMenu>("Main_Edit")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QAction>("Edit_Save")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("TBTemSave")->isEnabled());
    const auto libraryBefore = std::filesystem::last_write_time(install.SysFiles() / "CDSTem.cds");
    Find<QAction>("Edit_Save")->trigger(); // a disabled action runs nothing
    EXPECT_EQ(std::filesystem::last_write_time(install.SysFiles() / "CDSTem.cds"), libraryBefore);
}

// Stops the command at its first position, by the Cancel button or by Esc.
class Cancelling : public Progress {
protected:
    void Stop(bool byEscape) {
        QObject::connect(bar->ProgressBar(), &QProgressBar::valueChanged, window.get(),
                         [this, byEscape](int value) {
                             if (value == 0 || stopped) return;
                             stopped = true;
                             cancelShown = bar->CancelButton()->isVisible();
                             if (byEscape) {
                                 QTest::keyClick(window.get(), Qt::Key_Escape);
                             } else {
                                 QTest::mouseClick(bar->CancelButton(), Qt::LeftButton);
                             }
                         });
    }
    bool stopped = false;
    bool cancelShown = false;
};

TEST_F(Cancelling, TheCancelButtonAndEscStopARegressWithTheResultsAsTheyWere) {
    const std::string path = BigDocument(40000);
    dialogs.Names.push_back(QString::fromStdString(path));
    QTest::mouseClick(Find<QToolButton>("TBOpen"), Qt::LeftButton);
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape);
        stopped = cancelShown = false;
        Stop(byEscape);
        QTest::mouseClick(Find<QPushButton>("SBRegress"), Qt::LeftButton);
        ASSERT_TRUE(stopped);
        EXPECT_TRUE(cancelShown);
        EXPECT_EQ(Doc().Text(TField::StatusMessage), kCancelledMessage);
        EXPECT_EQ(Doc().Table().Cell(3, 1), "");
        EXPECT_EQ(Doc().Text(TField::Correlation), "0.00");
        EXPECT_TRUE(dialogs.Messages.empty());
        EXPECT_FALSE(bar->CancelButton()->isVisible());
        EXPECT_TRUE(Find<QPushButton>("SBRegress")->isEnabled());
        QObject::disconnect(bar->ProgressBar(), &QProgressBar::valueChanged, window.get(), nullptr);
    }
}

} // namespace
} // namespace xtq::uitest

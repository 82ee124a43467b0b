// The options file at close, written onto a full disk: the message shows, the
// window stays open and keeps its list, and every later close tries again.

#include "WindowTesting.h"

#include <filesystem>

namespace xtq::uitest {
namespace {

class CloseFaults : public WindowTest {};

TEST_F(CloseFaults, AFullDiskKeepsTheWindowOpenAndTheNextCloseTriesAgain) {
    const std::filesystem::path options = install.SysFiles() / "Zelmora.opt";
    // The options file stands on a device without space.
    std::filesystem::create_symlink("/dev/full", options);
    for (size_t attempt = 1; attempt <= 2; ++attempt) {
        dialogs.Answers = {true, false}; // the error, then "close anyway?": no
        window->close();
        EXPECT_TRUE(window->isVisible());
        ASSERT_EQ(dialogs.Messages.size(), 2 * attempt);
        EXPECT_TRUE(dialogs.Messages[2 * attempt - 2].Text.startsWith("Disk full"))
            << dialogs.Messages[2 * attempt - 2].Text.toStdString();
    }
    // Space again: the next close writes the file and ends the program.
    std::filesystem::remove(options);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ReadBytes(options), "9\r\n0\r\n");
}

} // namespace
} // namespace xtq::uitest

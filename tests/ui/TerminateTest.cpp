// SIGTERM is the system's close request: the running program writes its
// options file as at any close and ends.

#include "tests/storage/TempFolder.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using xtq::testing::ReadBytes;
using xtq::testing::TempFolder;

TEST(Terminate, SigtermWritesTheOptionsFileAndEndsTheProgram) {
    TempFolder folder;
    const std::filesystem::path sysFiles = folder.Path() / "SysFiles";
    std::filesystem::create_directories(sysFiles);
    std::filesystem::copy_file(XTQ_EXECUTABLE, sysFiles / "XTQ");
    std::filesystem::copy_file(std::filesystem::path(XTQ_DATA_DIR) / "SysFiles/CDSTem.cds",
                               sysFiles / "CDSTem.cds");
    const std::string executable = (sysFiles / "XTQ").string();
    const std::string options = (sysFiles / "Zelmora.opt").string();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(executable.c_str(), executable.c_str(), "-platform", "offscreen",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // Long enough for the window to be up; the handler is installed before.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_EQ(kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(ReadBytes(options), "9\r\n0\r\n");
}

} // namespace

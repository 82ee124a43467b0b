// ProgramDir and DataDir from the executable's path.

#include "document/ProgramPaths.h"

#include <gtest/gtest.h>

namespace xtq {
namespace {

TEST(ProgramPaths, ProgramDirIsTheExecutablesFolderWithItsSeparator) {
    EXPECT_EQ(ProgramDirOf("/opt/Tools/SysFiles/XTQ"), "/opt/Tools/SysFiles/");
    EXPECT_EQ(ProgramDirOf("/XTQ"), "/");
    EXPECT_EQ(ProgramDirOf("XTQ"), "");
}

TEST(ProgramPaths, DataDirDropsTheFirstSysFilesFolderWhateverItsCase) {
    const struct {
        const char* program;
        const char* data;
    } cases[] = {
        {"/opt/Tools/SysFiles/", "/opt/Tools/"},
        {"/opt/Tools/sysfiles/", "/opt/Tools/"},
        {"/opt/Tools/", "/opt/Tools/"},
        {"/a/SysFiles/b/SYSFILES/", "/a/b/SYSFILES/"},
        {"/a/MySysFiles/", "/a/My"},
        {"/a/SysFilesX/", "/a/SysFilesX/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataDirOf(c.program), c.data) << c.program;
}

} // namespace
} // namespace xtq

// The error box text and the application title of the common error rule.

#include "document/CommandErrors.h"

#include <gtest/gtest.h>

namespace xtq {
namespace {

TEST(ErrorBoxText, AppendsAFullStopUnlessTheLastCharacterSortsAtOrBeforeIt) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"File not found", "File not found."},
        {"", ""},
        {"Done.", "Done."},
        {"Missing brackets (\")\")", "Missing brackets (\")\")"},
        {"ends with a blank ", "ends with a blank "},
        {"ends with a dash -", "ends with a dash -"},
        {"ends with a slash/", "ends with a slash/."},
        {"I/O error 5", "I/O error 5."},
        {"数据不完整", "数据不完整."},
        {"不能为空白！", "不能为空白！."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

TEST(ApplicationTitle, IsTheFileNameUpToItsFirstDotWithTheRestInLowerCase) {
    const struct {
        const char* path;
        const char* title;
    } cases[] = {
        {"/opt/xtq/SysFiles/XTQ", "Xtq"}, {"XTQ", "Xtq"},
        {"/a.b/XTQ.Bin.exe", "Xtq"},      {"/usr/bin/xTq", "xtq"},
        {"/x/Project1.exe", "Project1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.path;
}

} // namespace
} // namespace xtq

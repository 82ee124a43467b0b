#include "app/RegressCommand.h"

#include "document/Document.h"
#include "tests/storage/TempFolder.h"

#include <gtest/gtest.h>
#include <vector>

namespace xtq::cli {
namespace {

using xtq::testing::ReadBytes;
using xtq::testing::TempFolder;
using xtq::testing::WriteBytes;

struct TRun {
    int status;
    std::string out;
    std::string err;
};

TRun RunCommand(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunRegressCommand(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    TRun run{status, ::testing::internal::GetCapturedStdout(),
             ::testing::internal::GetCapturedStderr()};
    return run;
}

// A document file of one variable with the given right side and rows (x1, Y).
std::string DocumentBytes(const std::string& right,
                          const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string bytes = "Y\r\n" + right + "\r\n\r\n" + std::to_string(rows.size()) +
                        "\r\n1\r\n0.00\r\n0.00\r\n0.00\r\n\r\n\r\n2\r\n2\r\nx1\r\nx\r\n" +
                        std::to_string(rows.size() + 1) +
                        "\r\n5\r\n\r\nX1\r\n Y\xA1\xA3 \r\n Y` \r\n e (%) \r\n";
    for (size_t i = 0; i < rows.size(); ++i)
        bytes += std::to_string(i + 1) + "\r\n" + rows[i].first + "\r\n" + rows[i].second +
                 "\r\n\r\n\r\n";
    return bytes;
}

class RegressCommand : public ::testing::Test {
protected:
    TempFolder folder;
    std::string input = folder.File("in.rgs");
    std::string output = folder.File("out.rgs");
};

TEST_F(RegressCommand, PrintsTheResults) {
    WriteBytes(input, DocumentBytes("a+b*x1", {{"1", "3"}, {"2", "5"}, {"3", "7"}}));
    const TRun run = RunCommand({input, "-o", output});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string blanks(24, ' ');
    EXPECT_EQ(run.out, "R: 1.000000\nmean error (%): 0.000000\nmax error (%): 0.000000\n"
                       "coefficients: a=1" +
                           blanks + "b=2" + blanks +
                           "\nfitted formula: Y=1+2.x\n"
                           "1\t3\t0.000000\n2\t5\t0.000000\n3\t7\t0.000000\n");
    EXPECT_EQ(run.err, "");
    // OUT holds what Save writes after the same run.
    TRegressDocument doc;
    doc.OpenDocument(input);
    doc.Regress();
    const std::string expected = folder.File("expected.rgs");
    doc.WriteDocument(expected);
    EXPECT_EQ(ReadBytes(output), ReadBytes(expected));
}

TEST_F(RegressCommand, BadValue) {
    WriteBytes(input, DocumentBytes("a+b*x1", {{"1", "3"}, {"2", "five"}}));
    const TRun run = RunCommand({input, "-o", output});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "数据不完整。数据点：2\n");
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(RegressCommand, SingularSystem) {
    WriteBytes(input, DocumentBytes("a+b*x1", {{"2", "1"}, {"2", "3"}}));
    const TRun run = RunCommand({input});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.out, "R: 0.000000\nmean error (%): 100.000000\nmax error (%): 100.000000\n"
                       "coefficients: \nfitted formula: \n1\t0\t-100.000000\n2\t0\t-100.000000\n");
    EXPECT_EQ(run.err, std::string(kSingularFitMessage) + "\n");
}

TEST_F(RegressCommand, Errors) {
    struct Case {
        std::string bytes; // empty: no input file
        std::string err;
    };
    const Case cases[] = {
        {DocumentBytes("a+b*q1", {{"1", "3"}, {"2", "5"}}), "ESyntaxError: "},
        {DocumentBytes("a+b*1/x1", {{"0", "3"}, {"2", "5"}}),
         "EZeroDivide: Floating point division by zero\n"},
        {"", "File not found\n"},
        {"y\r\n\r\n\r\n1\r\n1\r\n\r\n\r\n\r\n\r\n\r\nA\r\n", "'A' is not a valid integer value\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(input);
        if (!c.bytes.empty()) WriteBytes(input, c.bytes);
        const TRun run = RunCommand({input});
        EXPECT_EQ(run.status, 1) << c.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, c.err.size()), c.err);
    }
}

TEST_F(RegressCommand, OutputThatCannotBeWritten) {
    WriteBytes(input, DocumentBytes("a+b*x1", {{"1", "3"}, {"2", "5"}}));
    const TRun run = RunCommand({input, "-o", folder.File("none/out.rgs")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Invalid filename\n");
}

TEST(RegressCommandArguments, WrongArgumentsShowTheUsage) {
    const std::vector<std::vector<std::string>> cases = {{},
                                                         {"-o"},
                                                         {"a.rgs", "-o"},
                                                         {"a.rgs", "b.rgs"},
                                                         {"a.rgs", "-x"},
                                                         {"-o", "o.rgs"},
                                                         {"a.rgs", "-o", "o1", "-o", "o2"}};
    for (const auto& args : cases) {
        const TRun run = RunCommand(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "usage: xtq-cli regress DOCUMENT [-o OUT]\n");
    }
}

} // namespace
} // namespace xtq::cli

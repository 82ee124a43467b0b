// The contract of xtq-cli eval: output, error lines and exit statuses.

#include "app/EvalCommand.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace xtq::cli {
namespace {

struct Result {
    int status;
    std::string out, err;
};

Result Eval(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunEvalCommand(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    Result r{status, ::testing::internal::GetCapturedStdout(),
             ::testing::internal::GetCapturedStderr()};
    return r;
}

TEST(EvalCommand, PrintsTheValueInTheGeneralNumberText) {
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"1/3"}, "0.333333333333333\n"},
        {{"x1*2+y", "x1=1.5", "y=-0.25"}, "2.75\n"},
        {{"X1^2", "x1=1e3"}, "1000000\n"},
        {{"A+1"}, "1\n"},
        {{"x*1E-5", "x=1"}, "1E-5\n"},
        {{"x", "x=2", "X=3"}, "3\n"}, // the pairs are stored in order
        {{""}, "0\n"},
    };
    for (const auto& c : cases) {
        const Result r = Eval(c.args);
        EXPECT_EQ(r.status, 0) << c.args[0] << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.err, "");
    }
}

TEST(EvalCommand, ErrorsAsClassAndMessage) {
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"X1+", "x1=1"}, "ESyntaxError: Error parsing expression:\\rX1+\n"},
        {{"A^B^C"}, "ESyntaxError: Error parsing expression:\\rA^B\\rC\n"},
        {{"1/0"}, "EZeroDivide: Floating point division by zero\n"},
        {{"5DIV0"}, "EDivByZero: Division by zero\n"},
        {{"x", "1x=2"}, "EBadName: 1x\n"},
        {{"x", "=2"}, "EBadName: \n"},
        {{"x", "big=1e5000"}, "EOverflow: Floating point overflow\n"},
    };
    for (const auto& c : cases) {
        const Result r = Eval(c.args);
        EXPECT_EQ(r.status, 1) << c.args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err) << c.args[0];
    }
}

TEST(EvalCommand, WrongArgumentsGiveTheUsage) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"x", "x"},
                                               {"x", "x=1,5"},
                                               {"x", "x="},
                                               {"x", "x=abc"},
                                               {"x", "x=inf"},
                                               {"x", "x=0x10"}}) {
        const Result r = Eval(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: xtq-cli eval"), std::string::npos);
    }
}

TEST(EvalCommand, ValuesIgnoreTheLocale) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const Result r = Eval({"x/4", "x=1.5"});
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0.375\n");
}

} // namespace
} // namespace xtq::cli

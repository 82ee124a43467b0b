#include "core/IntegerText.h"

#include <gtest/gtest.h>

namespace xtq {
namespace {

TEST(IntegerText, AcceptsDecimalIntegersOnly) {
    struct Case {
        const char* text;
        bool valid;
        int value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"5", true, 5},
        {"-3", true, -3},
        {"+7", true, 7},
        {"007", true, 7},
        {"  12", true, 12},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"+-1", false, 0},
        {"12 ", false, 0},
        {"1.0", false, 0},
        {"1e3", false, 0},
        {"$1F", false, 0},
        {"0x10", false, 0},
        {"\t5", false, 0},
        {"五", false, 0},
    };
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(TryStrToInt(c.text, value), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(IntegerText, StrToIntNamesTheText) {
    EXPECT_EQ(StrToInt("42"), 42);
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'abc' is not a valid integer value");
    }
    try {
        StrToInt("");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'' is not a valid integer value");
    }
}

} // namespace
} // namespace xtq

#include "document/CellConversion.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <locale.h>
#include <random>
#include <string>

namespace xtq {
namespace {

TEST(CellConversion, AcceptanceRules) {
    struct Case {
        const char* text;
        bool converts;
        Extended value;
    };
    const Case cases[] = {
        {"3", true, 3},
        {"-2.5", true, -2.5L},
        {"+7", true, 7},
        {"  4.9  ", true, 4.9L}, // blanks around
        {"1.", true, 1},
        {".5", true, 0.5L},
        {".", true, 0}, // a lone point is 0
        {"-.", true, 0},
        {"1E", true, 1}, // an exponent without digits is 0
        {"1e+", true, 1},
        {"2E3", true, 2000},
        {"2.5e-1", true, 0.25L},
        {"1E-0005", true, 1e-5L},
        {"0000012", true, 12},
        {"1e-99999", true, 0},             // too small: 0
        {"0e999999999999999999", true, 0}, // zero whatever the exponent
        {"1.18e4932", true, 1.18e4932L},   // inside the extended range
        {"1e4933", false, 0},              // beyond it
        {"", false, 0},                    // empty
        {"   ", false, 0},
        {"+", false, 0},
        {"E5", false, 0},
        {"1,5", false, 0},   // a comma as decimal mark
        {"1,000", false, 0}, // a thousands separator
        {"\t1", false, 0},   // a tab
        {"1\t", false, 0},
        {"1 2", false, 0},
        {"--1", false, 0},
        {"1e5e", false, 0},
        {"1..2", false, 0},
        {"0x10", false, 0},
        {"inf", false, 0},
        {"nan", false, 0},
        {"１", false, 0}, // a full-width digit
        {"1e+-2", false, 0},
    };
    for (const Case& c : cases) {
        Extended value = -99;
        EXPECT_EQ(TryCellToExtended(c.text, value), c.converts) << c.text;
        if (c.converts) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(CellConversion, SignOfZeroIsKept) {
    Extended value = 1;
    ASSERT_TRUE(TryCellToExtended("-0", value));
    EXPECT_TRUE(std::signbit(value));
    ASSERT_TRUE(TryCellToExtended("-1e-99999", value));
    EXPECT_TRUE(std::signbit(value));
}

TEST(CellConversion, ReadsAtFullExtendedPrecision) {
    Extended value;
    ASSERT_TRUE(TryCellToExtended("0.1", value));
    EXPECT_EQ(value, 0.1L);
    EXPECT_NE(value, static_cast<Extended>(0.1));
    ASSERT_TRUE(TryCellToExtended("18446744073709551615", value)); // 2^64 - 1 rounds to 2^64
    EXPECT_EQ(value, 18446744073709551615.0L);
}

TEST(CellConversion, EveryNumberIsTheNearestExtendedValue) {
    // Texts of 1 to 24 digits with the point anywhere and exponents up to 40
    // either way, compared with the C library's reading in the "C" locale.
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    ASSERT_NE(cLocale, locale_t{});
    std::mt19937 random(4711);
    for (int i = 0; i < 200000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 24);
        const int point = static_cast<int>(random() % static_cast<unsigned>(digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            // Mostly nines and zeros in some texts: long runs round at a half.
            const unsigned kind = random() % 4;
            text += kind == 0 ? '9' : kind == 1 ? '0' : static_cast<char>('0' + random() % 10);
        }
        if (random() % 2) text += "e" + std::to_string(static_cast<int>(random() % 81) - 40);
        Extended value;
        ASSERT_TRUE(TryCellToExtended(text, value)) << text;
        const Extended expected = strtold_l(text.c_str(), nullptr, cLocale);
        ASSERT_EQ(value, expected) << text;
        ASSERT_EQ(std::signbit(value), std::signbit(expected)) << text;
    }
    freelocale(cLocale);
}

} // namespace
} // namespace xtq

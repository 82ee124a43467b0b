#include "regression/NumberText.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace xtq {
namespace {

TEST(GeneralNumberText, Table) {
    const std::vector<std::pair<Extended, std::string>> cases = {
        {0, "0"},
        {-0.0L, "0"},
        {2, "2"},
        {-0.5L, "-0.5"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {0.0001L, "0.0001"},
        {0.00012345L, "0.00012345"},
        {0.00001L, "1E-5"},
        {-1.25e-7L, "-1.25E-7"},
        {999999999999999.0L, "999999999999999"},
        {1e15L, "1E15"},
        {123456789012345.6L, "123456789012346"},
        {1234.5L, "1234.5"},
        {100, "100"},
        {1.5e300L, "1.5E300"},
        {1e-300L, "1E-300"},
        {1e4000L, "1E4000"},
        // Rounding carries into a new leading digit, and back into fixed notation.
        {0.99999999999999999L, "1"},
        {9999999999999999.0L, "1E16"},
        {0.000099999999999999999L, "0.0001"},
        // A 16th digit of exactly 5 rounds up.
        {100000000000000.5L, "100000000000001"},
        {-100000000000000.5L, "-100000000000001"},
        {0.125L, "0.125"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(GeneralNumberText(value), text);
    }
}

TEST(GeneralNumberText, OtherPrecisions) {
    EXPECT_EQ(GeneralNumberText(12345678, 7), "1.234568E7");
    EXPECT_EQ(GeneralNumberText(1234567, 7), "1234567");
    EXPECT_EQ(GeneralNumberText(1.0L / 3, 3), "0.333");
    // More digits than the working digits of the conversion.
    EXPECT_EQ(GeneralNumberText(0.5L, 60), "0.5");
    EXPECT_EQ(GeneralNumberText(1.0L / 3, 25), "0.3333333333333333333423684");
}

TEST(FixedNumberText, Table) {
    const std::vector<std::pair<Extended, std::string>> cases = {
        {25, "25.000000"},         {-10.0L / 3, "-3.333333"},     {123.456789L, "123.456800"},
        {85.0L / 6, "14.166670"},  {0.9987654321L, "0.998765"},   {0.0000004L, "0.000000"},
        {-0.0000004L, "0.000000"}, {0.0000005L, "0.000001"},      {0, "0.000000"},
        {-100, "-100.000000"},     {12345678, "1.234568E7"},      {9999999.4L, "9999999.000000"},
        {9999999.5L, "1E7"},       {-0.0012345678L, "-0.001235"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FixedNumberText(value), text);
    }
}

// Values of every kind for comparing the two ways of rounding: random
// significands across the whole exponent range, exact halves at every digit
// position and their neighbours, powers of ten and their neighbours.
std::vector<Extended> RoundingCases() {
    std::vector<Extended> values;
    std::mt19937_64 random(20240611);
    auto neighbours = [&](Extended v) {
        values.push_back(v);
        values.push_back(std::nextafter(v, 0.0L));
        values.push_back(std::nextafter(v, 2 * v));
    };
    for (int e = -40; e <= 45; ++e) {
        const Extended power = std::pow(10.0L, static_cast<Extended>(e));
        neighbours(power);
        for (int i = 0; i < 150; ++i) {
            const Extended fraction =
                static_cast<Extended>(random() >> 1) / 9223372036854775808.0L; // [0, 1)
            values.push_back(power * (1 + 9 * fraction));
        }
    }
    // n + 1/2 for 1 to 20 digits of n, scaled by powers of two (exact), and
    // short decimals as a user types them.
    std::uint64_t n = 1;
    for (int digits = 1; digits <= 19; ++digits, n = n * 10 + static_cast<std::uint64_t>(digits))
        for (int shift = -70; shift <= 70; shift += 7)
            neighbours(std::ldexp(static_cast<Extended>(n) + 0.5L, shift));
    for (int i = 0; i < 10000; ++i) {
        const auto mantissa = static_cast<Extended>(random() % 100000000);
        const int exponent = static_cast<int>(random() % 30) - 18;
        values.push_back(mantissa * std::pow(10.0L, static_cast<Extended>(exponent)));
    }
    values.push_back(std::numeric_limits<Extended>::min());
    values.push_back(std::numeric_limits<Extended>::denorm_min());
    values.push_back(std::numeric_limits<Extended>::max());
    return values;
}

TEST(NumberText, IntegerRoundingGivesThePrintedDigits) {
    for (const Extended magnitude : RoundingCases()) {
        for (const Extended value : {magnitude, -magnitude}) {
            for (const int precision : {15, 7, 1, 2, 16, 19}) {
                ASSERT_EQ(GeneralNumberText(value, precision),
                          detail::GeneralNumberTextPrinted(value, precision))
                    << static_cast<double>(value) << " with " << precision << " digits";
            }
            ASSERT_EQ(FixedNumberText(value), detail::FixedNumberTextPrinted(value))
                << static_cast<double>(value);
        }
    }
}

TEST(NumberText, DecimalPointIndependentOfTheLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name) &&
            std::string(std::localeconv()->decimal_point) == ",") {
            switched = true;
            break;
        }
    if (!switched) {
        std::setlocale(LC_NUMERIC, saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const std::string general = GeneralNumberText(-1.25L);
    const std::string scientific = GeneralNumberText(1.5e-7L);
    const std::string fixed = FixedNumberText(3.5L);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(general, "-1.25");
    EXPECT_EQ(scientific, "1.5E-7");
    EXPECT_EQ(fixed, "3.500000");
}

} // namespace
} // namespace xtq

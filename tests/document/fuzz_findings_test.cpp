// Inputs of the document library that fuzzing found mishandled, kept so that
// they stay right.

#include "document/CellConversion.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace xtq {
namespace {

TEST(CellFuzzFindings, ValuesBelowTheNormalRangeKeepTheirValue) {
    // The smallest normal extended value is about 3.36e-4932; below it the
    // subnormal values reach down to about 3.65e-4951. Such cells converted
    // to 0 before.
    const Extended smallest = std::numeric_limits<Extended>::denorm_min();
    struct Case {
        std::string text;
        Extended value;
    };
    const Case cases[] = {
        {"1e-4950", 1e-4950L},
        {" -1E-4940 ", -1e-4940L},
        {"0.000000000001e-4935", 1e-4947L},
        {"3.6451995318824746e-4951", smallest},
        {"1e-4951", 0}, // below half the smallest subnormal: 0
        {"-1e-99999", -0.0L},
    };
    for (const Case& c : cases) {
        Extended value = 1;
        ASSERT_TRUE(TryCellToExtended(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text;
    }
}

} // namespace
} // namespace xtq

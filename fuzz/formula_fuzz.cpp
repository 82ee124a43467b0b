// Formula texts as people type them: compile, then evaluate with variable
// values drawn from the input. Every outcome must be a result or one of the
// program's own errors; nothing may crash, hang or leak.

#include "formula/Errors.h"
#include "formula/FormulaParser.h"
#include "fuzz/FuzzSupport.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

using namespace xtq;

// A small generator seeded from the input, so that every run of the same
// input evaluates with the same values.
class Values {
public:
    explicit Values(const std::uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i)
            state_ = (state_ ^ data[i]) * 0x100000001B3ULL;
    }

    double Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        const std::uint64_t r = state_ >> 11;
        switch ((state_ >> 60) & 7u) {
        case 0:
            return static_cast<double>(static_cast<std::int64_t>(r % 21) - 10);
        case 1:
            return static_cast<double>(r) / 9007199254740992.0; // [0, 1)
        case 2:
            return -static_cast<double>(r % 1000000) / 1000.0;
        case 3: {
            static const double special[] = {0.0,    -0.0,   1.0,          -1.0,
                                             0.5,    2.0,    1e300,        -1e300,
                                             1e-300, 5e-324, 1.0000000001, 3.141592653589793};
            return special[r % (sizeof special / sizeof special[0])];
        }
        default: {
            // Any finite double, from its bits.
            double d;
            std::uint64_t bits = state_ ^ (state_ << 29);
            std::memcpy(&d, &bits, sizeof d);
            return std::isfinite(d) ? d : 1.5;
        }
        }
    }

private:
    std::uint64_t state_ = 0xCBF29CE484222325ULL;
};

const char* const kVariables[] = {"A", "B", "C", "D", "E", "X", "Y", "T", "X1", "X2", "X3"};

// Integer powers multiply once per unit of the exponent, by design (every
// product is rounded to 8 bytes); with exponents in the billions a base close
// to 1 takes seconds (docs/reliability.md). That cost is known, so formulas
// with a literal exponent above a million, and calls of INTPOWER (whose
// exponent any value or product of values can make large), are compiled but
// not evaluated.
bool HasHugeIntegerPower(const TParser& parser) {
    for (const OperationRecord& op : parser.Operations())
        if (op.Code == kIntPower && op.Operand2 && std::fabs(*op.Operand2) > 1e6) return true;
    return false;
}

bool NamesIntPowerFunction(const std::string& text) {
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper.find("INTPOWER") != std::string::npos;
}

void Evaluate(TParser& parser, Values& values) {
    for (const char* name : kVariables)
        parser.StoreVariable(name, values.Next());
    try {
        const Extended value = parser.Value();
        xtq::fuzz::Check(std::isfinite(static_cast<double>(value)),
                         "a value that is not finite was returned");
    } catch (const Exception&) {
        // EMathError, EDivByZero: the program's own messages.
    }
    for (const OperationRecord& op : parser.Operations())
        xtq::fuzz::Check(std::isfinite(*op.Output), "a cell holds a value that is not finite");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Values values(data, size);
    TParser parser;
    for (const char* name : kVariables)
        parser.StoreVariable(name, 1.0);
    try {
        parser.SetExpression(text);
    } catch (const EMathParserError&) {
        xtq::fuzz::Check(parser.Operations().empty(), "a failed compile left operations");
        return 0;
    } catch (const EMathError&) {
        xtq::fuzz::Check(parser.Operations().empty(), "a failed compile left operations");
        return 0; // a literal out of range
    }
    if (HasHugeIntegerPower(parser) || NamesIntPowerFunction(text)) return 0;
    for (int round = 0; round < 3; ++round)
        Evaluate(parser, values);
    return 0;
}

// Evaluation cost per operation and compile time of hard formula shapes.

#include "formula/FormulaBuild.h"
#include "formula/FormulaParser.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>

namespace {

using xtq::TParser;

void Evaluate(benchmark::State& state, const std::string& formula) {
    TParser parser;
    double* x1 = parser.StoreVariable("x1", 1.25);
    double* x2 = parser.StoreVariable("x2", -0.75);
    parser.SetExpression(formula);
    const auto operations = static_cast<double>(parser.Operations().size());
    double sink = 0;
    double step = 0;
    for (auto _ : state) {
        *x1 = 1.25 + step;
        *x2 = -0.75 + step;
        step += 1e-9;
        sink += static_cast<double>(parser.Value());
    }
    benchmark::DoNotOptimize(sink);
    state.counters["operations"] = operations;
    state.counters["ns_per_operation"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * operations,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(Evaluate, product_term, std::string("x1*x2"));
BENCHMARK_CAPTURE(Evaluate, square_term, std::string("x1^2"));
BENCHMARK_CAPTURE(Evaluate, fitted_quadratic_surface,
                  std::string("1.5-2*x1+0.25*x2+3*x1^2-0.5*x2^2+0.125*x1*x2"));
BENCHMARK_CAPTURE(Evaluate, function_heavy, std::string("SIN(x1)*EXP(-x2)+LN(ABS(x1)+1)"));

std::string Repeat(const std::string& unit, int count, const std::string& separator) {
    std::string s = unit;
    for (int i = 1; i < count; ++i)
        s += separator + unit;
    return s;
}

std::string Nest(const std::string& open, const std::string& core, const std::string& close,
                 int count) {
    std::string s = core;
    for (int i = 0; i < count; ++i)
        s = open + s + close;
    return s;
}

// Random texts from formula tokens, valid or not, of about the given length.
std::string RandomText(size_t length, unsigned seed) {
    static const char* tokens[] = {"x1",  "x2",  "2", "1.5", "E5",   "+",    "-", "*", "/", "^",
                                   "DIV", "MOD", "(", ")",   "SIN(", "MAX(", ",", "-", "PI"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() + 16 < length)
        s += tokens[rng() % std::size(tokens)];
    int open = 0;
    for (char c : s)
        open += (c == '(') - (c == ')');
    for (; open > 0; --open)
        s += ')';
    for (; open < 0; ++open)
        s = "(" + s;
    return s.substr(0, xtq::kMaxFormulaLength);
}

void Compile(benchmark::State& state, const std::string& formula) {
    TParser parser;
    parser.StoreVariable("x1", 1);
    parser.StoreVariable("x2", 2);
    for (auto _ : state) {
        try {
            parser.SetExpression(formula);
        } catch (const xtq::Exception&) {
        }
    }
    state.counters["characters"] = static_cast<double>(formula.size());
}

BENCHMARK_CAPTURE(Compile, difference_chain_20, Repeat("x1", 20, "-"));
BENCHMARK_CAPTURE(Compile, quotient_chain_20, Repeat("x1", 20, "/"));
BENCHMARK_CAPTURE(Compile, quadratic_surface_term, std::string("x1*x2"));
BENCHMARK_CAPTURE(Compile, fitted_quadratic_surface,
                  std::string("1.5-2*x1+0.25*x2+3*x1^2-0.5*x2^2+0.125*x1*x2"));
BENCHMARK_CAPTURE(Compile, nested_brackets_19, Nest("(", "x1", ")", 19));
BENCHMARK_CAPTURE(Compile, nested_calls_19, Nest("SIN(", "x1", ")", 19));
BENCHMARK_CAPTURE(Compile, difference_chain_1000_chars, Repeat("x1", 333, "-"));
BENCHMARK_CAPTURE(Compile, failing_sum_1000_chars, Repeat("x1", 333, "+") + "+");
BENCHMARK_CAPTURE(Compile, products_and_differences_1000_chars, Repeat("x1*x2", 166, "-"));
BENCHMARK_CAPTURE(Compile, unary_products_1000_chars, Repeat("x1", 250, "*-"));
BENCHMARK_CAPTURE(Compile, nested_brackets_1000_chars, Nest("(", "x1", ")", 499));
BENCHMARK_CAPTURE(Compile, nested_max_1000_chars, Nest("MAX(", "x1", ",x2)", 142));
BENCHMARK_CAPTURE(Compile, random_1000_chars, RandomText(1000, 1));
BENCHMARK_CAPTURE(Compile, difference_chain_10000_chars, Repeat("x1", 3333, "-"));
BENCHMARK_CAPTURE(Compile, failing_sum_10000_chars, Repeat("x1", 3333, "+") + "+");
BENCHMARK_CAPTURE(Compile, products_and_differences_10000_chars, Repeat("x1*x2", 1666, "-"));
BENCHMARK_CAPTURE(Compile, unary_products_10000_chars, Repeat("x1", 2500, "*-"));
BENCHMARK_CAPTURE(Compile, nested_brackets_10000_chars, Nest("(", "x1", ")", 4999));
BENCHMARK_CAPTURE(Compile, nested_max_10000_chars, Nest("MAX(", "x1", ",x2)", 1428));
BENCHMARK_CAPTURE(Compile, power_chain_10000_chars, Repeat("2", 5000, "^"));
BENCHMARK_CAPTURE(Compile, random_10000_chars_a, RandomText(9000, 1));
BENCHMARK_CAPTURE(Compile, random_10000_chars_b, RandomText(9000, 2));
BENCHMARK_CAPTURE(Compile, random_10000_chars_c, RandomText(9000, 3));
// With a literal that could overflow, the rules run without the shortcuts.
BENCHMARK_CAPTURE(Compile, overflow_literal_1000_chars, Repeat("x1*x2", 165, "-") + "-1E400");

} // namespace

BENCHMARK_MAIN();

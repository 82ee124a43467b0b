#include "app/EvalCommand.h"

#include "app/CliSupport.h"
#include "formula/FormulaParser.h"
#include "regression/NumberText.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace xtq::cli {
namespace {

int Usage() {
    std::fputs("usage: xtq-cli eval FORMULA [NAME=VALUE ...]\n"
               "  VALUE is a decimal number with \".\" as separator\n",
               stderr);
    return 2;
}

} // namespace

int RunEvalCommand(int argc, char** argv) {
    if (argc < 1) return Usage();
    const std::string formula = argv[0];
    std::vector<std::pair<std::string, long double>> variables;
    for (int i = 1; i < argc; ++i) {
        const std::string pair = argv[i];
        const size_t eq = pair.find('=');
        long double value = 0;
        if (eq == std::string::npos || !ParseDecimal(std::string_view(pair).substr(eq + 1), value))
            return Usage();
        variables.emplace_back(pair.substr(0, eq), value);
    }
    try {
        TParser parser;
        for (const auto& [name, value] : variables)
            parser.StoreVariable(name, value);
        parser.SetExpression(formula);
        const Extended value = parser.Value();
        std::printf("%s\n", GeneralNumberText(value).c_str());
        return 0;
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", DescribeError(error).c_str());
        return 1;
    }
}

} // namespace xtq::cli

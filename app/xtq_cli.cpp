// xtq-cli: the command-line face of the program.

#include "app/EvalCommand.h"
#include "app/RegressCommand.h"

#include <cstdio>
#include <cstring>

namespace {

int Usage() {
    std::fputs("usage: xtq-cli eval FORMULA [NAME=VALUE ...]\n"
               "       xtq-cli regress DOCUMENT [-o OUT]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    if (std::strcmp(argv[1], "eval") == 0) return xtq::cli::RunEvalCommand(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "regress") == 0)
        return xtq::cli::RunRegressCommand(argc - 2, argv + 2);
    return Usage();
}

// xtq-make-shipped-data DATA_FOLDER: writes the shipped formula library
// (SysFiles/CDSTem.cds) and its sample documents into the folder.

#include "tests/storage/shipped_data.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        xtq::shipped::WriteShippedData(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

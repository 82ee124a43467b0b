#pragma once
// The formula library an installation starts with, and one sample document
// for each of its formulas, with data made from known coefficients and a
// small, fixed scatter. xtq-make-shipped-data writes them into data/; the
// tests check that data/ holds exactly what this writes.

#include "document/FormulaLibrary.h"

#include <string>
#include <vector>

namespace xtq::shipped {

struct TShippedFormula {
    TFormulaRecord Record;
    std::string DocumentName;         // file name of the sample document, in the data folder
    std::vector<double> Coefficients; // the constants the data were made with, in term order
    // The data points as the document holds them: X1 .. Xn, then Y, as texts.
    std::vector<std::vector<std::string>> Points;
};

std::vector<TShippedFormula> ShippedFormulas();

// The library file, relative to the data folder.
inline constexpr const char* kLibraryPath = "SysFiles/CDSTem.cds";

// Writes the library file and every sample document into the data folder
// (the installation folder: documents at its top, the library in SysFiles).
void WriteShippedData(const std::string& dataFolder);

} // namespace xtq::shipped

#pragma once
// The document of the scale benchmarks: m data points of two variables, the
// points of bench/fit_bench.cpp (x1 = (p mod 1009)/101 - 5, x2 = (p mod 997)/97
// - 5, y the quadratic surface plus 0.1 sin p), each written as a general
// number text of 15 digits, with the quadratic surface as the formula.

#include "document/Document.h"
#include "regression/NumberText.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace xtq::bench {

inline constexpr const char* kSurface = "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2";

// $TMPDIR/xtq-scale-bench, made when missing.
inline std::string BenchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "xtq-scale-bench";
    std::filesystem::create_directories(folder);
    return folder.string();
}

// The process's peak resident size so far.
inline double PeakResidentMiB() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

inline double MiB(size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Fills `doc` with the formula and the m points (results not computed).
inline void BuildDocument(TRegressDocument& doc, int m) {
    doc.SetText(TField::RightSide, kSurface);
    doc.SetText(TField::VariableCount, "2");
    doc.SetText(TField::DataPointCount, std::to_string(m));
    TDataTable& table = doc.Table();
    TTableUpdate update(table);
    for (int p = 1; p <= m; ++p) {
        const double x1 = static_cast<double>(p % 1009) / 101.0 - 5.0;
        const double x2 = static_cast<double>(p % 997) / 97.0 - 5.0;
        const double y = 1.5 + 2 * x1 - 3 * x2 + 0.25 * x1 * x1 + 4 * x2 * x2 - 1.5 * x1 * x2 +
                         0.1 * std::sin(static_cast<double>(p));
        table.SetCell(1, p, GeneralNumberText(x1));
        table.SetCell(2, p, GeneralNumberText(x2));
        table.SetCell(3, p, GeneralNumberText(y));
    }
}

// Writes the document of m points, regressed once, to `path`.
inline void MakeDocument(const std::string& path, int m) {
    TRegressDocument doc;
    BuildDocument(doc, m);
    doc.Regress();
    doc.WriteDocument(path);
}

} // namespace xtq::bench

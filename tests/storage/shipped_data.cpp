#include "tests/storage/shipped_data.h"

#include "core/AsciiCase.h"
#include "document/AliasDecoding.h"
#include "storage/DocumentFile.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace xtq::shipped {

namespace {

using Point = std::vector<double>;
using Model = std::function<double(const std::vector<double>& c, const Point& x)>;

// Six significant digits, "." as decimal point, whatever the locale.
std::string NumberText(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, result.ptr);
}

// A fixed scatter in [-1, 1], the same on every run and every machine.
class Scatter {
public:
    explicit Scatter(std::uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    std::uint32_t state_;
};

// Relative scatter of the measured values.
constexpr double kScatter = 0.004;

std::vector<Point> Line(double from, double step, int count) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({from + step * i});
    return points;
}

std::vector<Point> Values(std::initializer_list<double> xs) {
    std::vector<Point> points;
    for (const double x : xs)
        points.push_back({x});
    return points;
}

std::vector<Point> Grid(int nx, int ny, double x0, double y0) {
    std::vector<Point> points;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < ny; ++j)
            points.push_back({x0 + i, y0 + j});
    }
    return points;
}

std::vector<Point> ThreeVariables() {
    std::vector<Point> points;
    for (int i = 0; i < 15; ++i) {
        points.push_back({1.0 + i % 5, 1.0 + i / 5, 1.0 + 0.5 * ((i * 3) % 7)});
    }
    return points;
}

// The display form of the right side, as the definition page shows it after
// the aliases are applied: every key replaced by its alias (letter case
// ignored, left to right), then "*" shown as ".".
std::string DisplayedFormula(const std::string& formula, const std::string& aliasText) {
    std::string text = formula;
    for (const TAliasRow& row : DecodeAliases(aliasText)) {
        if (row.Key.empty()) continue;
        std::string out;
        size_t pos = 0;
        while (pos < text.size()) {
            if (SameTextAscii(std::string_view(text).substr(pos, row.Key.size()), row.Key)) {
                out += row.Value;
                pos += row.Key.size();
            } else {
                out += text[pos++];
            }
        }
        text = out;
    }
    for (char& c : text) {
        if (c == '*') c = '.';
    }
    return text;
}

struct Definition {
    const char* number;
    const char* left;
    const char* formula;
    int variables;
    const char* document;
    std::vector<double> coefficients;
    Model model;
    std::vector<Point> points;
};

std::vector<Definition> Definitions() {
    const auto x = [](const Point& p) { return p[0]; };
    const auto y = [](const Point& p) { return p[1]; };
    return {
        // The three examples of the manual.
        {"01",
         "y",
         "a+b*x1",
         1,
         "sample-01-line.rgs",
         {2.5, 1.8},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * x(p); },
         Line(1, 1, 10)},
        {"02",
         "z",
         "a+b*x1+c*x2",
         2,
         "sample-02-plane.rgs",
         {1.2, 0.8, 2.1},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * x(p) + c[2] * y(p); },
         Grid(4, 3, 1, 1)},
        {"03",
         "z",
         "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2",
         2,
         "sample-03-quadratic-surface.rgs",
         {3.0, 0.5, -0.4, 0.3, 0.2, 0.25},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * x(p) + c[2] * y(p) + c[3] * x(p) * x(p) + c[4] * y(p) * y(p) +
                    c[5] * x(p) * y(p);
         },
         Grid(5, 4, 0, 0)},
        // Polynomials.
        {"04",
         "y",
         "a+b*x1+c*x1^2",
         1,
         "sample-04-polynomial-2.rgs",
         {1.0, 0.6, 0.35},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * x(p) + c[2] * std::pow(x(p), 2);
         },
         Line(1, 1, 10)},
        {"05",
         "y",
         "a+b*x1+c*x1^2+d*x1^3",
         1,
         "sample-05-polynomial-3.rgs",
         {4.0, 1.5, -0.6, 0.08},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * x(p) + c[2] * std::pow(x(p), 2) + c[3] * std::pow(x(p), 3);
         },
         Line(1, 1, 12)},
        {"06",
         "y",
         "a+b*x1+c*x1^2+d*x1^3+e*x1^4",
         1,
         "sample-06-polynomial-4.rgs",
         {2.0, 0.5, 0.3, -0.12, 0.015},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * x(p) + c[2] * std::pow(x(p), 2) + c[3] * std::pow(x(p), 3) +
                    c[4] * std::pow(x(p), 4);
         },
         Line(0.5, 0.5, 14)},
        {"07",
         "y",
         "a+b*x1+c*x1^2+d*x1^3+e*x1^4+f*x1^5",
         1,
         "sample-07-polynomial-5.rgs",
         {3.0, 1.0, -0.5, 0.2, -0.03, 0.0015},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * x(p) + c[2] * std::pow(x(p), 2) + c[3] * std::pow(x(p), 3) +
                    c[4] * std::pow(x(p), 4) + c[5] * std::pow(x(p), 5);
         },
         Line(0.5, 0.5, 16)},
        // Through the origin.
        {"08",
         "y",
         "a*x1",
         1,
         "sample-08-origin-line.rgs",
         {2.35},
         [=](const auto& c, const Point& p) { return c[0] * x(p); },
         Line(1, 1, 10)},
        {"09",
         "y",
         "a*x1+b*x1^2",
         1,
         "sample-09-origin-quadratic.rgs",
         {1.4, 0.22},
         [=](const auto& c, const Point& p) { return c[0] * x(p) + c[1] * x(p) * x(p); },
         Line(1, 1, 10)},
        {"10",
         "z",
         "a*x1+b*x2",
         2,
         "sample-10-origin-plane.rgs",
         {1.5, 0.7},
         [=](const auto& c, const Point& p) { return c[0] * x(p) + c[1] * y(p); },
         Grid(3, 3, 1, 1)},
        // Logarithmic.
        {"11",
         "y",
         "a+b*LN(x1)",
         1,
         "sample-11-logarithmic.rgs",
         {1.5, 2.2},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * std::log(x(p)); },
         Values({1, 2, 3, 5, 8, 12, 18, 25, 35, 50})},
        {"12",
         "y",
         "a+b*LN(x1)+c*LN(x1)^2",
         1,
         "sample-12-logarithmic-quadratic.rgs",
         {2.0, 1.1, 0.4},
         [=](const auto& c, const Point& p) {
             const double l = std::log(x(p));
             return c[0] + c[1] * l + c[2] * l * l;
         },
         Values({1, 2, 3, 5, 8, 12, 18, 25, 35, 50, 70, 100})},
        // Reciprocal.
        {"13",
         "y",
         "a+b*(1/x1)",
         1,
         "sample-13-reciprocal.rgs",
         {3.0, 4.0},
         [=](const auto& c, const Point& p) { return c[0] + c[1] / x(p); },
         Line(0.5, 0.5, 10)},
        {"14",
         "y",
         "a+b*(1/x1)+c*(1/x1^2)",
         1,
         "sample-14-reciprocal-quadratic.rgs",
         {1.5, 2.0, 0.8},
         [=](const auto& c, const Point& p) { return c[0] + c[1] / x(p) + c[2] / (x(p) * x(p)); },
         Line(0.5, 0.5, 12)},
        // Square root.
        {"15",
         "y",
         "a+b*SQRT(x1)",
         1,
         "sample-15-square-root.rgs",
         {1.2, 0.9},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * std::sqrt(x(p)); },
         Values({0, 1, 2, 4, 6, 9, 12, 16, 20, 25})},
        {"16",
         "y",
         "a+b*x1+c*SQRT(x1)",
         1,
         "sample-16-line-square-root.rgs",
         {0.5, 0.3, 1.6},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * x(p) + c[2] * std::sqrt(x(p)); },
         Line(1, 1, 12)},
        // Exponential in x.
        {"17",
         "y",
         "a+b*EXP(x1)",
         1,
         "sample-17-exponential.rgs",
         {1.0, 0.5},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * std::exp(x(p)); },
         Line(0, 0.3, 11)},
        {"18",
         "y",
         "a+b*EXP(-x1)",
         1,
         "sample-18-exponential-decay.rgs",
         {2.0, 3.0},
         [=](const auto& c, const Point& p) { return c[0] + c[1] * std::exp(-x(p)); },
         Line(0, 0.5, 11)},
        // More variables.
        {"19",
         "u",
         "a+b*x1+c*x2+d*x3",
         3,
         "sample-19-three-variables.rgs",
         {2.0, 1.1, 0.6, 1.8},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * p[0] + c[2] * p[1] + c[3] * p[2];
         },
         ThreeVariables()},
        {"20",
         "z",
         "a+b*x1+c*x2+d*x1*x2",
         2,
         "sample-20-plane-interaction.rgs",
         {1.0, 0.5, 0.9, 0.3},
         [=](const auto& c, const Point& p) {
             return c[0] + c[1] * x(p) + c[2] * y(p) + c[3] * x(p) * y(p);
         },
         Grid(4, 4, 1, 1)},
    };
}

const char* AliasText(int variables) {
    switch (variables) {
    case 1:
        return "x1=x";
    case 2:
        return "x1=x,x2=y";
    default:
        return "x1=x,x2=y,x3=z";
    }
}

// A sample document as the window holds it before the first regression run.
class SampleDocument : public TDocumentFileSource {
public:
    explicit SampleDocument(const TShippedFormula& formula)
        : formula_(formula), aliases_(DecodeAliases(formula.Record.TemAlias)),
          variables_(*formula.Record.TemVn) {
        displayed_ = DisplayedFormula(formula.Record.TemFormula, formula.Record.TemAlias);
        pointCount_ = std::to_string(formula.Points.size());
        variableCount_ = std::to_string(variables_);
    }

    std::string_view Text(TDocumentLine line) const override {
        switch (line) {
        case TDocumentLine::LeftName:
            return formula_.Record.TemFx;
        case TDocumentLine::RightSide:
            return formula_.Record.TemFormula;
        case TDocumentLine::DisplayedFormula:
            return displayed_;
        case TDocumentLine::DataPointCount:
            return pointCount_;
        case TDocumentLine::VariableCount:
            return variableCount_;
        case TDocumentLine::Correlation:
        case TDocumentLine::MaximumError:
        case TDocumentLine::MeanError:
            return "0.00";
        case TDocumentLine::Coefficients:
        case TDocumentLine::Result:
            break;
        }
        return "";
    }
    int AliasCount() const override { return static_cast<int>(aliases_.size()); }
    std::string_view AliasKey(int index) const override {
        return aliases_[static_cast<size_t>(index)].Key;
    }
    std::string_view AliasValue(int index) const override {
        return aliases_[static_cast<size_t>(index)].Value;
    }
    int RowCount() const override { return static_cast<int>(formula_.Points.size()) + 1; }
    int ColCount() const override { return variables_ + 4; }
    std::string_view Cell(int col, int row) const override {
        if (row == 0) {
            if (col == 0) return "";
            if (col <= variables_) {
                header_ = "X" + std::to_string(col);
                return header_;
            }
            if (col == variables_ + 1) return " Y。 ";
            if (col == variables_ + 2) return " Y` ";
            return " e (%) ";
        }
        if (col == 0) {
            header_ = std::to_string(row);
            return header_;
        }
        const auto& point = formula_.Points[static_cast<size_t>(row - 1)];
        if (col <= variables_ + 1) return point[static_cast<size_t>(col - 1)];
        return ""; // fitted value and error: not yet computed
    }

private:
    const TShippedFormula& formula_;
    TAliasRows aliases_;
    int variables_;
    std::string displayed_;
    std::string pointCount_;
    std::string variableCount_;
    mutable std::string header_;
};

} // namespace

std::vector<TShippedFormula> ShippedFormulas() {
    std::vector<TShippedFormula> formulas;
    std::uint32_t seed = 20240601;
    for (const Definition& d : Definitions()) {
        TShippedFormula f;
        f.Record = {d.number, d.left, d.formula, d.variables, AliasText(d.variables)};
        f.DocumentName = d.document;
        f.Coefficients = d.coefficients;
        Scatter scatter(seed++);
        for (const Point& exact : d.points) {
            // The model is evaluated at the values as the document shows them.
            Point p;
            std::vector<std::string> texts;
            for (const double v : exact) {
                texts.push_back(NumberText(v));
                double shown = 0;
                std::from_chars(texts.back().data(), texts.back().data() + texts.back().size(),
                                shown);
                p.push_back(shown);
            }
            const double value = d.model(d.coefficients, p) * (1 + kScatter * scatter.Next());
            texts.push_back(NumberText(value));
            f.Points.push_back(std::move(texts));
        }
        formulas.push_back(std::move(f));
    }
    return formulas;
}

void WriteShippedData(const std::string& dataFolder) {
    const std::filesystem::path folder(dataFolder);
    std::filesystem::create_directories(folder / "SysFiles");
    const std::vector<TShippedFormula> formulas = ShippedFormulas();
    std::vector<TFormulaRecord> records;
    for (const TShippedFormula& f : formulas) {
        records.push_back(f.Record);
        WriteDocumentFile((folder / f.DocumentName).string(), SampleDocument(f));
    }
    TFormulaLibrary library;
    library.Open(std::move(records));
    library.SaveToFile((folder / kLibraryPath).string());
}

} // namespace xtq::shipped

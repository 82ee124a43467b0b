#include "app/RegressCommand.h"

#include "app/CliSupport.h"
#include "document/Document.h"
#include "formula/Errors.h"

#include <cstdio>
#include <string>

namespace xtq::cli {
namespace {

int Usage() {
    std::fputs("usage: xtq-cli regress DOCUMENT [-o OUT]\n", stderr);
    return 2;
}

void PrintLine(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

void PrintField(const char* name, const TRegressDocument& doc, TField field) {
    PrintLine(std::string(name) + ": " + doc.Text(field));
}

void PrintResults(const TRegressDocument& doc) {
    PrintField("R", doc, TField::Correlation);
    PrintField("mean error (%)", doc, TField::MeanError);
    PrintField("max error (%)", doc, TField::MaxError);
    PrintField("coefficients", doc, TField::Coefficients);
    PrintField("fitted formula", doc, TField::FittedFormula);
    const TDataTable& table = doc.Table();
    for (int row = 1; row < table.RowCount(); ++row) {
        std::string line = std::to_string(row);
        line += '\t';
        line.append(table.Cell(table.ColCount() - 2, row));
        line += '\t';
        line.append(table.Cell(table.ColCount() - 1, row));
        PrintLine(line);
    }
}

// Formula and arithmetic errors name their class, as xtq-cli eval writes them.
std::string ErrorText(const Exception& error) {
    if (dynamic_cast<const EMathParserError*>(&error) != nullptr ||
        dynamic_cast<const EMathError*>(&error) != nullptr ||
        dynamic_cast<const EIntError*>(&error) != nullptr)
        return DescribeError(error);
    return error.message();
}

} // namespace

int RunRegressCommand(int argc, char** argv) {
    std::string document;
    std::string out;
    bool haveOut = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            if (haveOut || i + 1 >= argc) return Usage();
            out = argv[++i];
            haveOut = true;
        } else if (document.empty() && !arg.empty() && arg[0] != '-') {
            document = arg;
        } else {
            return Usage();
        }
    }
    if (document.empty()) return Usage();

    try {
        TRegressDocument doc;
        doc.OpenDocument(document);
        const TRegressOutcome outcome = doc.Regress();
        if (outcome == TRegressOutcome::IncompleteData) {
            std::fprintf(stderr, "%s\n", doc.Text(TField::StatusMessage).c_str());
            return 3;
        }
        PrintResults(doc);
        std::fflush(stdout);
        if (haveOut) doc.WriteDocument(out);
        if (outcome == TRegressOutcome::Singular) {
            std::fprintf(stderr, "%s\n", doc.Text(TField::StatusMessage).c_str());
            return 4;
        }
        return 0;
    } catch (const Exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", ErrorText(error).c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

} // namespace xtq::cli

// Inputs far beyond what anyone types: a formula of 10 MB, a document whose
// counts claim 10^9 rows, a cell of 1 MB, 10,000 aliases. Each ends in a
// clear message or in the correct result, in a child process whose address
// space is limited to 1 GiB (docs/reliability.md has the times and memory).

#include "core/IntegerText.h"
#include "document/Document.h"
#include "formula/FormulaParser.h"
#include "regression/FormulaSplit.h"
#include "tests/document/DocumentTesting.h"
#include "tests/storage/ChildProcess.h"
#include "tests/storage/TempFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

namespace xtq {
namespace {

using testing::TempFolder;
using testing::TypeData;
using testing::WriteBytes;

constexpr rlim_t kMemoryLimit = rlim_t{1} << 30;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true; // the shadow memory needs terabytes of addresses
#else
constexpr bool kSanitized = false;
#endif

// Runs the case in a child process limited to 1 GiB of address space and
// returns what it reported: its text, or how it died.
std::string InLimitedChild(const std::function<std::string()>& body) {
    return testing::InChild(
        [] {
            if (!kSanitized) {
                const rlimit limit{kMemoryLimit, kMemoryLimit};
                setrlimit(RLIMIT_AS, &limit);
            }
            return true;
        },
        body);
}

// "a+b*x1+b*x1+..." up to the given size: short terms, hundreds of thousands.
std::string ManyTerms(size_t bytes) {
    std::string text = "a";
    text.reserve(bytes + 8);
    while (text.size() < bytes)
        text += "+b*x1";
    return text;
}

// One data point table: rows (1, 3), (2, 5), (3, 7) of one variable.
void TypeLine(TRegressDocument& doc) {
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}, {"3", "7"}});
}

constexpr size_t kTenMegabytes = size_t{10} << 20;

TEST(Limits, FormulaOfTenMegabytesIsRefusedWithItsMessage) {
    // Compiled directly: the compiler's guard of 10,000 characters.
    EXPECT_EQ(InLimitedChild([] {
                  TParser parser;
                  parser.StoreVariable("x1", 1);
                  parser.SetExpression("x1" + std::string(kTenMegabytes, ')'));
                  return std::string("compiled");
              }),
              "EExpressionTooComplex: Expression is too complex");
    EXPECT_EQ(InLimitedChild([] {
                  TParser parser;
                  parser.StoreVariable("x1", 1);
                  parser.SetExpression(ManyTerms(kTenMegabytes));
                  return std::string("compiled");
              }),
              "EExpressionTooComplex: Expression is too complex");
    // Regressed: hundreds of thousands of terms would need a matrix of
    // hundreds of gigabytes; one huge term meets the compiler's guard.
    EXPECT_EQ(InLimitedChild([] {
                  TRegressDocument doc;
                  TypeLine(doc);
                  doc.SetText(TField::RightSide, ManyTerms(kTenMegabytes));
                  doc.ApplyDefinition();
                  return std::string("regressed");
              }),
              std::string("EExpressionTooComplex: ") + kTooManyTermsMessage);
    EXPECT_EQ(InLimitedChild([] {
                  TRegressDocument doc;
                  TypeLine(doc);
                  std::string term = "b*(x1";
                  while (term.size() < kTenMegabytes)
                      term += "+x1";
                  doc.SetText(TField::RightSide, "a+" + term + ")");
                  doc.Regress();
                  return std::string("regressed");
              }),
              "EExpressionTooComplex: Expression is too complex");
}

TEST(Limits, FormulaOfTenMegabytesIsSavedAndOpenedWhole) {
    EXPECT_EQ(InLimitedChild([] {
                  TempFolder folder;
                  const std::string path = folder.File("big.rgs");
                  const std::string formula = ManyTerms(kTenMegabytes);
                  TRegressDocument doc;
                  doc.SetText(TField::RightSide, formula);
                  doc.WriteDocument(path);
                  TRegressDocument read;
                  read.ReadDocument(path);
                  return std::string(read.Text(TField::RightSide) == formula ? "same" : "differs");
              }),
              "same");
}

TEST(Limits, TheTermLimitIsExact) {
    TFormulaTerms lists;
    EXPECT_EQ(SplitTerms(ManyTerms(5 * kMaxTerms - 4), lists), static_cast<int>(kMaxTerms));
    EXPECT_EQ(lists.Terms.size(), kMaxTerms);
    // Terms inside brackets do not count.
    EXPECT_EQ(SplitTerms("a+b*(" + ManyTerms(50000) + ")", lists), 2);
    TFormulaTerms untouched;
    EXPECT_THROW(SplitTerms(ManyTerms(5 * kMaxTerms + 1), untouched), EExpressionTooComplex);
    EXPECT_TRUE(untouched.Terms.empty());
}

TEST(Limits, DocumentClaimingABillionRowsEndsInItsMessage) {
    auto open = [](const std::vector<std::string>& lines) {
        return InLimitedChild([&lines] {
            TempFolder folder;
            const std::string path = folder.File("claims.rgs");
            std::string bytes;
            for (const std::string& line : lines)
                bytes += line + "\r\n";
            WriteBytes(path, bytes);
            TRegressDocument doc;
            doc.ReadDocument(path);
            return "opened with " + std::to_string(doc.Table().RowCount()) + " rows";
        });
    };
    const std::vector<std::string> head = {"Y", "a+b*x1", "a+b.x1", "3", "1", "", "", "", "", ""};
    auto with = [&head](std::vector<std::string> tail) {
        std::vector<std::string> lines = head;
        lines.insert(lines.end(), tail.begin(), tail.end());
        return lines;
    };
    // The data-point count line and the row count line.
    std::vector<std::string> countLine = head;
    countLine[3] = "1000000000";
    EXPECT_EQ(open(countLine), "ECountRangeError: 数据点数不能超过1000000（输入的是1000000000）");
    EXPECT_EQ(open(with({"1", "2", "1000000001", "5"})),
              "ECountRangeError: 数据点数不能超过1000000（文件中的表格行数是1000000001）");
    EXPECT_EQ(open(with({"1", "2", "4", "1000000000"})),
              "ECountRangeError: 表格列数不能超过104（文件中的表格列数是1000000000）");
    // Beyond the integer range: not a valid integer at all.
    EXPECT_EQ(open(with({"1", "2", "10000000000", "5"})),
              "EConvertError: '10000000000' is not a valid integer value");
    // A billion alias pairs claimed: the pairs that are there are read, then
    // the row count is missing.
    EXPECT_EQ(open(with({"1000000000", "2", "x1", "x"})),
              "EConvertError: '' is not a valid integer value");
    // The largest table the program keeps opens, holding only its row numbers.
    EXPECT_EQ(open(with({"1", "2", "1000001", "104"})), "opened with 1000001 rows");
}

TEST(Limits, CellOfOneMegabyte) {
    const std::string digits(size_t{1} << 20, '7');
    struct Case {
        std::string cell;
        std::string outcome;
    };
    const Case cases[] = {
        // 7.77...e1048575: beyond the extended range, so not a number.
        {digits, "IncompleteData 数据不完整。数据点：2"},
        // A megabyte of blanks around a number is still the number.
        {std::string(size_t{1} << 19, ' ') + "2" + std::string(size_t{1} << 19, ' '),
         "Done 1.000000"},
        // A megabyte of digits after the point, and an exponent that brings
        // them back into range.
        {"0." + std::string((size_t{1} << 20) - 1, '0') + "2e1048576", "Done 1.000000"},
        {"2." + std::string(size_t{1} << 20, '0'), "Done 1.000000"},
        {"x" + digits, "IncompleteData 数据不完整。数据点：2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InLimitedChild([&c] {
                      TRegressDocument doc;
                      TypeLine(doc);
                      doc.Table().SetCell(1, 2, c.cell);
                      doc.SetText(TField::RightSide, "a+b*x1");
                      const TRegressOutcome outcome = doc.Regress();
                      if (outcome == TRegressOutcome::IncompleteData)
                          return "IncompleteData " + doc.Text(TField::StatusMessage);
                      return "Done " + doc.Text(TField::Correlation);
                  }),
                  c.outcome)
            << c.cell.substr(0, 20);
    }
    // Saved and opened again whole, as a cell and as a header.
    EXPECT_EQ(InLimitedChild([&digits] {
                  TempFolder folder;
                  const std::string path = folder.File("cell.rgs");
                  TRegressDocument doc;
                  doc.Table().SetCell(1, 1, digits);
                  doc.Table().SetCell(1, 0, "X1" + digits);
                  doc.Aliases().Append("x1", "x");
                  doc.WriteDocument(path);
                  TRegressDocument read;
                  read.ReadDocument(path);
                  const bool same = read.Table().Cell(1, 1) == digits &&
                                    read.DisplayText(1, 0) == "x" + digits &&
                                    read.Table().Cell(1, 0) == "X1" + digits;
                  return std::string(same ? "same" : "differs");
              }),
              "same");
}

TEST(Limits, TenThousandAliases) {
    EXPECT_EQ(InLimitedChild([] {
                  TempFolder folder;
                  const std::string path = folder.File("aliases.rgs");
                  TRegressDocument doc;
                  TypeLine(doc);
                  doc.SetText(TField::RightSide, "a+b*x1");
                  for (int i = 1; i < kMaxAliasRows; ++i)
                      doc.Aliases().Append("k" + std::to_string(i), "v");
                  doc.Aliases().Append("x1", "温度");
                  doc.WriteDocument(path);
                  TRegressDocument read;
                  read.ReadDocument(path);
                  read.ApplyDefinition();
                  return std::to_string(read.Aliases().Count()) + " " +
                         read.Text(TField::DisplayedFormula) + " " +
                         read.Text(TField::FittedFormula) + " " + read.DisplayText(1, 0);
              }),
              "10000 a+b.温度 Y=1+2.温度 温度");
    // One more is refused with its message, and a file holding more stops
    // there with the rows before it read.
    EXPECT_EQ(InLimitedChild([] {
                  TempFolder folder;
                  const std::string path = folder.File("more.rgs");
                  std::string bytes =
                      "Y\r\na\r\na\r\n3\r\n1\r\n\r\n\r\n\r\n\r\n\r\n100001\r\n2\r\n";
                  for (int i = 0; i < 100000; ++i)
                      bytes += "k" + std::to_string(i) + "\r\nv\r\n";
                  WriteBytes(path, bytes);
                  TRegressDocument doc;
                  try {
                      doc.ReadDocument(path);
                  } catch (const Exception& e) {
                      return std::to_string(doc.Aliases().Count()) + " " + e.className() + ": " +
                             e.what();
                  }
                  return std::string("read");
              }),
              std::string("10000 ECountRangeError: ") + kTooManyAliasesMessage);
}

} // namespace
} // namespace xtq

#pragma once
// Decomposition of a right-hand side into its terms: a sum joined by "+" at
// bracket depth 0, each term a lone constant or a constant, "*" and an
// expression. Works on characters only; names are display text.

#include <cstddef>
#include <string>
#include <vector>

namespace xtq {

// Two parallel lists with one entry per term, in formula order.
struct TFormulaTerms {
    // The expression of each term: "1" for a lone constant.
    std::vector<std::string> Terms;
    // The display name of each term's constant.
    std::vector<std::string> ConstNames;
};

// The most terms a right-hand side may have. The fit keeps a square matrix of
// the terms and solves it in time that grows with the cube of their number;
// there are 2,886 constant names (a letter and up to two digits).
inline constexpr std::size_t kMaxTerms = 1000;
inline constexpr const char* kTooManyTermsMessage =
    "Expression is too complex (more than 1000 terms)";

// Splits the right-hand side at every "+" of bracket depth 0 (brackets are
// counted, not matched) and decomposes each term with SplitTerm. Returns the
// number of terms, at least 1; both lists end with exactly that many entries.
// Raises EExpressionTooComplex (kTooManyTermsMessage), building nothing, for
// a right side of more than kMaxTerms terms.
int SplitTerms(const std::string& rightHandSide, TFormulaTerms& lists);

// Sets both lists to m entries (m counted from 1) and fills entry m-1 from the
// term text: without "*", the expression "1" and the first three characters
// as the name; otherwise the text before the first "*" as the name and the
// rest as the expression.
void SplitTerm(const std::string& term, int m, TFormulaTerms& lists);

} // namespace xtq

// The compiler against a plain, slow reading of its rules: straight
// recursion, nothing remembered, on many generated short formulas.

#include "formula/FormulaParser.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <numbers>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace xtq {
namespace {

enum F { N, V, B, U, SP, SM, M, DV, MD, Q, P, F1, F2 };

struct ParseFailure {
    std::string cls, msg;
};

// The rules, read as literally as possible.
class Reference {
public:
    std::set<std::string> vars = {"A", "B", "C", "D", "E", "X", "Y", "T", "Z1"};
    std::set<std::string> one = {"SIN", "COS", "LN", "SQRT", "ABS", "EXP", "SQR"};
    std::set<std::string> two = {"MAX", "MIN", "POWER", "ARG"};

    static bool Bal(const std::string& s) {
        int o = 0, c = 0;
        for (char ch : s)
            o += ch == '(', c += ch == ')';
        return o == c;
    }

    std::optional<double> Literal(const std::string& s) {
        if (s == "PI") return std::numbers::pi;
        if (s == "-PI") return -std::numbers::pi;
        size_t i = 0;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const size_t rest = i;
        while (i < s.size() && isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i < s.size() && s[i] == '.') {
            ++i;
            while (i < s.size() && isdigit(static_cast<unsigned char>(s[i])))
                ++i;
        }
        if (i < s.size() && s[i] == 'E') {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
            const size_t d = i;
            while (i < s.size() && isdigit(static_cast<unsigned char>(s[i])))
                ++i;
            if (i == d) return std::nullopt;
        }
        if (i != s.size() || i == rest) return std::nullopt;
        // Same value reading as a C program would: fill in the missing digits.
        std::string t;
        size_t j = 0;
        if (s[j] == '+' || s[j] == '-') t += s[j++];
        if (j < s.size() && (s[j] == '.' || s[j] == 'E')) t += '0';
        for (; j < s.size(); ++j) {
            t += s[j];
            if (s[j] == '.' && (j + 1 == s.size() || s[j + 1] == 'E')) t += '0';
            if (s[j] == 'E' && j > 0 && s[j - 1] == '.') {
            }
        }
        if (t.size() && t.back() == '.') t += '0';
        const long double v = std::strtold(t.c_str(), nullptr);
        const double d = static_cast<double>(v);
        if (std::isinf(d)) throw ParseFailure{"EOverflow", "Floating point overflow"};
        return d;
    }

    // Accepts s by form f; yields the operand texts.
    bool Accept(F f, const std::string& s, std::string* l = nullptr, std::string* r = nullptr) {
        std::string a, b;
        bool ok = false;
        switch (f) {
        case N:
            ok = Literal(s).has_value();
            break;
        case V:
            ok = vars.count(s) > 0;
            break;
        case B:
            ok = s.size() >= 2 && s.front() == '(' && s.back() == ')' &&
                 Valid(s.substr(1, s.size() - 2), &a);
            break;
        case U:
            if (s.size() >= 1 && s[0] == '-') {
                const std::string rest = s.substr(1);
                if (Accept(B, rest, &a))
                    ok = true;
                else if (Accept(V, rest) || Accept(P, rest) || Accept(F1, rest) ||
                         Accept(F2, rest)) {
                    a = rest;
                    ok = true;
                }
            }
            break;
        case F1: {
            const size_t p = s.find('(');
            if (p != std::string::npos && p != 0 && one.count(s.substr(0, p)) &&
                Accept(B, s.substr(p), &a))
                ok = true;
            break;
        }
        case F2: {
            const size_t p = s.find('(');
            if (p == std::string::npos || p == 0 || s.back() != ')' || !two.count(s.substr(0, p)))
                break;
            const std::string args = s.substr(p + 1, s.size() - p - 2);
            for (size_t c = 0; c < args.size(); ++c) {
                if (args[c] != ',') continue;
                if (c == 0 || c == args.size() - 1) break;
                if (Valid(args.substr(0, c), &a) && Valid(args.substr(c + 1), &b)) {
                    ok = true;
                    break;
                }
            }
            break;
        }
        default:
            ok = Binary(f, s, &a, &b);
            break;
        }
        if (ok && l) *l = (f == B) ? a : a;
        if (ok && r) *r = b;
        if (ok && f == B && l) *l = a;
        return ok;
    }

    static const char* Op(F f) {
        switch (f) {
        case SP:
            return "+";
        case SM:
            return "-";
        case M:
            return "*";
        case DV:
            return "DIV";
        case MD:
            return "MOD";
        case Q:
            return "/";
        default:
            return "^";
        }
    }

    static std::vector<F> LeftForms(F f) {
        if (f == SP || f == SM) return {N, V, B, U, SM, M, DV, MD, Q, P, F1, F2};
        if (f == P) return {N, V, B, F1, F2};
        return {N, V, B, U, DV, MD, Q, P, F1, F2};
    }
    static std::vector<F> RightForms(F f) {
        if (f == SP) return {N, V, B, SP, SM, M, DV, MD, Q, P, F1, F2};
        if (f == SM || f == M) return {N, V, B, M, DV, MD, Q, P, F1, F2};
        if (f == P) return {N, V, B, F1, F2};
        return {N, V, B, P, F1, F2};
    }

    bool SideAccept(const std::vector<F>& forms, const std::string& s, std::string* yield) {
        for (F f : forms) {
            std::string in;
            if (Accept(f, s, &in)) {
                *yield = f == B ? in : s;
                return true;
            }
        }
        return false;
    }

    bool Binary(F f, const std::string& s, std::string* l, std::string* r) {
        const std::string op = Op(f);
        const bool keyword = op.size() == 3;
        for (size_t k = 0; k < s.size(); ++k) {
            if (s.compare(k, op.size(), op) != 0) continue;
            if (keyword) {
                if (k == 0) continue;
            } else {
                if (f == SM && k == 0) continue;
                if (k == 0 || k == s.size() - 1) return false;
            }
            const std::string left = s.substr(0, k), right = s.substr(k + op.size());
            if (!Bal(left) || !Bal(right)) continue;
            if (SideAccept(LeftForms(f), left, l) && SideAccept(RightForms(f), right, r))
                return true;
        }
        return false;
    }

    bool Valid(const std::string& s, std::string* yield) {
        for (F f : {N, V, U, SP, SM, M, DV, MD, Q, P, F2, F1, B}) {
            std::string in;
            if (Accept(f, s, &in)) {
                *yield = f == B ? in : s;
                return true;
            }
        }
        return false;
    }

    int PowerCode(const std::string& right) {
        const auto v = Literal(right);
        if (!v) return 10;
        if (*v < -9223372036854775808.0 || *v >= 9223372036854775808.0)
            throw ParseFailure{"EInvalidOp", "Invalid floating point operation"};
        if (*v != std::trunc(*v) || *v < -2147483648.0 || *v > 2147483647.0) return 10;
        return *v == 2 ? 11 : *v == 3 ? 12 : *v == 4 ? 13 : 9;
    }

    std::string Message(const std::string& s) {
        std::string L = " ", R = " ", in;
        if (!s.empty() && s[0] == '-') L = Accept(B, s.substr(1), &in) ? in : s.substr(1);
        for (F f : {SP, SM, M, DV, MD, Q, P}) {
            const std::string op = Op(f);
            const bool keyword = op.size() == 3;
            for (size_t k = 0; k < s.size(); ++k) {
                if (s.compare(k, op.size(), op) != 0) continue;
                if (keyword) {
                    if (k == 0) continue;
                } else {
                    if (f == SM && k == 0) continue;
                    if (k == 0 || k == s.size() - 1) break;
                }
                const std::string left = s.substr(0, k), right = s.substr(k + op.size());
                R = right;
                if (f != SP || (Bal(left) && Bal(right))) L = left;
                if (!Bal(left) || !Bal(right)) continue;
                std::string y;
                if (SideAccept(LeftForms(f), left, &y)) {
                    L = y;
                    if (SideAccept(RightForms(f), right, &y)) R = y;
                }
            }
        }
        const size_t p = s.find('(');
        const bool call = p != std::string::npos && p != 0 && s.back() == ')';
        if (call && one.count(s.substr(0, p))) {
            std::string inner = s.substr(p + 1, s.size() - p - 2);
            while (Accept(B, inner))
                inner = inner.substr(1, inner.size() - 2);
            L = inner;
        }
        if (call && two.count(s.substr(0, p))) {
            const std::string args = s.substr(p + 1, s.size() - p - 2);
            for (size_t c = 0; c < args.size(); ++c) {
                if (args[c] != ',') continue;
                if (c == 0 || c == args.size() - 1) break;
                L = args.substr(0, c);
                std::string y;
                if (Valid(L, &y)) {
                    L = y;
                    R = args.substr(c + 1);
                    if (Valid(R, &y)) R = y;
                }
            }
        }
        if (L != " " || R != " ") return "Error parsing expression:\r" + L + "\r" + R;
        return "Error parsing expression:\r" + s;
    }

    // Compiles; the result describes the list as the operations in order.
    std::string Compile(std::string s) {
        for (char& c : s)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        while (!s.empty() && s.front() == ' ')
            s.erase(0, 1);
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        if (s.find(' ') != std::string::npos)
            throw ParseFailure{"EExpressionHasBlanks", "Expression has blanks"};
        int o = 0, c = 0;
        for (char ch : s)
            o += ch == '(', c += ch == ')';
        if (o > c)
            throw ParseFailure{"EMissMatchingBracket", "Missing brackets in expression (\")\")"};
        if (c > o)
            throw ParseFailure{"EMissMatchingBracket", "Missing brackets in expression (\"(\")"};
        std::string in;
        while (Accept(B, s, &in))
            s = in;
        levels_.assign(21, {});
        std::string rootOperand;
        Walk(s, 0, 1, 1, &rootOperand);
        if (levels_[1].empty()) return "0(" + rootOperand + ")";
        std::vector<std::string> ids;
        std::string out;
        // Operation (level, slot) is named "L.S"; the description lists them in list order.
        for (int level = 20; level >= 1; --level)
            for (size_t slot = 0; slot < levels_[level].size(); ++slot)
                out += levels_[level][slot] + ";";
        return out;
    }

private:
    // Each slot's description: code(operand1,operand2).
    std::vector<std::vector<std::string>> levels_;
    std::map<std::pair<int, int>, std::pair<std::string, std::string>> operands_;

    static std::string Name(int level, int slot) {
        return "@" + std::to_string(level) + "." + std::to_string(slot);
    }

    void Walk(const std::string& s, int depth, int position, int side, std::string* operand) {
        std::string l, r;
        int kind = -1;
        for (F f : {N, V, U, SP, SM, M, DV, MD, Q, P, F1, F2}) {
            if (Accept(f, s, &l, &r)) {
                kind = f;
                break;
            }
        }
        if (kind < 0) throw ParseFailure{"ESyntaxError", Message(s)};
        if (kind == N) {
            std::ostringstream v;
            v.precision(17);
            v << *Literal(s);
            *operand = "c" + v.str();
            return;
        }
        if (kind == V) {
            *operand = "v" + s;
            return;
        }
        int code = kind == U    ? 2
                   : kind == SP ? 3
                   : kind == SM ? 4
                   : kind == M  ? 5
                   : kind == DV ? 8
                   : kind == MD ? 7
                   : kind == Q  ? 6
                   : kind == F1 ? 14
                   : kind == F2 ? 15
                                : 10;
        if (kind == P) {
            const size_t k = s.find('^', s.find(l) + l.size() - (l.empty() ? 0 : 0));
            (void)k;
            code = PowerCode(RightPartOfPower(s));
        }
        if (depth + 1 > 20)
            throw ParseFailure{"ETooManyNestings", "Expression contains too many nestings"};
        const int pos = static_cast<int>(levels_[depth + 1].size()) + 1;
        if (pos > 50) throw ParseFailure{"EExpressionTooComplex", "Expression is too complex"};
        levels_[depth + 1].push_back("");
        *operand = "o" + Name(depth + 1, pos);
        const bool binary = (code >= 3 && code <= 10) || code == 15;
        std::string first, second;
        Walk(l, depth + 1, pos, 1, &first);
        if (binary) Walk(r, depth + 1, pos, 2, &second);
        std::string fn;
        if (code >= 14) fn = s.substr(0, s.find('('));
        levels_[depth + 1][static_cast<size_t>(pos - 1)] = std::to_string(code) + fn + "(" + first +
                                                           (binary ? "," + second : "") + ")" +
                                                           Name(depth + 1, pos);
        (void)position;
        (void)side;
    }

    // The raw right part of the split that P accepted.
    std::string RightPartOfPower(const std::string& s) {
        for (size_t k = 1; k + 1 < s.size(); ++k) {
            if (s[k] != '^') continue;
            const std::string left = s.substr(0, k), right = s.substr(k + 1);
            std::string y;
            if (Bal(left) && Bal(right) && SideAccept(LeftForms(P), left, &y) &&
                SideAccept(RightForms(P), right, &y))
                return right;
        }
        return "";
    }
};

// The real compiler's list, described the same way.
std::string Describe(TParser& parser) {
    std::map<const double*, std::string> names;
    for (const auto& [name, cell] : parser.Variables())
        names[cell] = "v" + name;
    const auto& ops = parser.Operations();
    if (ops.size() == 1 && ops[0].Code == 0) {
        const double* cell = ops[0].Operand1;
        if (names.count(cell)) return "0(" + names[cell] + ")";
        std::ostringstream v;
        v.precision(17);
        v << *cell;
        return "0(c" + v.str() + ")";
    }
    // Name each output by the level and slot it would have: recover them from
    // the consumers, walking back from the last operation.
    std::map<const double*, size_t> producer;
    for (size_t i = 0; i < ops.size(); ++i)
        producer[ops[i].Output] = i;
    std::vector<std::string> label(ops.size());
    std::vector<int> level(ops.size(), 0), slot(ops.size(), 0);
    std::map<int, int> perLevel;
    // Levels: the last op is level 1; an operand's producer is one level deeper.
    level[ops.size() - 1] = 1;
    for (size_t i = ops.size(); i-- > 0;)
        for (const double* in : {ops[i].Operand1, ops[i].Operand2})
            if (in && producer.count(in)) level[producer[in]] = level[i] + 1;
    for (size_t i = 0; i < ops.size(); ++i)
        slot[i] = ++perLevel[level[i]];
    auto operand = [&](const double* cell) -> std::string {
        if (names.count(cell)) return names[cell];
        if (producer.count(cell)) {
            const size_t p = producer[cell];
            return "o@" + std::to_string(level[p]) + "." + std::to_string(slot[p]);
        }
        std::ostringstream v;
        v.precision(17);
        v << *cell;
        return "c" + v.str();
    };
    static const std::map<RoutinePtr, std::string> noNames;
    std::string out;
    for (size_t i = 0; i < ops.size(); ++i) {
        const OperationRecord& op = ops[i];
        const bool two = (op.Code >= 3 && op.Code <= 10) || op.Code == 15;
        std::string fn;
        if (op.Code >= 14) fn = "?";
        out += std::to_string(op.Code) + fn + "(" + operand(op.Operand1) +
               (two ? "," + operand(op.Operand2) : "") + ")@" + std::to_string(level[i]) + "." +
               std::to_string(slot[i]) + ";";
    }
    return out;
}

std::string Strip(std::string s) {
    // Function names are not visible in the real list; compare without them.
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((s[i] == '4' || s[i] == '5') && i + 1 < s.size() &&
            (isalpha(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '?')) {
            out += s[i];
            ++i;
            while (i < s.size() && s[i] != '(')
                ++i;
        }
        out += s[i];
    }
    return out;
}

std::string Generate(std::mt19937& rng) {
    static const std::vector<std::string> atoms = {"X",   "Y",     "Z1",   "Q",  "2",  "3",
                                                   "1.5", ".",     "1E",   "E5", "PI", "0",
                                                   "4",   "1E400", "1E19", "-2"};
    static const std::vector<std::string> ops = {"+",   "-",   "*",  "/",  "^",
                                                 "DIV", "MOD", "+-", "*-", "^-"};
    static const std::vector<std::string> calls = {"SIN(", "MAX(", "LN(", "POWER(",
                                                   "FOO(", "(",    "-("};
    std::uniform_int_distribution<int> pick(0, 99);
    std::string s;
    const int tokens = 1 + pick(rng) % 12;
    int open = 0;
    bool needOperand = true;
    for (int t = 0; t < tokens; ++t) {
        const int r = pick(rng);
        if (r < 3) {
            s += "()"[pick(rng) % 2];
            continue;
        }
        if (r < 6) {
            s += ",";
            needOperand = true;
            continue;
        }
        if (needOperand) {
            if (r < 30) {
                s += calls[pick(rng) % calls.size()];
                ++open;
            } else {
                s += atoms[pick(rng) % atoms.size()];
                needOperand = false;
            }
        } else {
            if (open > 0 && r < 35) {
                s += pick(rng) % 2 ? ")" : ",";
                if (s.back() == ')')
                    --open;
                else
                    needOperand = true;
            } else {
                s += ops[pick(rng) % ops.size()];
                needOperand = true;
            }
        }
    }
    if (pick(rng) < 80) {
        if (needOperand) s += atoms[pick(rng) % atoms.size()];
        while (open-- > 0)
            s += ")";
    }
    if (pick(rng) < 5) s = "-" + s;
    return s;
}

TEST(Differential, CompilerMatchesThePlainRules) {
    // XTQ_DIFFERENTIAL_CASES and XTQ_DIFFERENTIAL_SEED widen a local run.
    const char* cases = std::getenv("XTQ_DIFFERENTIAL_CASES");
    const char* seed = std::getenv("XTQ_DIFFERENTIAL_SEED");
    const int count = cases ? std::atoi(cases) : 20000;
    std::mt19937 rng(seed ? static_cast<unsigned>(std::atoi(seed)) : 20261210u);
    int valid = 0, failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::string formula = Generate(rng);
        Reference ref;
        std::string expected, expectedClass, expectedMessage;
        try {
            expected = ref.Compile(formula);
        } catch (const ParseFailure& f) {
            expectedClass = f.cls;
            expectedMessage = f.msg;
        }
        TParser parser;
        parser.StoreVariable("Z1", 1);
        std::string actual, actualClass, actualMessage;
        try {
            parser.SetExpression(formula);
            actual = Describe(parser);
        } catch (const Exception& e) {
            actualClass = e.className();
            actualMessage = e.what();
        }
        ASSERT_EQ(actualClass, expectedClass) << formula << "\n" << actualMessage;
        ASSERT_EQ(actualMessage, expectedMessage) << formula;
        ASSERT_EQ(Strip(actual), Strip(expected)) << formula;
        (expectedClass.empty() ? valid : failed)++;
    }
    // The generator must exercise both outcomes.
    EXPECT_GT(valid, 2000);
    EXPECT_GT(failed, 2000);
}

} // namespace
} // namespace xtq

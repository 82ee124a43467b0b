#include "formula/FormulaBuild.h"

#include "core/AsciiCase.h"
#include "core/CNumber.h"
#include "formula/LargeStack.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <locale.h>
#include <memory>
#include <numbers>
#include <optional>
#include <unordered_map>

namespace xtq {
namespace {

// The forms a piece of text can take, in the order a side tries them.
enum Form : unsigned {
    kN,      // numeric literal
    kV,      // variable
    kB,      // bracketed expression
    kU,      // negation
    kSPlus,  // sum
    kSMinus, // difference
    kM,      // product
    kDV,     // integer quotient (DIV)
    kMD,     // remainder (MOD)
    kQ,      // quotient
    kP,      // power
    kF1,     // one-argument function call
    kF2,     // two-argument function call
    kFormCount
};

using FormMask = std::uint16_t;

constexpr FormMask Forms(std::initializer_list<Form> forms) {
    FormMask mask = 0;
    for (Form f : forms)
        mask = static_cast<FormMask>(mask | (1u << f));
    return mask;
}

constexpr bool Has(FormMask mask, Form f) {
    return (mask >> f) & 1u;
}

// The operators of the two-operand forms with the forms allowed on each side.
struct BinaryForm {
    char op;             // operator character, or 0 for a keyword
    const char* keyword; // "DIV" or "MOD"
    FormMask left;
    FormMask right;
    std::uint8_t code;
    int list; // index of the occurrence list
};

constexpr FormMask kSumLeft = Forms({kN, kV, kB, kU, kSMinus, kM, kDV, kMD, kQ, kP, kF1, kF2});
constexpr FormMask kSumRight = Forms({kN, kV, kB, kSPlus, kSMinus, kM, kDV, kMD, kQ, kP, kF1, kF2});
constexpr FormMask kDifferenceRight = Forms({kN, kV, kB, kM, kDV, kMD, kQ, kP, kF1, kF2});
constexpr FormMask kProductLeft = Forms({kN, kV, kB, kU, kDV, kMD, kQ, kP, kF1, kF2});
constexpr FormMask kProductRight = kDifferenceRight;
constexpr FormMask kDivisionRight = Forms({kN, kV, kB, kP, kF1, kF2});
constexpr FormMask kPowerSide = Forms({kN, kV, kB, kF1, kF2});
constexpr FormMask kNegationOperand = Forms({kB, kV, kP, kF1, kF2});

constexpr int kOccurrenceLists = 7;

const BinaryForm* BinaryFormOf(Form f) {
    static const BinaryForm forms[] = {
        {'+', nullptr, kSumLeft, kSumRight, kSum, 0},
        {'-', nullptr, kSumLeft, kDifferenceRight, kDifference, 1},
        {'*', nullptr, kProductLeft, kProductRight, kProduct, 2},
        {0, "DIV", kProductLeft, kDivisionRight, kIntDivide, 5},
        {0, "MOD", kProductLeft, kDivisionRight, kModulo, 6},
        {'/', nullptr, kProductLeft, kDivisionRight, kQuotient, 3},
        {'^', nullptr, kPowerSide, kPowerSide, kPower, 4},
    };
    return f >= kSPlus && f <= kP ? &forms[f - kSPlus] : nullptr;
}

constexpr std::array<Form, 13> kValidOrder = {kN,  kV, kU, kSPlus, kSMinus, kM, kDV,
                                              kMD, kQ, kP, kF2,    kF1,     kB};
constexpr std::array<Form, 12> kClassifyOrder = {kN,  kV,  kU, kSPlus, kSMinus, kM,
                                                 kDV, kMD, kQ, kP,     kF1,     kF2};

constexpr int kMaxDepth = 20;
// The longest text holding an overflowing literal that the rules can try
// which is decided by the plain rules (0.02 s at worst here).
constexpr size_t kPlainRulesLength = 300;
constexpr int kMaxPerLevel = 50;

struct Piece {
    std::uint32_t b = 0, e = 0; // [b, e) in the prepared text
    std::uint32_t size() const { return e - b; }
};

// What a form found in a piece: its operand texts and operation details.
struct Match {
    bool ok = false;
    Piece left{}, right{};
    Piece rightPart{}; // the right part as split, before brackets are removed
    std::uint8_t code = 0;
    RoutinePtr routine = nullptr;
};

Match Decided(bool ok) {
    Match m;
    m.ok = ok;
    return m;
}

// Open-addressing map from a piece to the forms already decided for it.
class Memo {
public:
    Memo() : slots_(1024) {}

    // Bits 0..15: forms decided; bits 16..31: forms accepted.
    std::uint32_t* Find(Piece p) {
        const std::uint64_t key = Key(p);
        size_t i = Hash(key) & (slots_.size() - 1);
        while (slots_[i].used) {
            if (slots_[i].key == key) return &slots_[i].value;
            i = (i + 1) & (slots_.size() - 1);
        }
        return nullptr;
    }

    void Set(Piece p, Form f, bool accepted) {
        std::uint32_t* value = FindOrInsert(p);
        *value |= (1u << f) | (accepted ? 1u << (16 + f) : 0u);
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t value = 0;
        bool used = false;
    };

    static std::uint64_t Key(Piece p) { return (std::uint64_t{p.b} << 32) | p.e; }
    static size_t Hash(std::uint64_t key) {
        key ^= key >> 33;
        key *= 0xff51afd7ed558ccdULL;
        key ^= key >> 33;
        return static_cast<size_t>(key);
    }

    std::uint32_t* FindOrInsert(Piece p) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        const std::uint64_t key = Key(p);
        size_t i = Hash(key) & (slots_.size() - 1);
        while (slots_[i].used) {
            if (slots_[i].key == key) return &slots_[i].value;
            i = (i + 1) & (slots_.size() - 1);
        }
        slots_[i] = {key, 0, true};
        ++count_;
        return &slots_[i].value;
    }

    void Grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& s : old) {
            if (!s.used) continue;
            size_t i = Hash(s.key) & (slots_.size() - 1);
            while (slots_[i].used)
                i = (i + 1) & (slots_.size() - 1);
            slots_[i] = s;
        }
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decides the forms of pieces of one prepared formula text. Every answer is
// that of the plain recursive rules; answers that needed recursion are
// remembered, so each (piece, form) is worked out once.
class Analyzer {
public:
    Analyzer(const std::string& text, const VariableTable& variables, const FunctionTable& one,
             const FunctionTable& two, bool pascal)
        : t_(text), variables_(variables), one_(one), two_(two), pascal_(pascal) {
        const auto n = static_cast<std::uint32_t>(t_.size());
        depth_.resize(n + 1);
        nextOpen_.resize(n + 1);
        for (std::uint32_t i = 0; i < n; ++i)
            depth_[i + 1] = depth_[i] + (t_[i] == '(' ? 1 : t_[i] == ')' ? -1 : 0);
        nextOpen_[n] = n;
        for (std::uint32_t i = n; i-- > 0;)
            nextOpen_[i] = t_[i] == '(' ? i : nextOpen_[i + 1];
        for (std::uint32_t i = 0; i < n; ++i) {
            const char c = t_[i];
            if (c == ',') commas_.push_back(i);
            const int list = c == '+'   ? 0
                             : c == '-' ? 1
                             : c == '*' ? 2
                             : c == '/' ? 3
                             : c == '^' ? 4
                                        : -1;
            if (list >= 0) occurrences_[list].push_back({depth_[i], i});
            if (t_.compare(i, 3, "DIV") == 0) occurrences_[5].push_back({depth_[i], i});
            if (t_.compare(i, 3, "MOD") == 0) occurrences_[6].push_back({depth_[i], i});
        }
        for (std::uint32_t i = 1; i < n; ++i) {
            if (t_[i] != '+' && t_[i] != '-') continue;
            const char before = t_[i - 1];
            const bool soft = before == '*' || before == '/' || before == '^' || before == 'V' ||
                              before == 'D' || before == 'E' || before == '(' || before == '+' ||
                              before == '-';
            if (!soft) hardSigns_[t_[i] == '+' ? 0 : 1].push_back({depth_[i], i});
        }
        for (auto& list : occurrences_)
            std::sort(list.begin(), list.end());
        for (auto& list : hardSigns_)
            std::sort(list.begin(), list.end());
        if (!pascal_) {
            const char* point = std::localeconv()->decimal_point;
            separator_ = point && point[0] ? point[0] : '.';
        }
        FindReachableOverflows();
        for (const auto& [name, cell] : variables_)
            maxVariable_ = std::max(maxVariable_, name.size());
        for (const auto& [name, r] : one_)
            maxFunction_ = std::max(maxFunction_, name.size());
        for (const auto& [name, r] : two_)
            maxFunction_ = std::max(maxFunction_, name.size());
    }

    std::string_view Text(Piece p) const { return std::string_view(t_).substr(p.b, p.size()); }

    double* Variable(Piece p) const { return variables_.find(Text(p))->second; }

    bool Accepts(Piece p, Form f) {
        if (!Possible(p, f)) return false;
        if (const std::uint32_t* known = memo_.Find(p); known && ((*known >> f) & 1u))
            return (*known >> (16 + f)) & 1u;
        const bool accepted = Evaluate(p, f).ok;
        memo_.Set(p, f, accepted);
        return accepted;
    }

    // Works out the form in full: operands, code, routine.
    Match Evaluate(Piece p, Form f) {
        switch (f) {
        case kN:
            return Decided(Literal(p).has_value());
        case kV:
            return Decided(variables_.find(Text(p)) != variables_.end());
        case kB:
            return Decided(p.size() >= 2 && t_[p.b] == '(' && t_[p.e - 1] == ')' &&
                           IsValid({p.b + 1, p.e - 1}));
        case kU:
            return Negation(p);
        case kF1:
            return OneArgumentCall(p);
        case kF2:
            return TwoArgumentCall(p);
        default:
            return Binary(p, *BinaryFormOf(f));
        }
    }

    bool IsValid(Piece p) {
        for (Form f : kValidOrder)
            if (Accepts(p, f)) return true;
        return false;
    }

    // A valid expression, with redundant outer brackets removed.
    std::optional<Piece> Valid(Piece p) {
        for (Form f : kValidOrder)
            if (Accepts(p, f)) return f == kB ? Interior(p) : p;
        return std::nullopt;
    }

    // The forms of a side, tried in order.
    std::optional<Piece> Side(Piece p, FormMask allowed) {
        for (unsigned f = 0; f < kFormCount; ++f)
            if (Has(allowed, Form(f)) && Accepts(p, Form(f))) return f == kB ? Interior(p) : p;
        return std::nullopt;
    }

    // What a piece accepted by B yields: its interior, stripped further
    // while no form but B accepts it.
    Piece Interior(Piece p) {
        const std::uint64_t key = (std::uint64_t{p.b} << 32) | p.e;
        if (const auto found = interiors_.find(key); found != interiors_.end())
            return found->second;
        Piece q{p.b + 1, p.e - 1};
        for (;;) {
            bool other = false;
            for (Form f : kValidOrder) {
                if (f != kB && Accepts(q, f)) {
                    other = true;
                    break;
                }
            }
            if (other || !Accepts(q, kB)) break;
            q = {q.b + 1, q.e - 1};
        }
        interiors_.emplace(key, q);
        return q;
    }

    // The literal's value, or nothing when the piece is not a literal.
    // Raises EOverflow for a value beyond the 8-byte range.
    std::optional<double> Literal(Piece p) const { return LiteralOf(Text(p)); }

    std::optional<double> LiteralOf(std::string_view s) const {
        if (s == "PI") return std::numbers::pi;
        if (s == "-PI") return -std::numbers::pi;
        size_t i = 0;
        std::string normal;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) normal += s[i++];
        const size_t restStart = i;
        const size_t intStart = i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        std::string_view whole = s.substr(intStart, i - intStart);
        std::string_view fraction;
        bool point = false;
        const char separator = pascal_ ? '.' : separator_;
        if (i < s.size() && s[i] == separator) {
            point = true;
            const size_t f = ++i;
            while (i < s.size() && IsDigit(s[i]))
                ++i;
            fraction = s.substr(f, i - f);
        }
        if (!pascal_ && whole.empty() && fraction.empty() && !point) return std::nullopt;
        std::string_view exponentSign;
        std::string_view exponent;
        if (i < s.size() && s[i] == 'E') {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponentSign = s.substr(i++, 1);
            const size_t x = i;
            while (i < s.size() && IsDigit(s[i]))
                ++i;
            exponent = s.substr(x, i - x);
            if (pascal_ && exponent.empty()) return std::nullopt;
        }
        if (i != s.size() || i == restStart) return std::nullopt;
        normal += whole.empty() ? "0" : std::string(whole);
        normal += '.';
        normal += fraction.empty() ? "0" : std::string(fraction);
        normal += 'e';
        normal += exponentSign;
        normal += exponent.empty() ? "0" : std::string(exponent);
        const Extended wide = StrToExtendedC(normal.c_str());
        const double value = static_cast<double>(wide);
        if (std::isinf(value)) throw EOverflow(kOverflowMessage);
        return value;
    }

    // The code of a power whose right part is given.
    std::uint8_t PowerCode(Piece right) {
        if (!Accepts(right, kN)) return kPower;
        const double v = *Literal(right);
        if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0))
            throw EInvalidOp(kInvalidOpMessage);
        if (v != std::trunc(v) || v < -2147483648.0 || v > 2147483647.0) return kPower;
        if (v == 2) return kSquare;
        if (v == 3) return kCube;
        if (v == 4) return kFourthPower;
        return kIntPower;
    }

    RoutinePtr FunctionOf(Piece p, const FunctionTable& table) const {
        const std::uint32_t open = nextOpen_[p.b];
        const auto found = table.find(Text({p.b, open}));
        return found == table.end() ? nullptr : found->second;
    }

    // The message of a piece that no form accepts, from the operand texts
    // its forms tried last.
    std::string SyntaxErrorMessage(Piece p);

    // True when the rules can try a literal of the text that overflows.
    bool HoldsOverflowingLiteral() const { return !overflows_.empty(); }

private:
    // Cheap tests that a form cannot accept the piece; each is exact and
    // skips no work that could raise an error.
    bool Possible(Piece p, Form f) const {
        if (p.size() == 0) return false;
        const bool pure = Pure(p);
        if (pure && !CanBeExpression(p)) return false;
        if (pure && f != kSPlus && f != kSMinus && f != kN && HasHardSign(p)) return false;
        const char first = t_[p.b];
        const char last = t_[p.e - 1];
        switch (f) {
        case kN:
            return IsDigit(last) || last == '.' || last == 'I' ||
                   (!pascal_ && (last == separator_ || last == 'E'));
        case kV:
            return p.size() <= maxVariable_;
        case kB:
            return p.size() >= 2 && first == '(' && last == ')';
        case kU:
            return p.size() >= 2 && first == '-';
        case kF1:
        case kF2: {
            const std::uint32_t open = nextOpen_[p.b];
            return open > p.b && open < p.e && open - p.b <= maxFunction_ && last == ')';
        }
        default: {
            const BinaryForm& form = *BinaryFormOf(f);
            if (depth_[p.e] != depth_[p.b]) return false;
            if (form.op && f != kSMinus && first == form.op) return false;
            return FirstCandidate(p, form) != Candidates(form).end();
        }
        }
    }

    using Occurrences = std::vector<std::pair<std::int32_t, std::uint32_t>>;

    const Occurrences& Candidates(const BinaryForm& form) const { return occurrences_[form.list]; }

    // Occurrences at the piece's own bracket level. An operator character in
    // the last place ends the form; a keyword there leaves an empty right part,
    // which fails only after the left part has been tried.
    std::uint32_t LastCandidatePosition(Piece p, const BinaryForm& form) const {
        return form.op ? p.e - 2 : p.e - 3;
    }

    Occurrences::const_iterator FirstCandidate(Piece p, const BinaryForm& form) const {
        const Occurrences& list = Candidates(form);
        if (p.size() < (form.op ? 3u : 4u)) return list.end();
        auto it = std::lower_bound(list.begin(), list.end(), std::pair{depth_[p.b], p.b + 1});
        if (it == list.end() || it->first != depth_[p.b] ||
            it->second > LastCandidatePosition(p, form))
            return list.end();
        return it;
    }

    Match Binary(Piece p, const BinaryForm& form) {
        const Occurrences& list = Candidates(form);
        const std::uint32_t opLength = form.op ? 1 : 3;
        const std::uint32_t lastPosition = LastCandidatePosition(p, form);
        auto begin = FirstCandidate(p, form);
        auto end = begin;
        while (end != list.end() && end->first == depth_[p.b] && end->second <= lastPosition)
            ++end;
        if (Pure(p) && !NarrowCandidates(p, form, begin, end)) return {};
        for (auto it = begin; it != end; ++it) {
            const std::uint32_t k = it->second;
            const auto left = Side({p.b, k}, form.left);
            if (!left) continue;
            const Piece rightPart{k + opLength, p.e};
            const auto right = Side(rightPart, form.right);
            if (!right) continue;
            return {true, *left, *right, rightPart, form.code};
        }
        return {};
    }

    // Where no literal can overflow, deciding a piece has no effect but the
    // answer, and the side rules limit which occurrence can split it:
    // - a product's left part holds no "*" of its own level: only the first can;
    // - the right part of a quotient, DIV or MOD holds no "/", DIV or MOD of its
    //   level: only the last can;
    // - neither part of a power holds a "^": a piece with two cannot be one;
    // - a "+" or "-" after a name, a number or ")" belongs to a sum or a
    //   difference (a hard sign). A sum's left part holds no hard "+"; a
    //   difference holds no hard "+" at all and its right part no hard "-".
    // Returns false when no occurrence can split the piece.
    bool NarrowCandidates(Piece p, const BinaryForm& form, Occurrences::const_iterator& begin,
                          Occurrences::const_iterator& end) const {
        if (begin == end) return false;
        const std::int32_t level = depth_[p.b];
        auto from = [&](std::uint32_t position) {
            while (begin != end && begin->second < position)
                ++begin;
        };
        auto through = [&](std::uint32_t position) {
            while (end != begin && std::prev(end)->second > position)
                --end;
        };
        switch (form.code) {
        case kSum:
            if (const auto h = FirstHard(0, level, p.b + 1, p.e)) through(*h);
            break;
        case kDifference:
            if (FirstHard(0, level, p.b + 1, p.e)) return false;
            if (const auto h = LastHard(1, level, p.b + 1, p.e)) from(*h);
            break;
        case kProduct:
            end = std::next(begin);
            break;
        case kPower:
            if (std::next(begin) != end) return false;
            break;
        default: // quotient, DIV, MOD
            begin = std::prev(end);
            break;
        }
        return begin != end;
    }

    std::optional<std::uint32_t> FirstHard(int sign, std::int32_t level, std::uint32_t from,
                                           std::uint32_t to) const {
        const Occurrences& list = hardSigns_[static_cast<size_t>(sign)];
        auto it = std::lower_bound(list.begin(), list.end(), std::pair{level, from});
        if (it == list.end() || it->first != level || it->second >= to) return std::nullopt;
        return it->second;
    }

    std::optional<std::uint32_t> LastHard(int sign, std::int32_t level, std::uint32_t from,
                                          std::uint32_t to) const {
        const Occurrences& list = hardSigns_[static_cast<size_t>(sign)];
        auto it = std::lower_bound(list.begin(), list.end(), std::pair{level, to});
        if (it == list.begin()) return std::nullopt;
        --it;
        if (it->first != level || it->second < from) return std::nullopt;
        return it->second;
    }

    // Every accepted piece is balanced, ends in a digit, ".", a name or ")"
    // and starts with neither an operator but a sign nor ")" nor ",".
    bool CanBeExpression(Piece p) const {
        if (depth_[p.e] != depth_[p.b]) return false;
        const char first = t_[p.b];
        const char last = t_[p.e - 1];
        const bool lastOk = IsDigit(last) || last == '.' || last == ')' || last == '_' ||
                            (last >= 'A' && last <= 'Z');
        const bool firstBad =
            first == '*' || first == '/' || first == '^' || first == ')' || first == ',';
        return lastOk && !firstBad;
    }

    bool HasHardSign(Piece p) const {
        const std::int32_t level = depth_[p.b];
        return FirstHard(0, level, p.b + 1, p.e) || FirstHard(1, level, p.b + 1, p.e);
    }

    // Deciding a piece has no effect but the answer unless the rules may try
    // an overflowing literal inside it: only then does the order of the
    // attempts matter, since the first one tried raises EOverflow. The
    // shortcuts are taken for every other piece.
    //
    // The rules only ever try pieces that start at the beginning of the text
    // or after an operator, "(", "," or DIV or MOD, and that end at its end or
    // before an operator, ")", "," or DIV or MOD. Within a literal the only
    // such place is the sign of its exponent. So the literals the rules can
    // try are few, and each is read once here.
    void FindReachableOverflows() {
        const auto n = static_cast<std::uint32_t>(t_.size());
        std::vector<bool> starts(n + 1, false), ends(n + 1, false);
        starts[0] = ends[n] = true;
        for (std::uint32_t i = 0; i < n; ++i) {
            const char c = t_[i];
            const bool op = c == '+' || c == '-' || c == '*' || c == '/' || c == '^' || c == ',';
            if (op || c == '(') starts[i + 1] = true;
            if (op || c == ')') ends[i] = true;
        }
        for (const int list : {5, 6}) {
            for (const auto& [level, k] : occurrences_[static_cast<size_t>(list)]) {
                ends[k] = true;
                starts[k + 3] = true;
            }
        }
        const char separator = pascal_ ? '.' : separator_;
        auto digits = [&](std::uint32_t i) {
            while (i < n && IsDigit(t_[i]))
                ++i;
            return i;
        };
        auto tryLiteral = [&](std::uint32_t b, std::uint32_t e) {
            if (!ends[e]) return;
            try {
                LiteralOf(Text({b, e}));
            } catch (const EOverflow&) {
                overflows_.push_back({b, e});
            }
        };
        for (std::uint32_t b = 0; b < n; ++b) {
            if (!starts[b]) continue;
            // The longest literal from here, and where its exponent's sign is.
            std::uint32_t i = b;
            if (t_[i] == '+' || t_[i] == '-') ++i;
            i = digits(i);
            if (i < n && t_[i] == separator) i = digits(i + 1);
            std::uint32_t sign = 0;
            if (i < n && t_[i] == 'E') {
                ++i;
                if (i < n && (t_[i] == '+' || t_[i] == '-')) sign = i++;
                i = digits(i);
            }
            if (sign != 0) tryLiteral(b, sign);
            if (i > b) tryLiteral(b, i);
        }
        // For Pure: the earliest end among the literals from each one on.
        earliestEnd_.resize(overflows_.size());
        for (size_t j = overflows_.size(); j-- > 0;)
            earliestEnd_[j] = j + 1 < overflows_.size()
                                  ? std::min(overflows_[j].e, earliestEnd_[j + 1])
                                  : overflows_[j].e;
    }

    // True when the piece holds no overflowing literal the rules can try.
    bool Pure(Piece p) const {
        if (overflows_.empty()) return true;
        const auto j = std::lower_bound(overflows_.begin(), overflows_.end(), p.b,
                                        [](const Piece& q, std::uint32_t b) { return q.b < b; });
        return j == overflows_.end() ||
               earliestEnd_[static_cast<size_t>(j - overflows_.begin())] > p.e;
    }

    Match Negation(Piece p) {
        const Piece rest{p.b + 1, p.e};
        if (Accepts(rest, kB)) return {true, Interior(rest), {}, {}, kNegate};
        for (Form f : {kV, kP, kF1, kF2})
            if (Accepts(rest, f)) return {true, rest, {}, {}, kNegate};
        return {};
    }

    Match OneArgumentCall(Piece p) {
        const RoutinePtr routine = FunctionOf(p, one_);
        if (!routine) return {};
        const Piece call{nextOpen_[p.b], p.e};
        if (!Accepts(call, kB)) return {};
        return {true, Interior(call), {}, {}, kOneArgFunction, routine};
    }

    Match TwoArgumentCall(Piece p) {
        const RoutinePtr routine = FunctionOf(p, two_);
        if (!routine) return {};
        const Piece arguments{nextOpen_[p.b] + 1, p.e - 1};
        auto comma = std::lower_bound(commas_.begin(), commas_.end(), arguments.b);
        for (; comma != commas_.end() && *comma < arguments.e; ++comma) {
            if (*comma == arguments.b || *comma == arguments.e - 1) return {};
            const auto first = Valid({arguments.b, *comma});
            if (!first) continue;
            const auto second = Valid({*comma + 1, arguments.e});
            if (!second) continue;
            return {true, *first, *second, {}, kTwoArgFunction, routine};
        }
        return {};
    }

    const std::string& t_;
    const VariableTable& variables_;
    const FunctionTable& one_;
    const FunctionTable& two_;
    const bool pascal_;
    char separator_ = '.';
    std::vector<std::int32_t> depth_;     // "(" minus ")" before each position
    std::vector<std::uint32_t> nextOpen_; // first "(" at or after each position
    std::vector<std::uint32_t> commas_;
    std::array<Occurrences, kOccurrenceLists> occurrences_;
    std::array<Occurrences, 2> hardSigns_;   // "+" and "-" that only a sum or a difference holds
    std::vector<Piece> overflows_;           // literals the rules can try that overflow
    std::vector<std::uint32_t> earliestEnd_; // of overflows_[j..]
    std::unordered_map<std::uint64_t, Piece> interiors_;
    size_t maxVariable_ = 0;
    size_t maxFunction_ = 0;
    Memo memo_;
};

std::string Analyzer::SyntaxErrorMessage(Piece p) {
    // Replays the attempts of every form on this piece, keeping the operand
    // texts each one noted, the later overwriting the earlier.
    std::string left = " ", right = " ";
    auto text = [&](Piece q) { return std::string(Text(q)); };
    auto balanced = [&](Piece q) { return depth_[q.e] == depth_[q.b]; };
    const std::string_view s = Text(p);

    if (!s.empty() && s[0] == '-') {
        const Piece rest{p.b + 1, p.e};
        left = text(Accepts(rest, kB) ? Interior(rest) : rest);
    }
    for (Form f : {kSPlus, kSMinus, kM, kDV, kMD, kQ, kP}) {
        const BinaryForm& form = *BinaryFormOf(f);
        const std::uint32_t opLength = form.op ? 1 : 3;
        for (std::uint32_t k = p.b; k + opLength <= p.e; ++k) {
            const bool found = form.op ? t_[k] == form.op : t_.compare(k, 3, form.keyword) == 0;
            if (!found) continue;
            if (k == p.b) {
                if (f == kSMinus || !form.op) continue; // never a split point
                break;
            }
            if (form.op && k == p.e - 1) break;
            const Piece l{p.b, k}, r{k + opLength, p.e};
            const bool bothBalanced = balanced(l) && balanced(r);
            right = text(r);
            if (f != kSPlus || bothBalanced) left = text(l);
            if (!bothBalanced) continue;
            if (const auto ly = Side(l, form.left)) {
                left = text(*ly);
                if (const auto ry = Side(r, form.right)) right = text(*ry);
            }
        }
    }
    const std::uint32_t open = nextOpen_[p.b];
    const bool call = p.size() > 0 && open > p.b && open < p.e && t_[p.e - 1] == ')';
    if (call && FunctionOf(p, one_)) {
        Piece inner{open + 1, p.e - 1};
        while (Accepts(inner, kB))
            inner = {inner.b + 1, inner.e - 1};
        left = text(inner);
    }
    if (call && FunctionOf(p, two_)) {
        const Piece arguments{open + 1, p.e - 1};
        for (std::uint32_t k = arguments.b; k < arguments.e; ++k) {
            if (t_[k] != ',') continue;
            if (k == arguments.b || k == arguments.e - 1) break;
            const Piece before{arguments.b, k};
            left = text(before);
            if (const auto first = Valid(before)) {
                left = text(*first);
                const Piece after{k + 1, arguments.e};
                right = text(after);
                if (const auto second = Valid(after)) right = text(*second);
            }
        }
    }
    if (left != " " || right != " ") return "Error parsing expression:\r" + left + "\r" + right;
    return "Error parsing expression:\r" + std::string(s);
}

// The depth-first walk that places one operation per operator term in the
// level table, and the linking of the list.
class Builder {
public:
    explicit Builder(Analyzer& analyzer) : analyzer_(analyzer) {
        NewOperation(0, 1, kPassThrough, nullptr);
        counts_[0] = 1;
    }

    OperationList Build(Piece root) {
        Walk(root, 0, 1, 1);
        OperationRecord& pass = slots_[0][1]->record;
        if (counts_[1] == 0) {
            pass.Output = pass.Operand1;
            list_.operations.push_back(pass);
            return std::move(list_);
        }
        for (int level = kMaxDepth; level >= 1; --level)
            for (int slot = 1; slot <= counts_[level]; ++slot)
                list_.operations.push_back(slots_[level][slot]->record);
        for (size_t i = 0; i + 1 < list_.operations.size(); ++i)
            list_.operations[i].Next = &list_.operations[i + 1];
        return std::move(list_);
    }

private:
    struct Slot {
        OperationRecord record;
    };

    int NewOperation(int level, int position, std::uint8_t code, RoutinePtr routine) {
        auto& slot = slots_[level][position];
        slot = std::make_unique<Slot>();
        slot->record.Code = code;
        slot->record.Routine = routine;
        return position;
    }

    void Deliver(int depth, int position, int side, double* cell) {
        OperationRecord& consumer = slots_[depth][position]->record;
        (side == 1 ? consumer.Operand1 : consumer.Operand2) = cell;
    }

    int OperandPosition(int depth) {
        if (depth + 1 > kMaxDepth) throw ETooManyNestings("Expression contains too many nestings");
        const int position = counts_[depth + 1] + 1;
        if (position > kMaxPerLevel) throw EExpressionTooComplex("Expression is too complex");
        return position;
    }

    void Walk(Piece text, int depth, int position, int side) {
        Form kind = kFormCount;
        for (Form f : kClassifyOrder) {
            if (analyzer_.Accepts(text, f)) {
                kind = f;
                break;
            }
        }
        if (kind == kFormCount)
            throw ESyntaxError(analyzer_.SyntaxErrorMessage(text)); // only the root can get here
        if (kind == kN) {
            Deliver(depth, position, side, &list_.cells.emplace_back(*analyzer_.Literal(text)));
            return;
        }
        if (kind == kV) {
            Deliver(depth, position, side, analyzer_.Variable(text));
            return;
        }
        Match m = analyzer_.Evaluate(text, kind);
        // The power's code comes with its classification.
        if (kind == kP) m.code = analyzer_.PowerCode(m.rightPart);
        const bool twoOperands = m.code >= kSum && m.code != kSquare && m.code != kCube &&
                                 m.code != kFourthPower && m.code != kOneArgFunction;
        const int childPosition = OperandPosition(depth);
        NewOperation(depth + 1, childPosition, m.code, m.routine);
        double* output = &list_.cells.emplace_back(0.0);
        slots_[depth + 1][childPosition]->record.Output = output;
        Deliver(depth, position, side, output);
        if (!twoOperands) {
            ++counts_[depth + 1];
            Walk(m.left, depth + 1, childPosition, 1);
            return;
        }
        Walk(m.left, depth + 1, childPosition, 1);
        const int secondPosition = OperandPosition(depth);
        if (secondPosition != childPosition) throw EParserInternalError("TParser internal error");
        Walk(m.right, depth + 1, childPosition, 2);
        ++counts_[depth + 1];
    }

    Analyzer& analyzer_;
    std::array<std::array<std::unique_ptr<Slot>, kMaxPerLevel + 1>, kMaxDepth + 1> slots_;
    std::array<int, kMaxDepth + 1> counts_{};
    OperationList list_;
};

// Upper case, blanks at the ends removed, blank and bracket checks.
std::string Prepare(const std::string& text) {
    std::string s = UpperAscii(text);
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    if (s.size() > kMaxFormulaLength) throw EExpressionTooComplex("Expression is too complex");
    if (s.find(' ') != std::string::npos) throw EExpressionHasBlanks("Expression has blanks");
    const auto open = std::count(s.begin(), s.end(), '(');
    const auto close = std::count(s.begin(), s.end(), ')');
    if (open > close) throw EMissMatchingBracket("Missing brackets in expression (\")\")");
    if (close > open) throw EMissMatchingBracket("Missing brackets in expression (\"(\")");
    return s;
}

OperationList Compile(const std::string& text, const VariableTable& variables,
                      const FunctionTable& one, const FunctionTable& two, bool pascal) {
    const std::string prepared = Prepare(text);
    Analyzer analyzer(prepared, variables, one, two, pascal);
    // Such a text never compiles: every literal of a derivation is read while
    // it is accepted, so the rules end in EOverflow or, where they meet a
    // syntax error first, in ESyntaxError. Which of the two takes the plain
    // rules time cubic in the length; beyond kPlainRulesLength the answer is
    // EOverflow at once.
    if (analyzer.HoldsOverflowingLiteral() && prepared.size() > kPlainRulesLength)
        throw EOverflow(kOverflowMessage);
    Piece root{0, static_cast<std::uint32_t>(prepared.size())};
    while (analyzer.Accepts(root, kB))
        root = analyzer.Interior(root);
    return Builder(analyzer).Build(root);
}

} // namespace

OperationList CompileFormula(const std::string& text, const VariableTable& variables,
                             const FunctionTable& oneArgumentFunctions,
                             const FunctionTable& twoArgumentFunctions, bool pascalNumberformat,
                             bool& compileFailed) {
    compileFailed = false;
    // The rules recurse along the text: long texts get a stack to match.
    constexpr size_t kInlineLength = 1000;
    try {
        if (text.size() <= kInlineLength)
            return Compile(text, variables, oneArgumentFunctions, twoArgumentFunctions,
                           pascalNumberformat);
        OperationList result;
        RunOnLargeStack([&] {
            result = Compile(text, variables, oneArgumentFunctions, twoArgumentFunctions,
                             pascalNumberformat);
        });
        return result;
    } catch (const EMathParserError&) {
        compileFailed = true;
        throw;
    }
}

} // namespace xtq

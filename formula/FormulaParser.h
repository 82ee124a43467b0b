#pragma once
// The parser object: named variables, a formula text compiled into a list of
// operations, and its evaluation.

#include "core/Extended.h"
#include "formula/Errors.h"
#include "formula/Operations.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xtq {

// Names are kept in upper case; lookups with an upper-case string_view need no copy.
using VariableTable = std::map<std::string, double*, std::less<>>;
using FunctionTable = std::map<std::string, RoutinePtr, std::less<>>;

class TCustomParser;
using TParserExceptionEvent = std::function<void(TCustomParser& Sender, EMathParserError& E)>;

class TCustomParser {
public:
    // The owner is accepted for parity with components; nothing uses it.
    explicit TCustomParser(void* owner = nullptr);
    virtual ~TCustomParser();
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;

    // Stores the value (rounded to 8 bytes) in the named variable, creating it
    // when missing, and returns the variable's cell. Raises EBadName, EOverflow.
    double* StoreVariable(std::string_view name, Extended value);

    const std::string& Expression() const { return expression_; }
    // Stores the text and compiles it.
    void SetExpression(const std::string& text);

    // Evaluates the compiled formula (0 without one). Raises the evaluation errors.
    Extended Value();
    // Writing Value has no effect.
    void SetValue(Extended) {}

    bool CompileFailed() const { return compileFailed_; }
    bool PascalNumberformat() const { return pascalNumberformat_; }
    void SetPascalNumberformat(bool value) { pascalNumberformat_ = value; }

    TParserExceptionEvent OnParserError;

    // The compiled formula in list order (empty without one).
    const std::vector<OperationRecord>& Operations() const { return program_.operations; }
    const VariableTable& Variables() const { return variables_; }

protected:
    void AddOneArgumentFunction(const std::string& name, RoutinePtr routine);
    void AddTwoArgumentFunction(const std::string& name, RoutinePtr routine);
    // Enters a cell that lives inside the object itself; it is never freed separately.
    void AddPredefinedVariable(const std::string& name, double* cell);

private:
    void DiscardProgram();
    void RemoveAllVariables();

    struct CallEntry {
        RoutinePtr routine;
        OperationRecord* op;
    };

    std::vector<CallEntry> callSequence_;
    std::string expression_;
    bool pascalNumberformat_ = true;
    bool compileFailed_ = false;
    VariableTable variables_;
    std::deque<double> ownedVariableCells_; // stable addresses
    OperationList program_;
    FunctionTable oneArgumentFunctions_;
    FunctionTable twoArgumentFunctions_;
};

// The parser with the built-in functions and the predefined variables
// A, B, C, D, E, X, Y, T.
class TParser : public TCustomParser {
public:
    explicit TParser(void* owner = nullptr);

    double A() const { return a_; }
    double B() const { return b_; }
    double C() const { return c_; }
    double D() const { return d_; }
    double E() const { return e_; }
    double T() const { return t_; }
    double X() const { return x_; }
    double Y() const { return y_; }
    void SetA(double v) { a_ = v; }
    void SetB(double v) { b_ = v; }
    void SetC(double v) { c_ = v; }
    void SetD(double v) { d_ = v; }
    void SetE(double v) { e_ = v; }
    void SetT(double v) { t_ = v; }
    void SetX(double v) { x_ = v; }
    void SetY(double v) { y_ = v; }

private:
    double a_ = 0, b_ = 0, c_ = 0, d_ = 0, e_ = 0, x_ = 0, y_ = 0, t_ = 0;
};

} // namespace xtq

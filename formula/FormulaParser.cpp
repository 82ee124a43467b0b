#include "formula/FormulaParser.h"

#include "core/AsciiCase.h"
#include "formula/FormulaBuild.h"
#include "formula/Functions.h"

#include <cmath>

namespace xtq {
namespace {

bool IsIdentifier(std::string_view name) {
    if (name.empty()) return false;
    auto letter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (!letter(name[0])) return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

// Rounds to a cell; a value beyond the 8-byte range is an overflow.
double ToCell(Extended value) {
    if (std::isnan(value)) throw EInvalidOp(kInvalidOpMessage);
    const double cell = static_cast<double>(value);
    if (std::isinf(cell)) throw EOverflow(kOverflowMessage);
    return cell;
}

} // namespace

TCustomParser::TCustomParser(void*) {}

TCustomParser::~TCustomParser() {
    DiscardProgram();
    RemoveAllVariables();
}

double* TCustomParser::StoreVariable(std::string_view name, Extended value) {
    const std::string upper = UpperAscii(name);
    if (auto found = variables_.find(upper); found != variables_.end()) {
        *found->second = ToCell(value);
        return found->second;
    }
    if (!IsIdentifier(name)) throw EBadName(std::string(name));
    if (upper.find("DIV") != std::string::npos || upper.find("MOD") != std::string::npos)
        throw EBadName(upper);
    const double cell = ToCell(value);
    double* storage = &ownedVariableCells_.emplace_back(cell);
    variables_.emplace(upper, storage);
    return storage;
}

void TCustomParser::SetExpression(const std::string& text) {
    DiscardProgram();
    expression_ = text;
    if (text.empty()) return;
    try {
        program_ = CompileFormula(text, variables_, oneArgumentFunctions_, twoArgumentFunctions_,
                                  pascalNumberformat_, compileFailed_);
    } catch (EMathParserError& error) {
        compileFailed_ = true;
        if (OnParserError) {
            OnParserError(*this, error);
            return;
        }
        throw;
    }
    callSequence_.reserve(program_.operations.size());
    for (OperationRecord& op : program_.operations) {
        if (op.Code < kOneArgFunction) op.Routine = RoutineForCode(op.Code);
        callSequence_.push_back({op.Routine, &op});
    }
}

Extended TCustomParser::Value() {
    if (callSequence_.empty()) return 0;
    for (const CallEntry& entry : callSequence_) {
        entry.routine(*entry.op);
        if (!std::isfinite(*entry.op->Output)) [[unlikely]]
            RaiseFloatingPointError(*entry.op);
    }
    return *callSequence_.back().op->Output;
}

void TCustomParser::AddOneArgumentFunction(const std::string& name, RoutinePtr routine) {
    if (!oneArgumentFunctions_.emplace(UpperAscii(name), routine).second)
        throw Exception("Duplicate function name " + name);
}

void TCustomParser::AddTwoArgumentFunction(const std::string& name, RoutinePtr routine) {
    if (!twoArgumentFunctions_.emplace(UpperAscii(name), routine).second)
        throw Exception("Duplicate function name " + name);
}

void TCustomParser::AddPredefinedVariable(const std::string& name, double* cell) {
    variables_.emplace(UpperAscii(name), cell);
}

void TCustomParser::DiscardProgram() {
    callSequence_.clear();
    program_ = OperationList{};
}

void TCustomParser::RemoveAllVariables() {
    variables_.clear();
    ownedVariableCells_.clear();
    expression_.clear();
}

TParser::TParser(void* owner) : TCustomParser(owner) {
    for (const BuiltinFunction& f : OneArgumentBuiltins())
        AddOneArgumentFunction(f.name, f.routine);
    for (const BuiltinFunction& f : TwoArgumentBuiltins())
        AddTwoArgumentFunction(f.name, f.routine);
    AddPredefinedVariable("A", &a_);
    AddPredefinedVariable("B", &b_);
    AddPredefinedVariable("C", &c_);
    AddPredefinedVariable("D", &d_);
    AddPredefinedVariable("E", &e_);
    AddPredefinedVariable("X", &x_);
    AddPredefinedVariable("Y", &y_);
    AddPredefinedVariable("T", &t_);
}

} // namespace xtq

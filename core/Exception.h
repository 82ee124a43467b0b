#pragma once
// Base of every error the program raises. Each class reports its own name so
// that tools can print "CLASSNAME: MESSAGE".

#include <stdexcept>
#include <string>

namespace xtq {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    virtual const char* className() const noexcept { return "Exception"; }
    std::string message() const { return what(); }
};

// Declares `Name` deriving from `Base` with the constructor and className().
#define XTQ_DECLARE_ERROR(Name, Base)                                                              \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* className() const noexcept override { return #Name; }                          \
    }

} // namespace xtq

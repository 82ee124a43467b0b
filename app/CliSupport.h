#pragma once
// Helpers shared by the commands of xtq-cli.

#include "core/Exception.h"

#include <string>
#include <string_view>

namespace xtq::cli {

// "CLASSNAME: MESSAGE" on one line: carriage returns and line feeds inside
// the message are written as \r and \n.
std::string DescribeError(const Exception& error);

// Reads a decimal number with "." as separator, whatever the locale:
// [+|-]digits[.digits][(e|E)[+|-]digits]. Returns false when the text is not one.
bool ParseDecimal(std::string_view text, long double& value);

} // namespace xtq::cli

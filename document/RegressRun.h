#pragma once
// Pieces of the Regress command that stand on their own.

#include "core/Extended.h"

#include <string>
#include <vector>

namespace xtq {

// The coefficient list's one line: for every constant in term order, its name
// (a blank when it is empty), "=" and the general number text of its value
// padded with blanks to 25 characters (the format "%-1S=%-25S").
std::string CoefficientLine(const std::vector<std::string>& names,
                            const std::vector<Extended>& values);

} // namespace xtq

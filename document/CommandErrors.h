#pragma once
// How the window reports an error that ends a command: a message box with the
// error's text and the application title as its title.

#include <string>
#include <string_view>

namespace xtq {

// The error's text with a "." appended, unless the text is empty or its last
// character sorts at or before "." (a blank, a control character or one of
// !"#$%&'()*+,-.).
std::string ErrorBoxText(std::string_view message);

// The application title: the executable's file name (without its folder) up
// to its first ".", every letter after the first in lower case. "XTQ" gives
// "Xtq".
std::string ApplicationTitle(std::string_view executablePath);

} // namespace xtq

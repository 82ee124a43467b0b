#include "document/CommandErrors.h"

#include "core/AsciiCase.h"

namespace xtq {

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string ApplicationTitle(std::string_view executablePath) {
    const size_t slash = executablePath.rfind('/');
    std::string_view name =
        slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    std::string title(name);
    for (size_t i = 1; i < title.size(); ++i)
        title[i] = ToLowerAscii(title[i]);
    return title;
}

} // namespace xtq

#pragma once
// Text crosses between the program (UTF-8 std::string) and Qt (QString) here.

#include <QString>
#include <string>
#include <string_view>

namespace xtq::ui {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace xtq::ui

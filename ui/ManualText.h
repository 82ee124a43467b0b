#pragma once
// The texts of the window that are not part of any document: the manual page,
// the About box and the notice of status panel 1.

#include <QString>
#include <QStringList>

namespace xtq::ui {

// The manual page RichEditManual, line by line (31 lines).
QStringList ManualLines();

// The About box: "Orvane V1.1", "Quellant V1.1" and the maker's notice.
QStringList AboutLines();
inline constexpr const char* kAboutTitle = "欢迎使用XTQ";

// The fixed notice of status panel 1.
QString StatusNotice();

} // namespace xtq::ui

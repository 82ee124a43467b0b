#pragma once
// Every modal box of the window goes through this interface: message boxes
// and the file dialogs. The program uses TQtDialogs; tests put their own in
// its place, so that nothing waits for a person.

#include <QString>
#include <optional>

class QWidget;

namespace xtq::ui {

enum class TMessageIcon { Information, Warning, Error, Question };
// OkCancel and YesNo default to the safe answer (Cancel, No).
enum class TMessageButtons { Ok, OkCancel, YesNo };

enum class TFileDialogKind { Open, Save };

struct TFileDialogOptions {
    TFileDialogKind Kind = TFileDialogKind::Open;
    QString Directory;     // the starting folder
    QString Filter;        // "方程回归数据文件(*.rgs)"
    QString DefaultSuffix; // added to a typed name that has none, without the "."
};

class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;
    // Shows a modal message box; true when it was closed with OK or Yes.
    virtual bool MessageBox(QWidget* parent, const QString& text, const QString& title,
                            TMessageIcon icon, TMessageButtons buttons) = 0;
    // Shows a file dialog; the chosen path, or nothing when it was cancelled.
    // The Save dialog asks before an existing file is chosen.
    virtual std::optional<QString> FileName(QWidget* parent, const TFileDialogOptions& options) = 0;
};

// The Qt boxes and dialogs.
class TQtDialogs : public IUserDialogs {
public:
    bool MessageBox(QWidget* parent, const QString& text, const QString& title, TMessageIcon icon,
                    TMessageButtons buttons) override;
    std::optional<QString> FileName(QWidget* parent, const TFileDialogOptions& options) override;
};

} // namespace xtq::ui

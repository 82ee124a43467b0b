#include "ui/UserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace xtq::ui {

bool TQtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& title,
                            TMessageIcon icon, TMessageButtons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case TMessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case TMessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    case TMessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case TMessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    const int answer = box.exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}

std::optional<QString> TQtDialogs::FileName(QWidget* parent, const TFileDialogOptions& options) {
    QFileDialog dialog(parent);
    // Qt's own dialog, the same on every desktop and translated with Qt.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setDirectory(options.Directory);
    dialog.setNameFilter(options.Filter);
    dialog.setDefaultSuffix(options.DefaultSuffix);
    if (options.Kind == TFileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The chosen file need not exist: Open then reports "File not found".
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

} // namespace xtq::ui

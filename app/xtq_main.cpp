// XTQ: the equation regression program's window.

#include "ui/Unit1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Qt's own texts (dialog buttons, file dialogs) in Simplified Chinese.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
    xtq::ui::InstallDesignFont();

    xtq::ui::TQtDialogs dialogs;
    const QByteArray executable = QCoreApplication::applicationFilePath().toUtf8();
    xtq::ui::TFormRegress window(
        std::string(executable.constData(), static_cast<size_t>(executable.size())), dialogs);
    window.show();
    return QApplication::exec();
}

// XTQ: the equation regression program's window.
//
// For measuring the start-up only (scripts/startup-time.sh): with the option
// --first-paint-exit, the program prints the wall-clock time at which the
// window's first paint has finished (nanoseconds since the epoch) and the
// microseconds since main began, then quits.

#include "ui/SystemClose.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// Waits for the first paint of a widget of the window, then, once that paint
// pass is over, reports and quits.
class TFirstPaintProbe : public QObject {
public:
    TFirstPaintProbe(QWidget* window, std::chrono::steady_clock::time_point start)
        : window_(window), start_(start) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            seen_ = true;
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return false;
    }

private:
    void Report() {
        const auto wall = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
        const auto sinceMain = std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - start_)
                                   .count();
        std::printf("first-paint-epoch-ns %lld\nfirst-paint-since-main-us %lld\n",
                    static_cast<long long>(wall), static_cast<long long>(sinceMain));
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    QWidget* window_;
    std::chrono::steady_clock::time_point start_;
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    xtq::ui::CatchTerminationSignal();
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
    xtq::ui::FollowSystemCloseRequests(window);
    TFirstPaintProbe probe(&window, start);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--first-paint-exit") == 0) application.installEventFilter(&probe);
    window.show();
    return QApplication::exec();
}

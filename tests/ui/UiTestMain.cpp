// The window tests run with a QApplication. Without a display (and with no
// platform chosen) they use Qt's offscreen platform, also when the test
// framework lists the tests at build time.

#include "ui/Unit1.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    xtq::ui::InstallDesignFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// SPDX-License-Identifier: MIT
// Widget tests run in an offscreen QApplication.
#include <gtest/gtest.h>

#include <QApplication>

#include "WindowSupport.h"
#include "ui/Startup.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    quarl::ui::UseWholeScaleFactors();
    QApplication app(argc, argv);
    quarl::ui::LoadFonts();
#ifdef _WIN32
    quarl::testing::CatchUiAutomation();
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// SPDX-License-Identifier: MIT
#include <QApplication>
#include <cstdio>

#include "ui/Quarl.h"
#include "ui/Startup.h"

int main(int argc, char** argv) {
    if (!quarl::ui::HasDisplay(argc, argv)) {
        std::fputs(quarl::ui::kNoDisplay, stderr);
        return 1;
    }
    quarl::ui::UseWholeScaleFactors();
    QApplication app(argc, argv);
    quarl::ui::LoadFonts();
    QApplication::setApplicationName(QStringLiteral("Quarl editor"));
    QApplication::setApplicationVersion(QStringLiteral(QUARL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.example.QuarlEditor"));
    QApplication::setWindowIcon(quarl::ui::EditorIcon());  // the dialogs' too
    quarl::ui::Quarl window;
    quarl::ui::ShowMainWindow(window);
    return QApplication::exec();
}

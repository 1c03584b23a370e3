// SPDX-License-Identifier: MIT
#include "ui/Startup.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace quarl::ui {

bool HasDisplay(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name)) return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    }
    return false;
}

void UseWholeScaleFactors() {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    // Qt leaves a factor set by hand in QT_SCALE_FACTOR unrounded.
    bool isNumber = false;
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&isNumber);
    if (isNumber && factor > 0 && factor != std::round(factor)) {
        qputenv("QT_SCALE_FACTOR", QByteArray::number(std::max(1.0, std::round(factor))));
    }
}

QIcon EditorIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

void LoadFonts() {
    for (const char* face : {"DejaVuSans", "DejaVuSerif"}) {
        QFontDatabase::addApplicationFont(
            QStringLiteral(":/fonts/%1.ttf").arg(QLatin1String(face)));
    }
}

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
#include "ui/Startup.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <cstring>

// Resources of a static library are registered by hand; the macro must stand outside any
// namespace.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

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
    RegisterResources();
    QSvgRenderer renderer(QStringLiteral(":/quarl-editor.svg"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quarl::ui

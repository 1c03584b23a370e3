// SPDX-License-Identifier: MIT
#include "ui/Startup.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <xcb/xcb.h>
#endif

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace quarl::ui {

namespace {

#if defined(_WIN32)

// Windows always has its desktop.
bool DisplayServerAnswers() {
    return true;
}

#else

// Whether the Wayland compositor that WAYLAND_DISPLAY names has its socket.
bool WaylandSocketExists() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty()) return false;
    const QString path =
        name.startsWith(u'/') ? name : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + name;
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// Whether the X server that DISPLAY names accepts a connection; Qt would abort on one that
// does not.
bool XServerAnswers() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool DisplayServerAnswers() {
    return WaylandSocketExists() || XServerAnswers();
}

#endif

}  // namespace

bool HasDisplay(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    }
    return DisplayServerAnswers();
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

bool OpensMaximized(const QSize& window, const QSize& available) {
    return available.width() < window.width() || available.height() < window.height();
}

void ShowMainWindow(QWidget& window) {
    if (OpensMaximized(window.size(), window.screen()->availableGeometry().size())) {
        window.showMaximized();
    } else {
        window.show();
    }
}

}  // namespace quarl::ui

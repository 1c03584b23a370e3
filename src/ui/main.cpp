// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QScreen>

#include "ui/Quarl.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarl editor"));
    QApplication::setApplicationVersion(QStringLiteral(QUARL_VERSION));
    quarl::ui::Quarl window;
    // Maximized where the screen cannot show the whole map area.
    const QSize available = window.screen()->availableGeometry().size();
    if (available.width() < window.width() || available.height() < window.height()) {
        window.showMaximized();
    } else {
        window.show();
    }
    return QApplication::exec();
}

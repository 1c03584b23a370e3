// SPDX-License-Identifier: MIT
#include "ui/accessible/Bridges.h"

#include <QGuiApplication>

namespace quarl::ui {

namespace {

bool UiAutomation() {
    return QGuiApplication::platformName() == QLatin1String("windows");
}

}  // namespace

bool FocusOnCellAlone() {
    return UiAutomation();
}

bool CellNameChangesHeard() {
    return QT_VERSION >= QT_VERSION_CHECK(6, 8, 0) && QT_VERSION < QT_VERSION_CHECK(6, 9, 0) &&
           !UiAutomation();
}

}  // namespace quarl::ui

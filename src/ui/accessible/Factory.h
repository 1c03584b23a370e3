// SPDX-License-Identifier: MIT
// Chooses the editor's own accessible interface for a widget, where Qt's would not serve.
#pragma once

#include <QAccessibleInterface>
#include <QString>

class QObject;

namespace quarl::ui {

// Installed once by the window: the map area, the named combo boxes and the text boxes of the
// editor's window; nothing for any other window's widgets.
QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object);

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
// What a screen reader is told of the window beyond Qt's own: the map area as a table of the
// tiles on show, and combo boxes that keep their names.
#pragma once

#include <QAccessible>

namespace quarl::ui {

// Makes the interfaces of the map area and the combo boxes; installed once by the window.
QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object);

// Has a screen reader say a text that appeared without the focus moving to it.
void Announce(QObject* source, const QString& text);

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
// What a screen reader is told of the window beyond Qt's own: the map area as a table of the
// tiles on show, combo boxes that keep their names and say their choice, text boxes read whole,
// and the status line as the window's status bar.
#pragma once

#include <QAccessible>

class QComboBox;

namespace quarl::ui {

// Makes the interfaces of the map area and the combo boxes; installed once by the window.
QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object);

// Has a screen reader say a text that appeared without the focus moving to it, such as a file
// command's result in the status line.
void Announce(QObject* source, const QString& text);

// Keeps a combo box's choice where a screen reader reads it: selected in its list.
void KeepChoiceSelected(QComboBox* box);

}  // namespace quarl::ui

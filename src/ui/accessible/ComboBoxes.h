// SPDX-License-Identifier: MIT
// Combo boxes that keep their names and say their choice, as text and as a selection.
#pragma once

#include <QAccessibleInterface>

class QComboBox;

namespace quarl::ui {

QAccessibleInterface* NewNamedComboBox(QComboBox* box);

// Keeps a combo box's choice where a screen reader reads it: selected in its list.
void KeepChoiceSelected(QComboBox* box);

}  // namespace quarl::ui

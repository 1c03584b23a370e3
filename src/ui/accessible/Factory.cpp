// SPDX-License-Identifier: MIT
// Which of the editor's interfaces a widget gets.
#include "ui/accessible/Factory.h"

#include <QComboBox>
#include <QLineEdit>

#include "ui/MapArea.h"
#include "ui/accessible/ComboBoxes.h"
#include "ui/accessible/MapTable.h"
#include "ui/accessible/TextBoxes.h"

namespace quarl::ui {

QAccessibleInterface* AccessibleFactory(const QString& /*className*/, QObject* object) {
    if (auto* area = qobject_cast<MapArea*>(object)) return NewMapTable(area);
    if (auto* box = qobject_cast<QComboBox*>(object)) {
        if (!box->isEditable() && !box->accessibleName().isEmpty()) return NewNamedComboBox(box);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        if (edit->echoMode() != QLineEdit::Normal) return nullptr;
        if (edit->objectName() == QLatin1String("TxtStatus")) return NewStatusLine(edit);
        return NewTextBox(edit);
    }
    return nullptr;
}

}  // namespace quarl::ui

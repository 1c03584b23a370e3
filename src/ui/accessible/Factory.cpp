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

namespace {

// Whether the object is a control of the editor's window. The open dialog and the message boxes
// keep Qt's own interfaces, which a reader of any Qt program expects there; a type alone cannot
// tell the dialog's file name box from the editor's text boxes.
bool InEditorWindow(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr && widget->window()->inherits("quarl::ui::Quarl");
}

}  // namespace

QAccessibleInterface* AccessibleFactory(const QString& /*className*/, QObject* object) {
    if (!InEditorWindow(object)) return nullptr;
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

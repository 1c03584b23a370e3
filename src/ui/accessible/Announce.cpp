// SPDX-License-Identifier: MIT
// Announcements: Qt's own from 6.8, the status line's notice before.
#include "ui/accessible/Announce.h"

#include <QAccessible>
#include <QLineEdit>
#include <QWidget>

#include "ui/accessible/TextBoxes.h"

namespace quarl::ui {

void Announce(QObject* source, const QString& text) {
    if (!QAccessible::isActive()) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, text);
    QAccessible::updateAccessibility(&event);
#else
    // Qt before 6.8 has no announcements: the window's status line shows a notice instead.
    auto* widget = qobject_cast<QWidget*>(source);
    auto* line = widget != nullptr
                     ? widget->window()->findChild<QLineEdit*>(QStringLiteral("TxtStatus"))
                     : nullptr;
    if (QAccessibleInterface* status = QAccessible::queryAccessibleInterface(line)) {
        ShowNotice(status, text);
    }
#endif
}

}  // namespace quarl::ui

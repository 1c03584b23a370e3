// SPDX-License-Identifier: MIT
// Text boxes read whole, and the status line as the window's status bar with its notices.
#pragma once

#include <QAccessibleInterface>

class QLineEdit;

namespace quarl::ui {

QAccessibleInterface* NewTextBox(QLineEdit* edit);
QAccessibleInterface* NewStatusLine(QLineEdit* edit);

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// Has the status line show a notice to the screen reader alone.
void ShowNotice(QAccessibleInterface* statusLine, const QString& text);
#endif

}  // namespace quarl::ui

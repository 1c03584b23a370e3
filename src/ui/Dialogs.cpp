// SPDX-License-Identifier: MIT
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

namespace quarl::ui {

namespace {

// Qt 6.4 on X11 can leave the window with the input focus but not active when one Return closes
// the file dialog and its completion list at once: no widget has the focus, so every key is
// lost, and a screen reader user cannot tell. The window takes its activation back.
void RegainActivation(QWidget* window) {
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    QTimer::singleShot(0, window, [window] {
        if (QGuiApplication::focusWindow() == window->windowHandle() && !window->isActiveWindow())
            QApplication::setActiveWindow(window);
    });
#else
    Q_UNUSED(window);
#endif
}

}  // namespace

QString QtDialogs::ChooseMapFile(QWidget* parent) {
    // "*" rather than "*.*", so that names without a dot are listed too.
    QString path = QFileDialog::getOpenFileName(parent, QStringLiteral("Load Map"), QString(),
                                                QStringLiteral("all files (*);;Map Files (*.map)"));
    if (parent) RegainActivation(parent->window());
    return path;
}

void QtDialogs::ShowMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace quarl::ui

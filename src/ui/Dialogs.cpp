// SPDX-License-Identifier: MIT
#include "ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace quarl::ui {

QString QtDialogs::ChooseMapFile(QWidget* parent) {
    // "*" rather than "*.*", so that names without a dot are listed too.
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Load Map"), QString(),
                                        QStringLiteral("all files (*);;Map Files (*.map)"));
}

void QtDialogs::ShowMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace quarl::ui

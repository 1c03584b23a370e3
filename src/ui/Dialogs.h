// SPDX-License-Identifier: MIT
// The window's dialogs, behind a seam so that tests can answer them.
#pragma once

#include <QString>

class QWidget;

namespace quarl::ui {

class WindowDialogs {
  public:
    virtual ~WindowDialogs() = default;
    // The chosen map file's path, or an empty string when the user cancelled.
    [[nodiscard]] virtual QString ChooseMapFile(QWidget* parent) = 0;
    // A message box with only an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Qt's open-file dialog and message boxes.
class QtDialogs final : public WindowDialogs {
  public:
    [[nodiscard]] QString ChooseMapFile(QWidget* parent) override;
    void ShowMessage(QWidget* parent, const QString& title, const QString& text) override;
};

}  // namespace quarl::ui

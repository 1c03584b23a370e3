// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

namespace quarl::ui {

// A push button whose caption wraps onto more lines when it does not fit on one.
class CaptionButton final : public QPushButton {
    Q_OBJECT
  public:
    CaptionButton(const QString& caption, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quarl::ui

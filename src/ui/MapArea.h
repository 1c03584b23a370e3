// SPDX-License-Identifier: MIT
// The map area: shows the persistent canvas 1:1 inside a sunken frame and reports the
// pointer and the keys in the canvas's pixels.
#pragma once

#include <QFrame>

#include "view/Canvas.h"

namespace quarl::ui {

class MapArea final : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kFrameWidth = 2;

    MapArea(const Canvas& canvas, QWidget* parent);

    // Shows again the part of the canvas that was drawn into.
    void Refresh(const PixelRect& rect);

  signals:
    void Pressed(int button, double x, double y);
    void Moved(int buttons, double x, double y);
    void KeyPressed(int key);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    [[nodiscard]] QPointF CanvasPosition(const QPointF& position) const;

    const Canvas& canvas_;
};

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
#include "ui/MapArea.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace quarl::ui {

MapArea::MapArea(const Canvas& canvas, QWidget* parent) : QFrame(parent), canvas_(canvas) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kFrameWidth);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapArea::Refresh(const PixelRect& rect) {
    if (rect.IsEmpty()) return;
    update(
        QRect(rect.left, rect.top, rect.width, rect.height).translated(contentsRect().topLeft()));
}

void MapArea::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    // A view of the canvas's pixels, no copy; drawn without smoothing so cells stay crisp.
    const QImage image(reinterpret_cast<const uchar*>(canvas_.Pixels()), canvas_.Width(),
                       canvas_.Height(), qsizetype{canvas_.Width()} * qsizetype{sizeof(Pixel)},
                       QImage::Format_RGB32);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), image);
}

QPointF MapArea::CanvasPosition(const QPointF& position) const {
    return position - QPointF(contentsRect().topLeft());
}

void MapArea::mousePressEvent(QMouseEvent* event) {
    const QPointF at = CanvasPosition(event->position());
    emit Pressed(static_cast<int>(event->button()), at.x(), at.y());
}

void MapArea::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = CanvasPosition(event->position());
    emit Moved(static_cast<int>(event->buttons()), at.x(), at.y());
}

void MapArea::keyPressEvent(QKeyEvent* event) {
    emit KeyPressed(event->key());
    QFrame::keyPressEvent(event);
}

}  // namespace quarl::ui

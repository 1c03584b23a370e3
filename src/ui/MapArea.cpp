// SPDX-License-Identifier: MIT
#include "ui/MapArea.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>

#include "editing/Editing.h"
#include "ui/accessible/Bridges.h"

namespace quarl::ui {

// The map area hands Qt's own numbers of the buttons and the key to the editing commands.
static_assert(kLeftButton == Qt::LeftButton && kRightButton == Qt::RightButton);
static_assert(kSpaceKey == Qt::Key_Space);

MapArea::MapArea(const Canvas& canvas, const Types& model, QWidget* parent)
    : QFrame(parent), canvas_(canvas), model_(model) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kFrameWidth);
    setMouseTracking(true);
    // Tab reaches the map too, so that Space can be used without a mouse.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapArea::Refresh(const PixelRect& rect) {
    if (rect.IsEmpty()) return;
    update(
        QRect(rect.left, rect.top, rect.width, rect.height).translated(contentsRect().topLeft()));
}

void MapArea::ViewChanged() {
    // Another tile may lie under the resting pointer now: its next move is a real one.
    lastMove_ = kNoMove;
    // The reset below tells every cell afresh.
    (void)changed_.Take();
    if (!QAccessible::isActive()) return;
    QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
    QAccessibleEvent description(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

void MapArea::SetCurrentTile(TilePos tile) {
    if (tile == current_) return;
    current_ = tile;
    if (hasFocus()) TellCurrentTile();
}

void MapArea::TilesChanged(const TileSpan& tiles) {
    if (!QAccessible::isActive()) return;
    changed_.Add(tiles, TilesOnShow());
    QueueTellChangedTiles();
}

void MapArea::AllTilesChanged() {
    if (!QAccessible::isActive()) return;
    changed_.AddAll();
    QueueTellChangedTiles();
}

void MapArea::QueueTellChangedTiles() {
    if (tellQueued_ || changed_.IsEmpty()) return;
    tellQueued_ = true;
    QMetaObject::invokeMethod(this, &MapArea::TellChangedTiles, Qt::QueuedConnection);
}

void MapArea::TellChangedTiles() {
    tellQueued_ = false;
    // Taken first: a reader may call back, and the view change, while it is told.
    const ChangedCells::Told told = changed_.Take();
    if (!QAccessible::isActive()) return;
    if (told.all) {
        QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&reset);
        return;
    }
    for (const int cell : told.cells) {
        QAccessibleEvent name(this, QAccessible::NameChanged);
        name.setChild(cell);
        QAccessible::updateAccessibility(&name);
    }
}

std::optional<QPointF> MapArea::CellMiddle(TilePos tile) const {
    const QRect cell = WidgetRectOf(tile);
    if (cell.isEmpty()) return std::nullopt;
    return CanvasPosition(QPointF(cell.center()));
}

void MapArea::MoveToTile(TilePos tile) {
    if (const auto at = CellMiddle(tile)) emit Moved(Qt::NoButton, at->x(), at->y());
}

// After the screen reader's call has returned, as Qt's own buttons click; refused, as a reader
// cannot be told, where no map is loaded, a dialog waits for an answer or the cell is gone from
// view meanwhile.
void MapArea::PressTile(TilePos tile) {
    QMetaObject::invokeMethod(
        this,
        [this, tile] {
            if (model_.IsLoaded() && QApplication::activeModalWidget() == nullptr &&
                !WidgetRectOf(tile).isEmpty()) {
                emit TilePressed(tile);
            }
        },
        Qt::QueuedConnection);
}

int MapArea::CellIndex(TilePos tile) const {
    const TileSpan span = TilesOnShow();
    const int row = tile.row - span.firstRow;
    const int col = tile.col - span.firstCol;
    if (row < 0 || row >= span.rows || col < 0 || col >= span.cols) return -1;
    return row * span.cols + col;
}

void MapArea::TellCurrentTile() {
    const int cell = CellIndex(current_);
    if (!QAccessible::isActive() || !hasFocus() || cell < 0) return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(cell);
    QAccessible::updateAccessibility(&focus);
}

CellGeometry MapArea::Geometry() const {
    return CellSize(model_, canvas_.Width(), canvas_.Height());
}

TileSpan MapArea::TilesOnShow() const {
    return VisibleTiles(model_, canvas_.Width(), canvas_.Height());
}

TilePos MapArea::TileAtWidget(const QPoint& at) const {
    const QPointF canvas = CanvasPosition(QPointF(at));
    return TileAt(model_, Geometry(), canvas.x(), canvas.y());
}

QRect MapArea::WidgetRectOf(TilePos tile) const {
    const PixelRect cell = CellRect(model_, Geometry(), tile.col, tile.row);
    return QRect(cell.left, cell.top, cell.width, cell.height)
        .translated(contentsRect().topLeft())
        .intersected(contentsRect())
        .intersected(visibleRegion().boundingRect());
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
    if (!IsNewPosition(event->position())) return;
    const QPointF at = CanvasPosition(event->position());
    emit Moved(static_cast<int>(event->buttons()), at.x(), at.y());
}

// Qt on Windows turns the first move back into the window after a drag released outside it into
// an enter alone, so the readout follows the pointer where it enters too. The focus stays: a
// window that appears under the resting pointer is no reason to take it. The place is not
// marked as moved to: the move that brought the pointer here, which Qt sends after the enter at
// the same place, is a real one and takes the focus.
void MapArea::enterEvent(QEnterEvent* event) {
    QFrame::enterEvent(event);
    if (event->position() == lastMove_) return;
    const QPointF at = CanvasPosition(event->position());
    emit Entered(static_cast<int>(QGuiApplication::mouseButtons()), at.x(), at.y());
}

// Left by moving, the pointer's next move here is a real one, even to the same pixel; the leave
// may arrive only once the pointer is back. A menu or window that opens over the resting
// pointer is no move, nor is its closing. Under Wine, a leave that comes once the pointer is
// back on another tile, after a drag released outside the window, is followed by no enter and
// no move: the readout follows the pointer there all the same, as the enter would have it.
void MapArea::leaveEvent(QEvent* event) {
    const QPoint at = mapFromGlobal(QCursor::pos());
    const bool resting =
        lastMove_ == kNoMove ? rect().contains(at) : QLineF(QPointF(at), lastMove_).length() < 1;
    lastMove_ = resting ? QPointF(at) : kNoMove;
    QFrame::leaveEvent(event);
    if (!resting && contentsRect().contains(at)) {
        const QPointF back = CanvasPosition(QPointF(at));
        emit Entered(static_cast<int>(QGuiApplication::mouseButtons()), back.x(), back.y());
    }
}

bool MapArea::IsNewPosition(const QPointF& position) {
    if (position == lastMove_) return false;
    lastMove_ = position;
    return true;
}

void MapArea::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    emit FocusEntered();
}

void MapArea::EnterAt(std::optional<TilePos> wanted) {
    if (wanted && CellIndex(*wanted) >= 0) current_ = *wanted;
    // Qt tells the screen reader of the map's own focus after this, on the current cell itself
    // where the focus is on the cell alone; elsewhere the cell is told after the map.
    if (FocusOnCellAlone()) return;
    QMetaObject::invokeMethod(this, &MapArea::TellCurrentTile, Qt::QueuedConnection);
}

void MapArea::keyPressEvent(QKeyEvent* event) {
    emit KeyPressed(event->key());
    QFrame::keyPressEvent(event);
}

}  // namespace quarl::ui

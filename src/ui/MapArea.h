// SPDX-License-Identifier: MIT
// The map area: shows the persistent canvas 1:1 inside a sunken frame and reports the
// pointer and the keys in the canvas's pixels. To a screen reader it is a table of the tiles
// on show, whose current cell is the tile the readout names.
#pragma once

#include <QFrame>
#include <optional>

#include "document/Types.h"
#include "ui/accessible/ChangedCells.h"
#include "view/Canvas.h"
#include "view/Viewport.h"

namespace quarl::ui {

class MapArea final : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kFrameWidth = 2;

    MapArea(const Canvas& canvas, const Types& model, QWidget* parent);

    // Shows again the part of the canvas that was drawn into.
    void Refresh(const PixelRect& rect);

    // The map was loaded or drawn again: the tiles on show and their words may have changed.
    void ViewChanged();
    // The readout names another tile.
    void SetCurrentTile(TilePos tile);
    // The map has just got the focus: the wanted tile, when it is on show, becomes the current
    // one, the cell that the screen reader is told has the focus.
    void EnterAt(std::optional<TilePos> wanted);
    // The words of these tiles changed under the screen reader's eyes: their cells' name changes
    // are told once this pass of the event loop is done, or at TellChangedTiles.
    void TilesChanged(const TileSpan& tiles);
    // The words of every tile changed: the reader is told to read the table afresh.
    void AllTilesChanged();
    // Tells now the name changes TilesChanged gathered: each cell once, or the table afresh
    // where they are more than ChangedCells' bound.
    void TellChangedTiles();
    // A screen reader moved the focus to a tile's cell: what moving the pointer to the middle
    // of the tile's cell does.
    void MoveToTile(TilePos tile);
    // A screen reader pressed a tile's cell: a press of the tile, soon after.
    void PressTile(TilePos tile);

    [[nodiscard]] const Types& Model() const { return model_; }
    [[nodiscard]] TilePos CurrentTile() const { return current_; }
    [[nodiscard]] TileSpan TilesOnShow() const;
    // The tile's index among the cells on show, or -1.
    [[nodiscard]] int CellIndex(TilePos tile) const;
    [[nodiscard]] TilePos TileAtWidget(const QPoint& at) const;
    // The part of the tile's cell on show, in the map area's pixels: the part inside its frame
    // and inside the window.
    [[nodiscard]] QRect WidgetRectOf(TilePos tile) const;

  signals:
    void Pressed(int button, double x, double y);
    // A screen reader's press on the tile's cell, when it may press it.
    void TilePressed(TilePos tile);
    void Moved(int buttons, double x, double y);
    // The pointer came onto the map here, which is a move that takes no focus.
    void Entered(int buttons, double x, double y);
    void KeyPressed(int key);
    void FocusEntered();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    [[nodiscard]] QPointF CanvasPosition(const QPointF& position) const;
    // The middle of the part of the tile's cell on show, in the canvas's pixels.
    [[nodiscard]] std::optional<QPointF> CellMiddle(TilePos tile) const;
    [[nodiscard]] CellGeometry Geometry() const;
    void TellCurrentTile();
    void QueueTellChangedTiles();
    // Whether a pointer event is at another place than the last move; that place it becomes.
    bool IsNewPosition(const QPointF& position);

    const Canvas& canvas_;
    const Types& model_;
    TilePos current_;
    // Where the last move was reported: Qt also sends moves that move nothing, when a window
    // appears or takes a grab, and those must not take the focus from a menu. Forgotten when
    // the pointer leaves by moving and when the view changes: the next move is a real one.
    static constexpr QPointF kNoMove{-1, -1};
    QPointF lastMove_ = kNoMove;
    ChangedCells changed_;  // the cells whose name changes are still to be told
    bool tellQueued_ = false;
};

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
// What a screen reader hears of what the map maker did: which words are said after a press,
// after Space and after a file command, and through what (a cell's name change, an
// announcement, the status line's notice). The window routes its events here.
#pragma once

#include "document/Types.h"
#include "editing/Editing.h"
#include "view/Viewport.h"

class QLineEdit;

namespace quarl::ui {

class MapArea;

// A press's stroke is heard once: the pressed tile's new words, then how many tiles it wrote
// when that was more than the one.
void TellPress(MapArea& map, const Types& model, const Change& change);

// A drag's strokes are not heard; the cells they wrote are told to the reader's cache.
void TellDrawn(MapArea& map, const TileSpan& drawn);

// Space's new direction: the tile's new words, heard through its name change where that is
// heard and said otherwise.
void TellSpace(MapArea& map, const Types& model, TilePos tile);

// A file command's result in the status line, said wherever the focus is.
void TellStatus(QLineEdit* status);

}  // namespace quarl::ui

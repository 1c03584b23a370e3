// SPDX-License-Identifier: MIT
#pragma once

#include "document/Types.h"
#include "view/Canvas.h"

namespace quarl {

// The full repaint: clears the canvas, then draws every tile from the scroll origin on,
// column by column, its cell in the current view mode and then its direction mark.
void RedrawMap(Canvas& canvas, const Types& model);

}  // namespace quarl

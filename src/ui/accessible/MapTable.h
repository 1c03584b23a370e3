// SPDX-License-Identifier: MIT
// The map area as a screen reader sees it: a table of the tiles on show.
#pragma once

#include <QAccessibleInterface>

namespace quarl::ui {

class MapArea;

QAccessibleInterface* NewMapTable(MapArea* area);

}  // namespace quarl::ui

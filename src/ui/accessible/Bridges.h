// SPDX-License-Identifier: MIT
// Where the screen readers' two protocols, as Qt's bridges speak them, differ for the map: UI
// Automation on Windows, AT-SPI elsewhere.
#pragma once

namespace quarl::ui {

// UI Automation gives the keyboard focus to one element, and Qt's bridge raises a widget's focus
// on its focused child: there the map's current cell alone has the focus. AT-SPI marks the table
// focused and, within it, the current cell, of which it is told apart.
[[nodiscard]] bool FocusOnCellAlone();

// Whether a screen reader hears that a cell's name changed: Qt's UI Automation bridge tells
// name changes of combo boxes alone; Orca 43 beside Qt before 6.8 says none; Orca 51 beside Qt
// 6.11 passes over a new name too like the old one, as a cell's is after a stroke or Space.
// Beside the Qt releases after 6.8 the words are told instead: heard twice where an older Orca
// goes with them, rather than not at all.
[[nodiscard]] bool CellNameChangesHeard();

}  // namespace quarl::ui

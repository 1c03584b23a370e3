// SPDX-License-Identifier: MIT
// What the editor settles before its window exists: whether there is a display to show it
// on, a whole scale factor, and its icon.
#pragma once

#include <QIcon>
#include <QSize>

class QWidget;

namespace quarl::ui {

// The one line the editor prints when it has nowhere to show its window.
inline constexpr const char* kNoDisplay =
    "quarl-editor needs a desktop or a virtual display to show its window; without one, "
    "start it as: xvfb-run -a quarl-editor\n";

// Whether the window has somewhere to go: a Qt platform chosen (QT_QPA_PLATFORM or Qt's
// -platform option), a Wayland compositor or an X server that answers, or the Windows desktop.
// Without one Qt would abort.
[[nodiscard]] bool HasDisplay(int argc, char** argv);

// Rounds the scale factor to a whole number, so that every pixel of the map area is a whole
// number of device pixels and equal cells look equal. Call before the application exists.
void UseWholeScaleFactors();

// The packaged icon, compiled in at the sizes window managers ask for.
[[nodiscard]] QIcon EditorIcon();

// Makes the fonts compiled into the editor known to Qt. Call once the application exists.
void LoadFonts();

// Whether a window of that size opens maximized on a screen with that much room: where the
// screen cannot show the whole map area.
[[nodiscard]] bool OpensMaximized(const QSize& window, const QSize& available);
// Shows the window at its own size where its screen holds it, maximized elsewhere.
void ShowMainWindow(QWidget& window);

}  // namespace quarl::ui

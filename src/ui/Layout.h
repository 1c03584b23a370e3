// SPDX-License-Identifier: MIT
// The window's layout: where each control stands (in twips, as the layout was drawn), its fonts,
// its names for screen readers, and the frames the client area draws.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

#include "document/Types.h"

class QLineEdit;

namespace quarl::ui {

// Places a control at a position and size given in twips, 15 to the pixel.
template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left / 15, top / 15, width / 15, height / 15);
    return widget;
}

// The name a screen reader says, and a tooltip in the map maker's words.
template <typename Widget>
Widget* Describe(Widget* widget, const char* name, const char* tip) {
    widget->setAccessibleName(QString::fromLatin1(name));
    if (tip != nullptr) widget->setToolTip(QString::fromLatin1(tip));
    return widget;
}

// The mode and arrow buttons' small serif face.
QFont SerifFont(qreal points);
// The font of every control whose font the layout does not give.
QFont ControlFont();

// A value box with its name and tooltip.
QLineEdit* TextBox(QWidget* client, const char* name, int left, int top, const char* accessible,
                   const char* tip);

// A label names its text box for screen readers too.
void Label(QWidget* client, const char* name, const char* caption, int left, int top, int width,
           QLineEdit* box);

// The client area draws the frames itself: they are part of its look, not controls, and so
// no screen reader lists them.
class ClientArea final : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

struct ModeButtonLayout {
    const char* name;
    const char* caption;
    int left;
    int top;
    int width;
    ViewModeValue viewMode;
    const char* tip;
};

inline constexpr ModeButtonLayout kModeButtons[] = {
    {"CmdDrawType", "Draw Type", 0, 360, 615, ViewModeValue::DrawType,
     "Show and paint the terrain type"},
    {"CmdDrawHeight", "Draw Height", 600, 360, 615, ViewModeValue::DrawHeight,
     "Show and paint the height"},
    {"CmdDrawObject", "Draw Objects", 1200, 360, 615, ViewModeValue::DrawObjects,
     "Show and paint the objects"},
    {"CmdDrawUsable", "Draw Usage", 1800, 360, 615, ViewModeValue::DrawUsage,
     "Show and paint the usage"},
    {"CmdDrawDir", "Draw Dir", 2400, 360, 615, ViewModeValue::DrawDir,
     "Show and paint the directions"},
    {"CmdEditView", "Edit View", 9480, 360, 1215, ViewModeValue::EditView,
     "Show the terrain type and place ore deposits with the left button"},
    {"CmdDrawLight", "Draw Light", 0, 840, 615, ViewModeValue::DrawLight,
     "Show and paint the light"},
};

}  // namespace quarl::ui

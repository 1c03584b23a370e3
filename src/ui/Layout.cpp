// SPDX-License-Identifier: MIT
// The fonts, value boxes, labels and frames of the window's layout.
#include "ui/Layout.h"

#include <QtWidgets/qdrawutil.h>

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <array>

namespace quarl::ui {

namespace {

// Labels lie beneath the text boxes and let every click through.
void Decoration(QWidget* widget) {
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->lower();
}

// The rectangles around the value boxes, in twips, drawn by the client area.
constexpr std::array<std::array<int, 4>, 6> kFrames = {{
    {4920, 360, 1215, 495},  // around "Value:" and its box
    {6240, 360, 1575, 495},  // "Edit Value"
    {7800, 360, 855, 495},   // the column box
    {8640, 360, 735, 495},   // the row box
    {4920, 840, 1215, 375},  // "dir"
    {6240, 840, 1215, 375},  // "Editdir"
}};

}  // namespace

// The mode and arrow buttons' small serif face. MS Serif is a bitmap font of old Windows that
// other systems lack; DejaVu Serif, compiled into the editor, gives the same captions on every
// system.
QFont SerifFont(qreal points) {
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    return font;
}

// The font of every control whose font the layout does not give: labels, text boxes, combo
// boxes, "Edit View" and the small view buttons. DejaVu Sans is compiled into the editor, and at
// 9 pixels every label fits the part of its box that the text box
// beside it leaves ("Editdir" takes 29 of 32 pixels) and three digits fit a value box. The
// size is in pixels because the layout is: a font in points would grow past its box on a
// desktop whose font resolution is above 96 dots per inch.
QFont ControlFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(9);
    return font;
}

QLineEdit* TextBox(QWidget* client, const char* name, int left, int top, const char* accessible,
                   const char* tip) {
    return Describe(Place(new QLineEdit(QStringLiteral("0"), client), name, left, top, 495, 285),
                    accessible, tip);
}

void ClientArea::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    for (const auto& [left, top, width, height] : kFrames) {
        qDrawPlainRect(&painter, left / 15, top / 15, width / 15, height / 15,
                       palette().color(QPalette::WindowText));
    }
}

// A label names its text box for screen readers too.
void Label(QWidget* client, const char* name, const char* caption, int left, int top, int width,
           QLineEdit* box) {
    auto* label =
        Place(new QLabel(QString::fromLatin1(caption), client), name, left, top, width, 255);
    label->setBuddy(box);
    Decoration(label);
}

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
// The window as a map maker sees it: every caption whole, every control named, the icon, and
// crisp cells at the scale the tests run at (ctest runs these at scale 1, 2 and 1.5).
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QtTest/QTest>
#include <algorithm>
#include <cmath>
#include <string>

#include "WindowSupport.h"
#include "support/MapFiles.h"
#include "ui/CaptionButton.h"
#include "view/Colours.h"

namespace quarl {
namespace {

using testing::WindowFixture;

class WindowLookTest : public ::testing::Test, public WindowFixture {
  protected:
    QWidget* Client() const { return window->centralWidget(); }

    // The width of a control that no control above it in the stacking order covers, from
    // its left edge, where its text starts.
    int VisibleWidth(const QWidget* widget) const {
        const QRect own = widget->geometry();
        int visible = own.width();
        const QObjectList& siblings = Client()->children();
        for (qsizetype i = siblings.indexOf(widget) + 1; i < siblings.size(); ++i) {
            const auto* above = qobject_cast<const QWidget*>(siblings[i]);
            if (above == nullptr || !above->isVisible()) continue;
            // The frames around the boxes draw only their border.
            if (above->metaObject() == &QFrame::staticMetaObject) continue;
            const QRect cover = above->geometry();
            if (!cover.intersects(own)) continue;
            visible = std::min(visible, std::max(0, cover.left() - own.left()));
        }
        return visible;
    }
};

// Each label, caption, list item, three digits in each value box and each menu title,
// measured with the font that its control really uses.
TEST_F(WindowLookTest, EveryCaptionShowsWhole) {
    // The faces compiled into the editor, not whatever the system would give in their place.
    EXPECT_EQ(QFontInfo(Find("CmdDrawType")->font()).family(), "DejaVu Serif");
    EXPECT_EQ(QFontInfo(Find("TxtX")->font()).family(), "DejaVu Sans");
    for (const auto* label : Client()->findChildren<QLabel*>()) {
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), VisibleWidth(label))
            << label->objectName().toStdString() << " \"" << label->text().toStdString() << "\" in "
            << label->font().family().toStdString();
        EXPECT_LE(metrics.height(), label->height()) << label->objectName().toStdString();
    }
    for (const auto* edit : Client()->findChildren<QLineEdit*>()) {
        if (edit->objectName() == "TxtStatus") continue;
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        // Less the line edit's own margin of 2 pixels on either side of the text.
        const QRect text = edit->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                               .adjusted(2, 0, -2, 0);
        const QFontMetrics metrics(edit->font());
        EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("255")), text.width())
            << edit->objectName().toStdString();
        EXPECT_LE(metrics.height(), text.height()) << edit->objectName().toStdString();
    }
    for (auto* combo : Client()->findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        const QFontMetrics metrics(combo->font());
        for (int i = 0; i < combo->count(); ++i) {
            EXPECT_LE(metrics.horizontalAdvance(combo->itemText(i)), field.width())
                << combo->objectName().toStdString() << " " << combo->itemText(i).toStdString();
        }
    }
    for (const auto* button : Client()->findChildren<ui::CaptionButton*>()) {
        // The caption wraps between words, never inside one.
        const QRect room = button->rect().adjusted(1, 1, -1, -1);
        const QFontMetrics metrics(button->font());
        for (const QString& word : button->text().split(' ')) {
            EXPECT_LE(metrics.horizontalAdvance(word), room.width())
                << button->objectName().toStdString() << " \"" << word.toStdString() << "\"";
        }
        const QRect used =
            metrics.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, button->text());
        EXPECT_LE(used.height(), room.height()) << button->objectName().toStdString();
    }
    for (QAction* menu : window->menuBar()->actions()) {
        const QFontMetrics metrics(window->menuBar()->font());
        EXPECT_LE(metrics.horizontalAdvance(menu->text()),
                  window->menuBar()->actionGeometry(menu).width())
            << menu->text().toStdString();
    }
}

// The packaged icon, from the resource compiled into the program.
TEST_F(WindowLookTest, TheWindowShowsTheEditorsIcon) {
    const QImage icon = window->windowIcon().pixmap(64, 64).toImage();
    ASSERT_EQ(icon.size(), QSize(64, 64) * icon.devicePixelRatio());
    const auto at = [&](int x, int y) {
        const qreal ratio = icon.devicePixelRatio();
        return icon.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio)).rgb();
    };
    EXPECT_EQ(at(38, 38), qRgb(0xFF, 0xD2, 0x4A)) << "the gold centre";
    EXPECT_EQ(at(1, 32), qRgb(0x2B, 0x3A, 0x55)) << "the background";
}

// A screen reader names every control; every control but the map says what it does.
TEST_F(WindowLookTest, EveryControlHasANameAndATooltip) {
    for (const auto* widget : Client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = widget->objectName().toStdString();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            EXPECT_NE(label->buddy(), nullptr) << name;
            continue;  // a label's text is its name
        }
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
        if (widget->metaObject() == &QFrame::staticMetaObject || widget == Buf()) continue;
        EXPECT_FALSE(widget->toolTip().isEmpty()) << name;
    }
    EXPECT_EQ(Find("CmdUp")->accessibleName(), "Scroll up");
    EXPECT_EQ(Find("CmdUp")->toolTip(), "Scroll up 20 tiles");
    EXPECT_TRUE(Find("TxtX")->toolTip().startsWith("Column of the tile under the pointer"));
    EXPECT_EQ(Find<QPushButton>("CmdUp")->text(), "/\\") << "captions stay as they are";
}

// Every pixel of the canvas is the same whole number of device pixels, and the pointer reads
// out the tile drawn under it.
TEST_F(WindowLookTest, CellsAreCrispAndThePointerFindsTheTileDrawnUnderIt) {
    EXPECT_EQ(Client()->size(), QSize(1016, 689)) << "just the whole map area, at any scale";
    const qreal ratio = Buf()->devicePixelRatioF();
    ASSERT_EQ(ratio, std::round(ratio)) << "a whole scale factor";
    const auto scale = static_cast<int>(ratio);

    testing::TempDir dir;
    auto bytes = mapgen::MakeMap({.width = 150, .height = 90, .seed = 11});
    for (int i = 0; i < 150 * 90; ++i) {
        bytes[kHeaderSize + kRecordSize * i + mapgen::kDirAt] %= 6;  // the coloured codes and greys
    }
    LoadFile(testing::WriteMapFile(dir, "scaled.map", bytes));
    Click("CmdDrawDir");  // every cell in the colour of its own mark
    const QImage shown = Buf()->grab().toImage();
    const QRect inner = Buf()->contentsRect();
    const Canvas& canvas = window->MapCanvas();
    for (int y = 0; y < canvas.Height(); y += 3) {
        for (int x = 0; x < canvas.Width(); ++x) {
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const QPoint device((inner.left() + x) * scale + dx,
                                        (inner.top() + y) * scale + dy);
                    ASSERT_EQ(shown.pixel(device), canvas.PixelAt(x, y))
                        << "canvas pixel " << x << "," << y << " at scale " << scale;
                }
            }
        }
    }
    for (const QPointF at : {QPointF(3.5, 2.5), QPointF(500.25, 301.75), QPointF(899.5, 539.5)}) {
        Mouse(QEvent::MouseMove, OnBuf(at.x(), at.y()), Qt::NoButton, Qt::NoButton);
        const int col = Text("TxtX").toInt();
        const int row = Text("TxtY").toInt();
        const auto direction = window->Model().DirLayer[window->Model().TileIndex(col, row)];
        const QPoint device(static_cast<int>((inner.left() + at.x()) * scale),
                            static_cast<int>((inner.top() + at.y()) * scale));
        EXPECT_EQ(shown.pixel(device), ToPixel(DirColour(direction)))
            << "pointer at " << at.x() << "," << at.y() << " reads tile " << col << "," << row;
    }
}

}  // namespace
}  // namespace quarl

// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QtTest/QTest>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "WindowSupport.h"
#include "document/MapFile.h"
#include "support/MapFiles.h"
#include "ui/Quarl.h"
#include "ui/Startup.h"
#include "ui/accessible/ChangedCells.h"
#include "ui/accessible/Factory.h"
#include "view/Colours.h"
#include "view/Viewport.h"

namespace quarl {
namespace {

using mapgen::MakeMap;
using testing::TempDir;
using testing::WindowFixture;
using testing::WriteMapFile;

const char* const kModeButtons[] = {"CmdDrawType",   "CmdDrawHeight", "CmdDrawObject",
                                    "CmdDrawUsable", "CmdDrawDir",    "CmdEditView",
                                    "CmdDrawLight"};
const char* const kTextBoxes[] = {"TxtValue", "TxtEdit", "TxtX", "TxtY", "TxtDir", "TxtEditDir"};

class QuarlTest : public ::testing::Test, public WindowFixture {
  protected:
    bool ModeButtonsEnabled(bool enabled) const {
        for (const char* name : kModeButtons) {
            if (Find<QPushButton>(name)->isEnabled() != enabled) return false;
        }
        return true;
    }
    // Loads a map whose every tile has the given type and direction.
    std::string LoadUniform(std::int16_t w, std::int16_t h, std::uint8_t type, std::uint8_t dir) {
        auto bytes = MakeMap({.width = w, .height = h, .pattern = mapgen::Pattern::Zero});
        for (int i = 0; i < w * h; ++i) {
            bytes[kHeaderSize + kRecordSize * i + mapgen::kTypeAt] = type;
            bytes[kHeaderSize + kRecordSize * i + mapgen::kDirAt] = dir;
        }
        auto path = WriteMapFile(dir_, "uniform.map", bytes);
        LoadFile(path);
        return path;
    }
    Pixel CanvasAt(int x, int y) const { return window->MapCanvas().PixelAt(x, y); }

    TempDir dir_;
};

TEST_F(QuarlTest, StartsUpEmpty) {
    EXPECT_EQ(window->windowTitle(), "Quarl editor");
    for (const char* name : kTextBoxes) EXPECT_EQ(Text(name), "0") << name;
    EXPECT_EQ(Text("TxtStatus"), "");
    EXPECT_EQ(Find<QComboBox>("EDITBOX")->currentText(), "GOLD");
    EXPECT_EQ(Find<QComboBox>("SIZEBOX")->currentText(), "1 X 1");
    EXPECT_EQ(Find<QComboBox>("SIZEBOX")->count(), 7);
    EXPECT_FALSE(Find<QComboBox>("EDITBOX")->isEditable());
    EXPECT_FALSE(Find<QComboBox>("SIZEBOX")->isEditable());
    EXPECT_TRUE(ModeButtonsEnabled(false));
    EXPECT_EQ(Find<QPushButton>("CmdUp")->text(), "/\\");
    EXPECT_EQ(Find<QPushButton>("CmdDown")->text(), "\\/");
    EXPECT_EQ(Find<QPushButton>("CmdDrawObject")->text(), "Draw Objects");
    EXPECT_EQ(window->Model().Zoom, 1);
    EXPECT_EQ(window->Model().ScrollX, 1);
    EXPECT_EQ(window->Model().EditTileTable[1].InnerCornerType, 184);
    // The Ore box lists the resource table's ores, in its order.
    const auto* ores = Find<QComboBox>("EDITBOX");
    ASSERT_EQ(ores->count(), static_cast<int>(kOres.size()));
    for (int i = 0; i < ores->count(); ++i) {
        EXPECT_EQ(ores->itemText(i), kOres[static_cast<std::size_t>(i)].Name);
        EXPECT_EQ(window->Model().EditTileTable[static_cast<std::size_t>(i)],
                  kOres[static_cast<std::size_t>(i)].Tiles);
    }
    EXPECT_EQ(CanvasAt(500, 300), Canvas::kBackground);
}

TEST_F(QuarlTest, ControlsSitAtTheirPixelPositions) {
    EXPECT_EQ(Find("CmdDrawType")->geometry(), QRect(0, 24, 41, 33));
    EXPECT_EQ(Find("CmdEditView")->geometry(), QRect(632, 24, 81, 33));
    EXPECT_EQ(Find("CmdDown")->geometry(), QRect(224, 56, 17, 17));
    EXPECT_EQ(Find("TxtEditDir")->geometry(), QRect(456, 58, 33, 19));
    EXPECT_EQ(Find("SIZEBOX")->geometry(), QRect(720, 56, 105, 21));
    // The frame around "Edit Value": its four sides, nothing inside.
    const QImage client = window->centralWidget()->grab().toImage();
    const QColor line = window->centralWidget()->palette().color(QPalette::WindowText);
    for (const QPoint at : {QPoint(416, 40), QPoint(520, 40), QPoint(460, 24), QPoint(460, 56)}) {
        EXPECT_EQ(client.pixelColor(at), line) << at.x() << "," << at.y();
    }
    EXPECT_NE(client.pixelColor(417, 25), line);
    EXPECT_EQ(Buf()->geometry(), QRect(8, 88, 1008, 601));
    EXPECT_EQ(Buf()->contentsRect().size(), QSize(kCanvasWidth, kCanvasHeight));
    EXPECT_EQ(window->MapCanvas().Width(), 1004);
    EXPECT_EQ(window->centralWidget()->size(), QSize(1016, 689));
}

TEST_F(QuarlTest, EveryTextBoxCanBeClickedEverywhere) {
    QWidget* client = window->centralWidget();
    for (const char* name : kTextBoxes) {
        QLineEdit* box = Find<QLineEdit>(name);
        const QRect area = box->geometry();
        for (int x = area.left(); x <= area.right(); x += 4) {
            for (const int y : {area.top(), area.center().y(), area.bottom()}) {
                QWidget* hit = client->childAt(x, y);
                ASSERT_TRUE(hit == box || box->isAncestorOf(hit))
                    << name << " at " << x << "," << y;
            }
        }
        QTest::mouseClick(client->childAt(area.left() + 1, area.center().y()), Qt::LeftButton,
                          Qt::NoModifier, QPoint(1, area.height() / 2));
        EXPECT_EQ(window->focusWidget(), box) << name;
    }
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "Value:");
}

TEST_F(QuarlTest, StatusLineFollowsTheWindowWidth) {
    const QRect buf = Buf()->geometry();
    window->resize(window->width() + 100, window->height());
    QApplication::processEvents();
    EXPECT_EQ(Find("TxtStatus")->width(), window->frameGeometry().width() - 7);
    EXPECT_EQ(Buf()->geometry(), buf);
    EXPECT_EQ(Find("CmdDrawType")->geometry(), QRect(0, 24, 41, 33));
}

TEST_F(QuarlTest, LoadSaveAndClearThroughTheMenus) {
    const auto path = LoadUniform(2, 3, 1, 0);
    EXPECT_EQ(Text("TxtStatus"), "Filesize: 146  Mapsize: 2 X 3");
    EXPECT_TRUE(ModeButtonsEnabled(true));
    EXPECT_EQ(CanvasAt(5, 5), Canvas::kBackground) << "loading draws nothing";

    // A cancelled dialog changes nothing; the map still saves into its file.
    Trigger("LoadMap");
    EXPECT_TRUE(ModeButtonsEnabled(true));
    Trigger("ClearMap");
    EXPECT_EQ(Text("TxtStatus"), "Filesize: 146  Mapsize: 2 X 3");
    Trigger("SaveMap");
    EXPECT_EQ(Text("TxtStatus"), "Saved map as: uniform.map");
    EXPECT_EQ(mapgen::ReadBytes(path)[kHeaderSize + mapgen::kLightAt], 16);
    EXPECT_TRUE(fake->messages.empty());

    // A failed load: message, disabled buttons, status kept.
    LoadFile(WriteMapFile(dir_, "bad.map", MakeMap({.width = 200, .height = 200, .records = 1})));
    ASSERT_EQ(fake->messages.size(), 1u);
    EXPECT_EQ(fake->messages[0].title, "Quarl editor");
    EXPECT_EQ(fake->messages[0].text, "Error loading map");
    EXPECT_TRUE(ModeButtonsEnabled(false));
    EXPECT_EQ(Text("TxtStatus"), "Saved map as: uniform.map");

    std::filesystem::remove(path);
    Trigger("SaveMap");
    ASSERT_EQ(fake->messages.size(), 2u);
    EXPECT_EQ(fake->messages[1].text, "Error saving map");
    EXPECT_EQ(Text("TxtStatus"), "Saved map as: uniform.map");

    Trigger("About");
    ASSERT_EQ(fake->messages.size(), 3u);
    EXPECT_TRUE(fake->messages[2].text.contains("Quarl editor " QUARL_VERSION));
    EXPECT_TRUE(fake->messages[2].text.contains("the Quarl editor developers"));
}

TEST_F(QuarlTest, SaveBeforeAnyLoadDoesNothing) {
    Trigger("SaveMap");
    Trigger("ClearMap");
    EXPECT_EQ(Text("TxtStatus"), "");
    EXPECT_TRUE(fake->messages.empty());
}

TEST_F(QuarlTest, ModeButtonsRepaintInTheirColours) {
    LoadUniform(2, 3, 1, 1);
    Click("CmdDrawType");
    EXPECT_EQ(window->Model().ViewMode, ViewModeValue::DrawType);
    EXPECT_EQ(CanvasAt(0, 0), 0xFF640000u) << "type 1: red 100";
    const int cellWidth = 994 / 2, cellHeight = 587 / 3;
    EXPECT_EQ(CanvasAt(cellWidth / 2, cellHeight / 2), 0xFF0000FFu) << "direction 1: blue";
    EXPECT_EQ(CanvasAt(1000, 590), Canvas::kBackground);

    Click("CmdDrawHeight");
    EXPECT_EQ(CanvasAt(0, 0), 0xFF000000u) << "height 0: black";
    Click("CmdDrawLight");
    EXPECT_EQ(window->Model().ViewMode, ViewModeValue::DrawLight);

    // Clear Map repaints nothing; the next mode button does.
    Trigger("ClearMap");
    EXPECT_EQ(CanvasAt(0, 0), 0xFF000000u);
    Click("CmdDrawLight");
    EXPECT_EQ(CanvasAt(0, 0), ToPixel(Rgb(96, 96, 96)));
}

TEST_F(QuarlTest, ScrollAndZoomRepaintOnlyWhenTheyAct) {
    LoadUniform(64, 21, 2, 0);
    Click("CmdDrawType");
    Trigger("ClearMap");  // type 0 now, not yet shown
    const Pixel shown = CanvasAt(0, 0);
    EXPECT_EQ(shown, ToPixel(200));

    Click("CmdLeft");
    Click("CmdUp");
    Click("CmdZoomOut");
    EXPECT_EQ(CanvasAt(0, 0), shown) << "nothing acted, nothing repainted";
    Click("CmdDown");
    EXPECT_EQ(window->Model().ScrollY, 1) << "1 is not below 21 - 20";
    EXPECT_EQ(CanvasAt(0, 0), shown);

    Click("CmdRight");
    EXPECT_EQ(window->Model().ScrollX, 21);
    EXPECT_EQ(CanvasAt(0, 0), 0xFF000000u);
    for (int i = 0; i < 5; ++i) Click("CmdZoomIn");
    EXPECT_EQ(window->Model().Zoom, 16);
}

TEST_F(QuarlTest, ZoomBeforeAnyMapDoesNotFail) {
    Click("CmdZoomIn");
    Click("CmdZoomIn");
    EXPECT_EQ(window->Model().Zoom, 4);
    EXPECT_EQ(CanvasAt(10, 10), Canvas::kBackground);
    Mouse(QEvent::MouseMove, OnBuf(10, 10), Qt::NoButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, OnBuf(10, 10), Qt::LeftButton, Qt::LeftButton);
    QTest::keyClick(Buf(), Qt::Key_Space);
    EXPECT_EQ(Text("TxtX"), "0");
}

TEST_F(QuarlTest, PointerReadoutPickBrushAndSpaceOnTheMapArea) {
    LoadUniform(100, 50, 3, 2);  // cells of 9 x 11
    Click("CmdDrawType");
    Mouse(QEvent::MouseMove, OnBuf(9 * 4 + 2, 11 * 2 + 3), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(Text("TxtX"), "5");
    EXPECT_EQ(Text("TxtY"), "3");
    EXPECT_EQ(Text("TxtDir"), "2");
    EXPECT_EQ(Text("TxtValue"), "3");
    EXPECT_EQ(window->focusWidget(), Buf());
    // Qt sends moves that move nothing when a menu or window opens: the focus stays.
    Find("TxtEdit")->setFocus();
    Mouse(QEvent::MouseMove, OnBuf(9 * 4 + 2, 11 * 2 + 3), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->focusWidget(), Find("TxtEdit"));
    // A drag out of the map, and back: Qt may deliver the leave only once the pointer is back,
    // then an enter and the move that brought the pointer, at one place. The enter shows the
    // tile; the move takes the focus.
    Mouse(QEvent::MouseMove, QPointF(-20, -20), Qt::NoButton, Qt::RightButton);
    Find("TxtEdit")->setFocus();
    const QPointF back = OnBuf(9 * 6 + 2, 11 * 2 + 3);
    QCursor::setPos(Buf()->mapToGlobal(back.toPoint()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Buf(), &leave);
    QEnterEvent enter(back, back, Buf()->mapToGlobal(back));
    QApplication::sendEvent(Buf(), &enter);
    EXPECT_EQ(Text("TxtX"), "7");
    EXPECT_EQ(window->focusWidget(), Find("TxtEdit"));
    Mouse(QEvent::MouseMove, back, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->focusWidget(), Buf());
    // The leave may come once the pointer is back on another tile, with no enter after it: the
    // readout follows the pointer there all the same, and the focus stays.
    Find("TxtEdit")->setFocus();
    const QPointF late = OnBuf(9 * 8 + 2, 11 * 4 + 3);
    QCursor::setPos(Buf()->mapToGlobal(late.toPoint()));
    QEvent lateLeave(QEvent::Leave);
    QApplication::sendEvent(Buf(), &lateLeave);
    EXPECT_EQ(std::make_pair(Text("TxtX"), Text("TxtY")),
              std::make_pair(QString("9"), QString("5")));
    EXPECT_EQ(window->focusWidget(), Find("TxtEdit"));

    Mouse(QEvent::MouseButtonPress, OnBuf(1, 1), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(Text("TxtEdit"), "3");

    // A 2 x 2 stroke of 9, then a drag into the next column.
    SetText("TxtEdit", "9");
    Find<QComboBox>("SIZEBOX")->setCurrentIndex(1);
    Mouse(QEvent::MouseButtonPress, OnBuf(1, 1), Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, OnBuf(9 * 2 + 1, 1), Qt::NoButton, Qt::LeftButton);
    const Types& model = window->Model();
    EXPECT_EQ(model.TypeLayer[model.TileIndex(1, 1)], 9);
    EXPECT_EQ(model.TypeLayer[model.TileIndex(4, 2)], 9);
    EXPECT_EQ(model.TypeLayer[model.TileIndex(5, 2)], 3);
    EXPECT_EQ(CanvasAt(1, 1), ToPixel(900));

    // Space and Shift+Space set the direction of the readout tile.
    SetText("TxtEditDir", "1");
    SetText("TxtX", "7");
    SetText("TxtY", "8");
    QTest::keyClick(Buf(), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(model.DirLayer[model.TileIndex(7, 8)], 1);
    EXPECT_EQ(CanvasAt(6 * 9 + 4, 7 * 11 + 5), 0xFF0000FFu);
    SetText("TxtEditDir", "0");
    QTest::keyClick(Buf(), Qt::Key_Space);
    EXPECT_EQ(model.DirLayer[model.TileIndex(7, 8)], 0);
    QTest::keyClick(Buf(), Qt::Key_A);
    EXPECT_EQ(model.DirLayer[model.TileIndex(7, 8)], 0);

    // The view changed under a resting pointer: back on the same pixel, the readout names the
    // tile now under it, and Space sets that tile.
    Mouse(QEvent::MouseMove, OnBuf(9 * 4 + 2, 11 * 2 + 3), Qt::NoButton, Qt::NoButton);
    Click("CmdRight");
    Mouse(QEvent::MouseMove, OnBuf(9 * 4 + 2, 11 * 2 + 3), Qt::NoButton, Qt::NoButton);
    SetText("TxtEditDir", "3");
    QTest::keyClick(Buf(), Qt::Key_Space);
    EXPECT_EQ(model.DirLayer[model.TileIndex(25, 3)], 3);
    EXPECT_EQ(model.DirLayer[model.TileIndex(5, 3)], 2);
}

// What every platform's accessibility bridge reads: the map as a table of the tiles on show,
// named tiles, the combo boxes by what they choose.
TEST_F(QuarlTest, TheMapIsATableForScreenReaders) {
    QAccessibleInterface* map = QAccessible::queryAccessibleInterface(Buf());
    ASSERT_NE(map->tableInterface(), nullptr);
    EXPECT_EQ(map->role(), QAccessible::Table);
    EXPECT_EQ(map->tableInterface()->rowCount(), 0) << "no map yet";
    LoadUniform(100, 50, 3, 2);
    Click("CmdDrawType");
    EXPECT_EQ(map->tableInterface()->rowCount(), 50);
    EXPECT_EQ(map->tableInterface()->columnCount(), 100);
    EXPECT_TRUE(map->text(QAccessible::Description).startsWith("Draw Type"));
    QAccessibleInterface* cell = map->tableInterface()->cellAt(2, 4);
    EXPECT_EQ(cell->text(QAccessible::Name), "column 5, row 3, type 3, direction 2");
    EXPECT_EQ(map->indexOfChild(cell), 2 * 100 + 4);
    EXPECT_EQ(map->child(2 * 100 + 4), cell) << "made once, then found again";
    EXPECT_EQ(map->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    EXPECT_EQ(map->child(50 * 100), nullptr) << "past the last cell";
    EXPECT_EQ(Buf()->focusPolicy(), Qt::StrongFocus) << "Tab reaches the map";

    // The map taking the focus makes the tile of Column and Row current, when it is on show.
    Click("CmdZoomIn");
    window->activateWindow();  // focus changes reach only the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const TileSpan span = Buf()->TilesOnShow();
    ASSERT_LT(span.cols, 100);
    auto enterAt = [&](int col, int row = 2) {
        SetText("TxtX", QString::number(col));
        SetText("TxtY", QString::number(row));
        Find("TxtEdit")->setFocus();
        Buf()->setFocus();
        return Buf()->CurrentTile();
    };
    const TilePos before = Buf()->CurrentTile();
    EXPECT_EQ(enterAt(span.firstCol + span.cols), before) << "one column past the last on show";
    EXPECT_EQ(enterAt(span.firstCol + span.cols - 1),
              (TilePos{static_cast<std::int16_t>(span.cols), 2}));
    EXPECT_EQ(map->focusChild(), map->tableInterface()->cellAt(1, span.cols - 1));
    const TilePos first{static_cast<std::int16_t>(span.firstCol),
                        static_cast<std::int16_t>(span.firstRow)};
    EXPECT_EQ(enterAt(first.col, first.row), first) << "the first tile on show";
    for (const char* box : {"EDITBOX", "SIZEBOX"}) {
        QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(Find(box));
        EXPECT_EQ(combo->text(QAccessible::Name), Find(box)->accessibleName());
        EXPECT_EQ(combo->text(QAccessible::Value), Find<QComboBox>(box)->currentText());
        // Read from any offset, and placed where the words stand, nowhere past them.
        const QString words = Find<QComboBox>(box)->currentText();
        const auto count = static_cast<int>(words.size());
        QAccessibleTextInterface* text = combo->textInterface();
        EXPECT_EQ(text->text(2, count), words.mid(2));
        EXPECT_FALSE(text->characterRect(count - 1).isEmpty());
        EXPECT_TRUE(text->characterRect(count).isEmpty());
        EXPECT_TRUE(text->characterRect(-1).isEmpty());
    }
    // The open list keeps the item moved to; closed, it has the choice selected again, and no
    // item current.
    auto* sizes = Find<QComboBox>("SIZEBOX");
    QAbstractItemView* list = sizes->view();
    sizes->showPopup();
    list->setCurrentIndex(sizes->model()->index(3, 0));
    QEvent update(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(list, &update);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->currentIndex().row(), 3) << "moved to in the open list";
    sizes->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->currentIndex().isValid());
    EXPECT_EQ(list->selectionModel()->selectedIndexes(),
              QModelIndexList{sizes->model()->index(sizes->currentIndex(), 0)});
    // A text box's characters are placed left to right inside the box.
    SetText("TxtEdit", "123");
    QAccessibleTextInterface* edit =
        QAccessible::queryAccessibleInterface(Find("TxtEdit"))->textInterface();
    const QRect box(Find("TxtEdit")->mapToGlobal(QPoint(0, 0)), Find("TxtEdit")->size());
    EXPECT_LT(edit->characterRect(0).left(), edit->characterRect(1).left());
    EXPECT_TRUE(box.contains(edit->characterRect(0)) && box.contains(edit->characterRect(2)));
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // The status line's notice, which only a screen reader hears, is never on screen.
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(Find("TxtStatus"));
    int notices = 0;
    for (int i = 0; i < status->childCount(); ++i) {
        if (status->child(i)->role() != QAccessible::Notification) continue;
        ++notices;
        EXPECT_TRUE(status->child(i)->state().invisible);
    }
    EXPECT_EQ(notices, 1);
#endif
    EXPECT_EQ(map->tableInterface()->selectedCellCount(),
              map->tableInterface()->selectedCells().size())
        << "as many selected cells as listed: none";

    // A screen reader's press on a cell: the pointer moved there and the left button pressed.
    SetText("TxtEdit", "9");
    Find("TxtEdit")->setFocus();
    QAccessibleInterface* pressed = map->tableInterface()->cellAt(3, 1);
    ASSERT_NE(pressed->actionInterface(), nullptr);
    EXPECT_EQ(pressed->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::pressAction()});
    // Refused while a dialog waits for an answer; run after the reader's call has returned.
    const Types& model = window->Model();
    {
        QDialog modal(window.get());
        modal.setModal(true);
        modal.show();
        pressed->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
        EXPECT_EQ(model.TypeLayer[model.TileIndex(2, 4)], 3) << "pressed with a dialog open";
    }
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    pressed->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model.TypeLayer[model.TileIndex(2, 4)], 3) << "pressed inside the reader's call";
    QCoreApplication::processEvents();
    EXPECT_EQ(model.TypeLayer[model.TileIndex(2, 4)], 9);
    EXPECT_EQ(Text("TxtValue"), "3") << "read before the stroke";
    EXPECT_EQ(map->focusChild(), pressed) << "the pressed cell is the current one";

    // In a window smaller than the map area, a cell cut by the window's edge is read as the part
    // within the window; one beyond it is off screen.
    const int full = pressed->rect().width();
    window->resize(600, 400);
    QCoreApplication::processEvents();
    const QRect client(window->centralWidget()->mapToGlobal(QPoint(0, 0)),
                       window->centralWidget()->size());
    int cut = 0;
    for (int column = 0; column < span.cols; ++column) {
        QAccessibleInterface* shown = map->tableInterface()->cellAt(0, column);
        const QRect rect = shown->rect();
        EXPECT_EQ(shown->state().offscreen, rect.isEmpty()) << column;
        EXPECT_TRUE(rect.isEmpty() || client.contains(rect)) << column;
        cut += !rect.isEmpty() && rect.width() < full ? 1 : 0;
    }
    EXPECT_EQ(cut, 1) << "one cell cut by the window's right edge";
    EXPECT_TRUE(map->tableInterface()->cellAt(0, span.cols - 1)->state().offscreen);
}

// What a reader's cache is told of the cells a change wrote, in one pass of the event loop: the
// cells on show among them, each once and in order; the table afresh past the bound.
TEST(ChangedCellsTest, EachCellOnceAndTheTableAfreshPastTheBound) {
    const TileSpan shown{11, 21, 600, 20};  // columns 11 to 610, rows 21 to 40
    const int bound = static_cast<int>(ui::ChangedCells::kBound);
    const TileSpan wide{11, 21, bound / 2, 1};
    std::vector<int> firstCells(static_cast<std::size_t>(bound / 2));
    std::iota(firstCells.begin(), firstCells.end(), 0);
    struct Row {
        const char* what;
        std::vector<TileSpan> added;
        bool all;
        std::vector<int> cells;
    };
    const Row rows[] = {
        {"nothing", {}, false, {}},
        {"a 2 x 2 stroke and the next one, overlapping",
         {{12, 21, 2, 2}, {13, 21, 2, 2}},
         false,
         {1, 2, 3, 601, 602, 603}},
        {"cut at the edges of the tiles on show", {{9, 40, 3, 3}}, false, {19 * 600}},
        {"off show", {{1, 1, 10, 20}, {611, 21, 5, 5}}, false, {}},
        {"the same cells again, up to the bound", {wide, wide, wide}, false, firstCells},
        {"more distinct cells than the bound", {wide, {11, 22, bound / 2 + 1, 1}}, true, {}},
        {"one change past the bound", {{11, 21, 30, 18}}, true, {}},
    };
    for (const Row& row : rows) {
        ui::ChangedCells changed;
        for (const TileSpan& span : row.added) changed.Add(span, shown);
        const ui::ChangedCells::Told told = changed.Take();
        EXPECT_EQ(told.all, row.all) << row.what;
        EXPECT_EQ(told.cells, row.cells) << row.what;
        EXPECT_TRUE(changed.IsEmpty()) << row.what << ": nothing left once told";
    }
    ui::ChangedCells cleared;
    cleared.Add({12, 21, 2, 2}, shown);
    cleared.AddAll();
    cleared.Add({12, 21, 2, 2}, shown);
    EXPECT_TRUE(cleared.Take().all) << "Clear Map";
}

// The window opens at its own size where the screen holds it, maximized where it does not.
TEST_F(QuarlTest, TheWindowOpensMaximizedOnlyWhereTheScreenCannotHoldIt) {
    const QSize size = window->size();
    for (const auto& [available, maximized] :
         {std::pair{size, false}, std::pair{size + QSize(300, 200), false},
          std::pair{size - QSize(1, 0), true}, std::pair{size - QSize(0, 1), true}}) {
        EXPECT_EQ(ui::OpensMaximized(size, available), maximized) << available.width();
    }
    const bool expected = ui::OpensMaximized(size, window->screen()->availableGeometry().size());
    ui::ShowMainWindow(*window);
    EXPECT_EQ(window->isMaximized(), expected);
}

// The editor's own interfaces go to the editor's controls alone: a box of another window, as the
// open dialog's file name box is, keeps Qt's.
TEST_F(QuarlTest, TheEditorsReaderInterfacesForItsOwnControlsOnly) {
    QLineEdit outsideEdit;
    QComboBox outsideBox;
    outsideBox.setAccessibleName("Files of type");
    EXPECT_EQ(ui::AccessibleFactory("QLineEdit", &outsideEdit), nullptr);
    EXPECT_EQ(ui::AccessibleFactory("QComboBox", &outsideBox), nullptr);
    for (const char* name : {"TxtEdit", "SIZEBOX"}) {
        QAccessibleInterface* inside = ui::AccessibleFactory("", Find(name));
        ASSERT_NE(inside, nullptr) << name;
        QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(inside));
    }
}

}  // namespace
}  // namespace quarl

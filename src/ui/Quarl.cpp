// SPDX-License-Identifier: MIT
#include "ui/Quarl.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QLineEdit>
#include <QMenuBar>
#include <QResizeEvent>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "document/MapFile.h"
#include "ui/CaptionButton.h"
#include "ui/Layout.h"
#include "ui/MapArea.h"
#include "ui/Startup.h"
#include "ui/accessible/ComboBoxes.h"
#include "ui/accessible/Factory.h"
#include "ui/accessible/Speech.h"
#include "view/RedrawMap.h"
#include "view/Viewport.h"

namespace quarl::ui {

namespace {

std::string ToStd(const QString& text) {
    return text.toStdString();
}

}  // namespace

Quarl::Quarl(std::unique_ptr<WindowDialogs> dialogs, std::unique_ptr<RandomSource> random)
    : canvas_(kCanvasWidth, kCanvasHeight),
      dialogs_(std::move(dialogs)),
      random_(std::move(random)) {
    QAccessible::installFactory(&AccessibleFactory);
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(EditorIcon());
    auto* client = new ClientArea(this);
    setCentralWidget(client);
    BuildControls(client);
    BuildMenus();

    StartUp(model_);
    EDITBOX->setCurrentIndex(0);
    SIZEBOX->setCurrentIndex(0);
    // The menu bar takes the height it needs at this width, which on some styles is more than
    // its size hint says.
    resize(kClientWidth, kClientHeight + menuBar()->heightForWidth(kClientWidth));
}

Quarl::~Quarl() = default;

void Quarl::BuildControls(QWidget* client) {
    client->setFont(ControlFont());
    TxtStatus = Describe(Place(new QLineEdit(client), "TxtStatus", 0, 0, 10935, 285), "Status",
                         "What the last file command did");

    for (std::size_t i = 0; i < std::size(kModeButtons); ++i) {
        const auto& layout = kModeButtons[i];
        auto* button = Place(new CaptionButton(QString::fromLatin1(layout.caption), client),
                             layout.name, layout.left, layout.top, layout.width, 495);
        if (layout.viewMode != ViewModeValue::EditView) button->setFont(SerifFont(6.75));
        Describe(button, layout.caption, layout.tip);
        button->setEnabled(false);
        connect(button, &QPushButton::clicked, this,
                [this, mode = layout.viewMode] { ModeButton(mode); });
        modeButtons_[i] = button;
    }

    auto viewButton = [&](const char* name, const char* caption, int left, int top,
                          bool (*action)(Types&), const char* accessible, const char* tip) {
        auto* button = Describe(Place(new CaptionButton(QString::fromLatin1(caption), client), name,
                                      left, top, 255, 255),
                                accessible, tip);
        connect(button, &QPushButton::clicked, this, [this, action] { ViewButton(action); });
        return button;
    };
    viewButton("CmdUp", "/\\", 3360, 360, &ScrollUp, "Scroll up", "Scroll up 20 tiles")
        ->setFont(SerifFont(6));
    viewButton("CmdLeft", "<", 3120, 600, &ScrollLeft, "Scroll left", "Scroll left 20 tiles");
    viewButton("CmdRight", ">", 3600, 600, &ScrollRight, "Scroll right", "Scroll right 20 tiles");
    viewButton("CmdDown", "\\/", 3360, 840, &ScrollDown, "Scroll down", "Scroll down 20 tiles")
        ->setFont(SerifFont(6));
    viewButton("CmdZoomIn", "+", 4320, 360, &ZoomIn, "Zoom in", "Zoom in");
    viewButton("CmdZoomOut", "-", 4320, 600, &ZoomOut, "Zoom out", "Zoom out");

    TxtValue = TextBox(client, "TxtValue", 5520, 480, "Value",
                       "Value of the tile under the pointer in the layer on show");
    TxtEdit = TextBox(client, "TxtEdit", 7200, 480, "Edit value",
                      "Value the left button paints; the right button picks it from the map");
    TxtX = TextBox(client, "TxtX", 7920, 480, "Column",
                   "Column of the tile under the pointer; Space sets this tile's direction");
    TxtY = TextBox(client, "TxtY", 8760, 480, "Row",
                   "Row of the tile under the pointer; Space sets this tile's direction");
    TxtDir = TextBox(client, "TxtDir", 5520, 870, "Direction",
                     "Direction of the tile under the pointer");
    TxtEditDir = TextBox(client, "TxtEditDir", 6840, 870, "Edit direction",
                         "Direction that Space gives the tile in the column and row boxes");

    // Created after the text boxes and then lowered beneath everything.
    Label(client, "Label1", "Value:", 5040, 510, 735, TxtValue);
    Label(client, "Label2", "Edit Value", 6360, 510, 855, TxtEdit);
    Label(client, "Label3", "dir", 5040, 930, 735, TxtDir);
    Label(client, "Label4", "Editdir", 6360, 930, 735, TxtEditDir);

    // Choosing from the list only: no typed text.
    EDITBOX = Describe(Place(new QComboBox(client), "EDITBOX", 10800, 480, 1215, 315), "Ore",
                       "Ore to place in Edit View");
    for (const Ore& ore : kOres) EDITBOX->addItem(QString::fromLatin1(ore.Name));
    SIZEBOX = Describe(Place(new QComboBox(client), "SIZEBOX", 10800, 840, 1575, 315), "Brush size",
                       "Brush size");
    for (int n = 1; n <= 7; ++n) SIZEBOX->addItem(QStringLiteral("%1 X %1").arg(n));
    for (QComboBox* box : {EDITBOX, SIZEBOX}) KeepChoiceSelected(box);

    // No tooltip: it would cover the map while the map maker paints.
    BUF = Describe(Place(new MapArea(canvas_, model_, client), "BUF", 120, 1320, 15120, 9015),
                   "Map", nullptr);
    BUF->setAccessibleDescription(QStringLiteral(
        "One cell per tile: the left button paints, the right button picks a value, Space sets "
        "the direction of the tile in the Column and Row boxes"));
    connect(BUF, &MapArea::Pressed, this, &Quarl::MapPressed);
    connect(BUF, &MapArea::TilePressed, this, &Quarl::CellPressed);
    connect(BUF, &MapArea::Moved, this, &Quarl::MapMoved);
    connect(BUF, &MapArea::Entered, this, &Quarl::MapEntered);
    connect(BUF, &MapArea::KeyPressed, this, &Quarl::MapKey);
    connect(BUF, &MapArea::FocusEntered, this, &Quarl::MapFocused);
}

void Quarl::BuildMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       void (Quarl::*command)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, command);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    item(file, "LoadMap", "Load Map", &Quarl::LoadMap);
    item(file, "SaveMap", "Save Map", &Quarl::SaveMap);
    item(menuBar()->addMenu(QStringLiteral("Options")), "ClearMap", "Clear Map", &Quarl::ClearMap);
    item(menuBar()->addMenu(QStringLiteral("Help")), "About", "About", &Quarl::About);
}

void Quarl::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    TxtStatus->resize(std::max(0, frameGeometry().width() - 7), TxtStatus->height());
}

void Quarl::SetModeButtonsEnabled(bool enabled) {
    for (QPushButton* button : modeButtons_) button->setEnabled(enabled);
}

void Quarl::ShowFileResult(const FileCommandResult& result) {
    if (result.status) {
        TxtStatus->setText(QString::fromStdString(*result.status));
        TellStatus(TxtStatus);
    }
    if (result.buttons != ModeButtons::Keep) {
        SetModeButtonsEnabled(result.buttons == ModeButtons::Enable);
    }
    if (result.error) {
        dialogs_->ShowMessage(this, QString::fromLatin1(kCaption),
                              QString::fromStdString(*result.error));
    }
}

void Quarl::LoadMap() {
    const QString path = dialogs_->ChooseMapFile(this);
    ShowFileResult(
        quarl::LoadMap(model_, path.toStdString(), QFileInfo(path).fileName().toStdString()));
    BUF->ViewChanged();
}

void Quarl::SaveMap() {
    ShowFileResult(quarl::SaveMap(model_));
}

// The picture keeps the old map until a repaint; a screen reader reads the new words at once.
void Quarl::ClearMap() {
    quarl::ClearMap(model_);
    BUF->AllTilesChanged();
}

void Quarl::About() {
    dialogs_->ShowMessage(
        this, QStringLiteral("About Quarl editor"),
        QStringLiteral("Quarl editor %1\n\n"
                       "An editor for the tile maps of a strategy game: view the six tile "
                       "attributes of a map file, paint them, place gold and iron ore deposits "
                       "and save the map back into its file.\n\n"
                       "A save writes the whole map beside the old one and then puts it in the "
                       "old one's place, keeping the file's owner, permissions and attributes, so "
                       "that a crash, a power cut or another editor's save leaves the old map or "
                       "the new one. Where that would lose something (another link to the file, "
                       "an owner or attribute a new file cannot have, a folder you may not "
                       "write), it writes only the changed tiles into the file itself, which a "
                       "crash can leave half done.\n\n"
                       "By the Quarl editor developers.")
            .arg(QStringLiteral(QUARL_VERSION)));
}

void Quarl::ModeButton(ViewModeValue viewMode) {
    model_.ViewMode = viewMode;
    RepaintMap();
}

void Quarl::ViewButton(bool (*action)(Types&)) {
    if (action(model_)) RepaintMap();
}

void Quarl::RepaintMap() {
    RedrawMap(canvas_, model_);
    RefreshMap();
    BUF->ViewChanged();
}

Controls Quarl::ReadControls() const {
    return {ToStd(TxtEdit->text()),    ToStd(TxtX->text()),     ToStd(TxtY->text()),
            ToStd(TxtEditDir->text()), SIZEBOX->currentIndex(), EDITBOX->currentIndex()};
}

void Quarl::ShowReadout(const Readout& readout) {
    auto show = [](QLineEdit* box, const std::optional<std::string>& text) {
        if (text) box->setText(QString::fromStdString(*text));
    };
    show(TxtX, readout.TxtX);
    show(TxtY, readout.TxtY);
    show(TxtDir, readout.TxtDir);
    show(TxtValue, readout.TxtValue);
    show(TxtEdit, readout.TxtEdit);
    if (readout.Tile) BUF->SetCurrentTile(*readout.Tile);
}

void Quarl::RefreshMap() {
    BUF->Refresh(canvas_.TakeDirty());
}

void Quarl::MapPressed(int button, double x, double y) {
    EditContext context{model_, canvas_, *random_};
    const Readout readout = MouseDown(context, button, x, y, ReadControls());
    ShowReadout(readout);
    RefreshMap();
    if (readout.Changed) TellPress(*BUF, model_, *readout.Changed);
}

// As a move of the pointer onto the tile and a left press there: the readout first, so that
// the map takes the focus on that tile, then the stroke is told.
void Quarl::CellPressed(TilePos tile) {
    EditContext context{model_, canvas_, *random_};
    const Readout readout = PressTile(context, tile, ReadControls());
    ShowReadout(readout);
    BUF->setFocus();
    RefreshMap();
    if (readout.Changed) TellPress(*BUF, model_, *readout.Changed);
}

// The readout first, so that the map takes the focus on the tile under the pointer.
void Quarl::MapMoved(int buttons, double x, double y) {
    MapEntered(buttons, x, y);
    BUF->setFocus();
}

void Quarl::MapEntered(int buttons, double x, double y) {
    EditContext context{model_, canvas_, *random_};
    const Readout readout = MouseMove(context, buttons, x, y, ReadControls());
    ShowReadout(readout);
    RefreshMap();
    if (readout.Drawn) TellDrawn(*BUF, *readout.Drawn);
}

void Quarl::MapKey(int key) {
    EditContext context{model_, canvas_, *random_};
    const auto changed = KeyDown(context, key, ReadControls());
    RefreshMap();
    if (changed) TellSpace(*BUF, model_, *changed);
}

void Quarl::MapFocused() {
    BUF->EnterAt(KeyTile(model_, ReadControls()));
}

}  // namespace quarl::ui

// SPDX-License-Identifier: MIT
// The main window: every control, the menus, and the routing of their events.
#pragma once

#include <QMainWindow>
#include <array>
#include <iterator>
#include <memory>

#include "document/MapFile.h"
#include "document/Types.h"
#include "editing/Editing.h"
#include "editing/Random.h"
#include "ui/Dialogs.h"
#include "ui/Layout.h"
#include "view/Canvas.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quarl::ui {

class MapArea;

inline constexpr const char* kCaption = "Quarl editor";

class Quarl final : public QMainWindow {
    Q_OBJECT
  public:
    explicit Quarl(std::unique_ptr<WindowDialogs> dialogs = std::make_unique<QtDialogs>(),
                   std::unique_ptr<RandomSource> random = std::make_unique<DefaultRandom>());
    ~Quarl() override;

    // The client area that shows the whole map area.
    static constexpr int kClientWidth = 1016;
    static constexpr int kClientHeight = 689;

    [[nodiscard]] const Types& Model() const { return model_; }
    [[nodiscard]] const Canvas& MapCanvas() const { return canvas_; }

    void LoadMap();
    void SaveMap();
    void ClearMap();
    void About();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildControls(QWidget* client);
    void BuildMenus();
    void SetModeButtonsEnabled(bool enabled);
    void ModeButton(ViewModeValue viewMode);
    void ViewButton(bool (*action)(Types&));
    void RepaintMap();
    void ShowFileResult(const FileCommandResult& result);

    void MapPressed(int button, double x, double y);
    void CellPressed(TilePos tile);
    void MapMoved(int buttons, double x, double y);
    void MapEntered(int buttons, double x, double y);
    void MapKey(int key);
    void MapFocused();
    [[nodiscard]] Controls ReadControls() const;
    void ShowReadout(const Readout& readout);
    void RefreshMap();

    Types model_;
    Canvas canvas_;
    std::unique_ptr<WindowDialogs> dialogs_;
    std::unique_ptr<RandomSource> random_;

    QLineEdit* TxtStatus = nullptr;
    QLineEdit* TxtValue = nullptr;
    QLineEdit* TxtEdit = nullptr;
    QLineEdit* TxtX = nullptr;
    QLineEdit* TxtY = nullptr;
    QLineEdit* TxtDir = nullptr;
    QLineEdit* TxtEditDir = nullptr;
    QComboBox* EDITBOX = nullptr;
    QComboBox* SIZEBOX = nullptr;
    MapArea* BUF = nullptr;
    std::array<QPushButton*, std::size(kModeButtons)> modeButtons_{};
};

}  // namespace quarl::ui

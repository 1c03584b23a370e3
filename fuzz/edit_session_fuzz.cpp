// SPDX-License-Identifier: MIT
// A whole editing session from arbitrary bytes: a map of any size (within the limits and
// beyond them), then a script of presses, moves, keys, view and mode buttons, Clear Map and
// changes of the controls, on canvases of several sizes. After every event the model must be
// whole, an event may change only the tiles and layers it is allowed to, and what it drew
// must lie on the canvas; at the end a save, through a file system in memory that may fail it
// anywhere, may change no byte but the six of each record.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MemoryFileIo.h"
#include "RecordBytes.h"
#include "document/MapFile.h"
#include "editing/Editing.h"
#include "editing/TextNumber.h"
#include "view/RedrawMap.h"
#include "view/Viewport.h"

namespace {

using quarl::TileLayer;
using quarl::Types;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The checks walk whole layers and files: left out of the coverage that guides the fuzzer,
// which is about the editor's code, and would slow every run.
#define QUARL_NO_COVERAGE __attribute__((no_sanitize("coverage")))

// The layers, walked together in the order of the table of layers.
constexpr int kLayerCount = static_cast<int>(quarl::kLayers.size());
TileLayer& LayerAt(Types& m, int layer) {
    return m.*quarl::kLayers[static_cast<std::size_t>(layer)].Field;
}
constexpr int IndexOf(TileLayer Types::*field) {
    int layer = 0;
    while (quarl::kLayers[static_cast<std::size_t>(layer)].Field != field) ++layer;
    return layer;
}
constexpr int kDir = IndexOf(&Types::DirLayer), kObject = IndexOf(&Types::ObjectLayer);
const std::string kMapPath = "/maps/session.map";

QUARL_NO_COVERAGE void CheckWhole(Types& m) {
    Check(m.TileCount == m.MapWidth * m.MapHeight);
    if (!m.IsLoaded()) return;
    for (int l = 0; l < kLayerCount; ++l) {
        Check(LayerAt(m, l).size() == static_cast<std::size_t>(m.TileCount) + 1);
    }
}

// What an event may change: per layer, the tiles it may write.
struct Allowed {
    std::array<std::vector<bool>, quarl::kLayers.size()> tiles;
    explicit Allowed(const Types& m) {
        for (auto& layer : tiles) layer.assign(static_cast<std::size_t>(m.TileCount) + 1, false);
    }
    void Allow(const Types& m, int layer, int col, int row) {
        if (m.OnMap(col, row)) tiles[layer][static_cast<std::size_t>(m.TileIndex(col, row))] = true;
    }
};

class Session {
  public:
    Session(FuzzedDataProvider& input, int canvasWidth, int canvasHeight)
        : input_(input), canvas_(canvasWidth, canvasHeight) {
        quarl::StartUp(model_);
    }

    Types& Model() { return model_; }

    void Play() {
        while (input_.remaining_bytes() > 0) {
            std::array<TileLayer, quarl::kLayers.size()> before;
            for (int l = 0; l < kLayerCount; ++l) before[l] = LayerAt(model_, l);
            Allowed allowed(model_);
            const bool cleared = Event(allowed);
            CheckWhole(model_);
            if (cleared) {
                CheckCleared();
            } else {
                CheckChanges(before, allowed);
            }
            CheckDirty();
        }
    }

  private:
    // Plays one event; returns whether it was Clear Map.
    bool Event(Allowed& allowed) {
        quarl::EditContext context{model_, canvas_, random_};
        switch (input_.ConsumeIntegralInRange(0, 9)) {
            case 0: {
                const int button = input_.ConsumeIntegralInRange(0, 4);
                const auto [x, y] = Position();
                if (button == quarl::kLeftButton) AllowStroke(allowed, x, y, false);
                (void)quarl::MouseDown(context, button, x, y, controls_);
                break;
            }
            case 1: {
                const int buttons = input_.ConsumeIntegralInRange(0, 7);
                const auto [x, y] = Position();
                if (buttons == quarl::kLeftButton) AllowStroke(allowed, x, y, true);
                (void)quarl::MouseMove(context, buttons, x, y, controls_);
                break;
            }
            case 2: {
                const int key = input_.ConsumeBool() ? quarl::kSpaceKey
                                                     : input_.ConsumeIntegral<std::uint8_t>();
                const auto col = quarl::ReadRoundedNumber(controls_.TxtX);
                const auto row = quarl::ReadRoundedNumber(controls_.TxtY);
                if (key == quarl::kSpaceKey && col && row) allowed.Allow(model_, kDir, *col, *row);
                quarl::KeyDown(context, key, controls_);
                break;
            }
            case 3: {
                bool (*const actions[])(Types&) = {quarl::ScrollLeft, quarl::ScrollRight,
                                                   quarl::ScrollUp,   quarl::ScrollDown,
                                                   quarl::ZoomIn,     quarl::ZoomOut};
                if (actions[input_.ConsumeIntegralInRange(0, 5)](model_)) {
                    quarl::RedrawMap(canvas_, model_);
                }
                break;
            }
            case 4:
                model_.ViewMode =
                    static_cast<quarl::ViewModeValue>(input_.ConsumeIntegralInRange(1, 7));
                quarl::RedrawMap(canvas_, model_);
                break;
            case 5:
                quarl::ClearMap(model_);
                return true;
            case 6:
                SetText();
                break;
            case 7:
                controls_.SizeIndex = input_.ConsumeIntegralInRange(-1, 6);
                break;
            default:
                controls_.EditIndex =
                    input_.ConsumeIntegralInRange(-1, static_cast<int>(quarl::kOres.size()) - 1);
                break;
        }
        return false;
    }

    // Pixel positions anywhere, far outside the map area too, and between whole pixels; most
    // of them in a tile on or just beside the map, where the editing happens.
    std::pair<double, double> Position() {
        switch (input_.ConsumeIntegralInRange(0, 3)) {
            case 0:
                return {input_.ConsumeFloatingPointInRange(-1e6, 1e6),
                        input_.ConsumeFloatingPointInRange(-1e6, 1e6)};
            case 1:
                return {input_.ConsumeIntegralInRange(-40, canvas_.Width() + 40),
                        input_.ConsumeIntegralInRange(-40, canvas_.Height() + 40)};
            default:
                break;
        }
        const auto geometry = quarl::CellSize(model_, canvas_.Width(), canvas_.Height());
        const int col = input_.ConsumeIntegralInRange(
            model_.ScrollX - 1, std::max(model_.ScrollX - 1, model_.MapWidth + 1));
        const int row = input_.ConsumeIntegralInRange(
            model_.ScrollY - 1, std::max(model_.ScrollY - 1, model_.MapHeight + 1));
        const quarl::PixelRect cell = quarl::CellRect(model_, geometry, col, row);
        const double dx = input_.ConsumeFloatingPointInRange(0.0, std::max(cell.width, 1) - 0.01);
        const double dy = input_.ConsumeFloatingPointInRange(0.0, std::max(cell.height, 1) - 0.01);
        return {cell.left + dx, cell.top + dy};
    }

    void SetText() {
        static const char* const kTexts[] = {"0",   "1",  "2",   "3",     "4",   "147", "255",
                                             "256", "-1", "2.5", "3.5",   "abc", "",    " 12 ",
                                             "1e9", "40", "7.5", "32767", "-0",  "0.5"};
        std::string* const boxes[] = {&controls_.TxtEdit, &controls_.TxtX, &controls_.TxtY,
                                      &controls_.TxtEditDir};
        std::string& box = *boxes[input_.ConsumeIntegralInRange(0, 3)];
        switch (input_.ConsumeIntegralInRange(0, 3)) {
            case 0:
                box = kTexts[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kTexts) - 1)];
                break;
            case 1:  // any whole number around the range of a byte
                box = std::to_string(input_.ConsumeIntegralInRange(-20, 300));
                break;
            case 2:  // and around the range of a column or row
                box = std::to_string(input_.ConsumeIntegralInRange(-300, 33000));
                break;
            default:
                box = input_.ConsumeRandomLengthString(12);
                break;
        }
    }

    // A stroke may write the footprint of the brush in the layer of the view mode, or the
    // deposit's 3 x 3 block in Edit View: never objects, never the clicked tile's direction.
    void AllowStroke(Allowed& allowed, double x, double y, bool drag) {
        if (!model_.IsLoaded()) return;
        const auto geometry = quarl::CellSize(model_, canvas_.Width(), canvas_.Height());
        const quarl::TilePos tile = quarl::TileAt(model_, geometry, x, y);
        if (drag && tile.col == model_.LastTileX && tile.row == model_.LastTileY) return;
        const quarl::ViewModeValue mode = model_.ViewMode;
        if (mode == quarl::ViewModeValue::EditView) {
            for (int row = tile.row - 1; row <= tile.row + 1; ++row) {
                for (int col = tile.col - 1; col <= tile.col + 1; ++col) {
                    for (int layer = 0; layer < kLayerCount; ++layer) {
                        if (layer == kObject) continue;
                        if (layer == kDir && col == tile.col && row == tile.row) continue;
                        allowed.Allow(model_, layer, col, row);
                    }
                }
            }
            return;
        }
        const TileLayer* written = model_.LayerOf(mode);
        if (written == nullptr) return;
        int layer = 0;
        while (&LayerAt(model_, layer) != written) ++layer;
        const int size = controls_.SizeIndex + 1;
        for (int row = tile.row; row < tile.row + size; ++row) {
            for (int col = tile.col; col < tile.col + size; ++col) {
                allowed.Allow(model_, layer, col, row);
            }
        }
        brushValue_ = quarl::ReadByte(controls_.TxtEdit);
        brushLayer_ = layer;
    }

    QUARL_NO_COVERAGE void CheckChanges(const std::array<TileLayer, quarl::kLayers.size()>& before,
                                        const Allowed& allowed) {
        for (int l = 0; l < kLayerCount; ++l) {
            const TileLayer& now = LayerAt(model_, l);
            if (now.size() != before[l].size()) continue;  // a new map (never in a session)
            for (std::size_t i = 0; i < now.size(); ++i) {
                if (now[i] == before[l][i]) continue;
                Check(allowed.tiles[l][i]);
                // The brush writes the value of the edit box and nothing else.
                if (l == brushLayer_) {
                    Check(brushValue_ && now[i] == *brushValue_);
                }
            }
        }
        brushLayer_ = -1;
    }

    QUARL_NO_COVERAGE void CheckCleared() {
        if (!model_.IsLoaded()) return;
        for (const quarl::LayerInfo& layer : quarl::kLayers) {
            for (const std::uint8_t value : model_.*layer.Field) Check(value == layer.ClearValue);
        }
    }

    void CheckDirty() {
        const quarl::PixelRect dirty = canvas_.TakeDirty();
        if (dirty.IsEmpty()) return;
        Check(dirty.left >= 0 && dirty.top >= 0);
        Check(dirty.left + dirty.width <= canvas_.Width());
        Check(dirty.top + dirty.height <= canvas_.Height());
    }

    FuzzedDataProvider& input_;
    Types model_;
    quarl::Canvas canvas_;
    quarl::DefaultRandom random_;
    quarl::Controls controls_;
    std::optional<std::uint8_t> brushValue_;
    int brushLayer_ = -1;
};

// A header of any size, often one whose cells are 0 or 1 pixel wide or high.
std::vector<std::uint8_t> MapFile(FuzzedDataProvider& input) {
    auto size = [&input](int limit) -> std::int16_t {
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0:
                return input.ConsumeIntegral<std::int16_t>();
            case 1:  // cells of 1 pixel, or of 0: wider than the usable area
                return input.ConsumeIntegralInRange<std::int16_t>(
                    static_cast<std::int16_t>(limit / 2), static_cast<std::int16_t>(limit + 20));
            default:
                return input.ConsumeIntegralInRange<std::int16_t>(0, 70);
        }
    };
    const std::int16_t width = size(quarl::kCanvasWidth - quarl::kMargin);
    const std::int16_t height = size(quarl::kCanvasHeight - quarl::kMargin);
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(width),      static_cast<std::uint8_t>(width >> 8),
        input.ConsumeIntegral<std::uint8_t>(), input.ConsumeIntegral<std::uint8_t>(),
        static_cast<std::uint8_t>(height),     static_cast<std::uint8_t>(height >> 8),
        input.ConsumeIntegral<std::uint8_t>(), input.ConsumeIntegral<std::uint8_t>()};
    // The first records, from at most half of what is left of the input, so that the other half
    // is left for the events; the rest of the map reads as zeros, and the events change it.
    const std::size_t recordBytes =
        input.ConsumeIntegralInRange<std::size_t>(0, input.remaining_bytes() / 2);
    const auto records = input.ConsumeBytes<std::uint8_t>(recordBytes);
    bytes.insert(bytes.end(), records.begin(), records.end());
    return bytes;
}

// Saves the session's map into its file, which may change only the six bytes of a record. A
// save that failed leaves the file as it was, or, where it was writing in place, each byte the
// old or the new; nothing is left beside the map but where removing it was the fault.
QUARL_NO_COVERAGE void CheckSave(Types& model, MemoryFileIo& io,
                                 const std::vector<std::uint8_t>& loaded) {
    if (!model.IsLoaded()) return;
    const bool saved = !quarl::SaveMap(model, io).error;
    Check(saved || io.Faulted());
    const auto bytes = io.BytesOf(kMapPath);
    const std::size_t span =
        model.TileCount == 0 ? 0 : 8 + 23 * static_cast<std::size_t>(model.TileCount - 1) + 7;
    const bool mixed = !saved && io.SentInPlace();
    if (saved || mixed) {
        Check(bytes.size() <= std::max(loaded.size(), span) && bytes.size() >= loaded.size());
        Check(!saved || bytes.size() == std::max(loaded.size(), span));
    } else {
        Check(bytes == loaded);
    }
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const std::uint8_t old = k < loaded.size() ? loaded[k] : 0;
        if (!quarl::testing::IsRecordByte(k, model.TileCount)) {
            Check(bytes[k] == old);
            continue;
        }
        const std::size_t at = k - 8;
        const auto* layer = std::find_if(
            quarl::kLayers.begin(), quarl::kLayers.end(),
            [&](const quarl::LayerInfo& l) { return l.RecordByte == static_cast<int>(at % 23); });
        const std::uint8_t now = (model.*layer->Field)[at / 23];
        Check(saved ? bytes[k] == now : bytes[k] == old || (mixed && bytes[k] == now));
    }
    std::size_t beside = 0;
    for (const std::string& path : io.Paths()) beside += quarl::IsBesideName(path) ? 1 : 0;
    Check(beside == 0 || (io.FaultedAt(MemoryFileIo::Call::Remove) && beside == 1));
}

// The fault the session's save meets, if any: a call of the seam that fails, and how.
MemoryFileIo::Fault ChooseFault(FuzzedDataProvider& input) {
    MemoryFileIo::Fault fault;
    const int call = input.ConsumeIntegralInRange(0, quarl::testing::kSeamCalls);
    if (call < quarl::testing::kSeamCalls) fault.call = static_cast<MemoryFileIo::Call>(call);
    fault.nth = input.ConsumeIntegralInRange(1, 3);
    fault.step = static_cast<quarl::Step>(input.ConsumeIntegralInRange(
        static_cast<int>(quarl::Step::Failed), static_cast<int>(quarl::Step::LongName)));
    return fault;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // The map area most often; small canvases, and ones smaller than any cell, too.
    const std::pair<int, int> canvases[] = {{quarl::kCanvasWidth, quarl::kCanvasHeight},
                                            {quarl::kCanvasWidth, quarl::kCanvasHeight},
                                            {300, 597},
                                            {70, 50},
                                            {13, 12},
                                            {1, 1}};
    const auto [width, height] = canvases[input.ConsumeIntegralInRange(0, 5)];
    MemoryFileIo io(ChooseFault(input));
    const std::vector<std::uint8_t> bytes = MapFile(input);
    io.Put(kMapPath, bytes);

    Session session(input, width, height);
    const bool loaded = !quarl::LoadMap(session.Model(), kMapPath, "session.map", io).error;
    io.Arm();
    CheckWhole(session.Model());
    Check(loaded || !session.Model().IsLoaded());
    session.Play();
    CheckSave(session.Model(), io, bytes);
    return 0;
}

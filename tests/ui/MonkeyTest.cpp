// SPDX-License-Identifier: MIT
// Thousands of random user actions on a loaded map: nothing crashes, the model stays whole,
// and saving changes nothing in the file but the six bytes of each record.
#include <gtest/gtest.h>

#include <QAction>
#include <QtTest/QTest>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "WindowSupport.h"
#include "document/MapFile.h"
#include "support/MapFiles.h"
#include "support/RecordBytes.h"

namespace quarl {
namespace {

using testing::TempDir;
using testing::WindowFixture;

const char* const kButtons[] = {"CmdDrawType", "CmdDrawHeight", "CmdDrawObject", "CmdDrawUsable",
                                "CmdDrawDir",  "CmdEditView",   "CmdDrawLight",  "CmdUp",
                                "CmdLeft",     "CmdRight",      "CmdDown",       "CmdZoomIn",
                                "CmdZoomOut"};
const char* const kBoxes[] = {"TxtEdit", "TxtEditDir", "TxtX", "TxtY", "TxtValue"};
const char* const kTexts[] = {"0",   "1",           "2",   "3",   "147",      "255",
                              "256", "-1",          "2.5", "abc", "",         " 12 ",
                              "1e9", "99999999999", "40",  "7.5", "\xc3\xa9", "30"};

class Monkey : public WindowFixture {
  public:
    explicit Monkey(std::uint32_t seed) : random_(seed) {}

    void Act() {
        switch (Pick(10)) {
            case 0:
            case 1:
            case 2:
                Mouse(QEvent::MouseMove, Point(), Qt::NoButton, Buttons());
                break;
            case 3:
                Mouse(QEvent::MouseButtonPress, Point(), Button(), Buttons());
                break;
            case 4:
                Mouse(QEvent::MouseButtonRelease, Point(), Button(), Qt::NoButton);
                break;
            case 5:
                QTest::keyClick(Buf(), Pick(3) == 0 ? Qt::Key_A : Qt::Key_Space,
                                Pick(2) ? Qt::ShiftModifier : Qt::NoModifier);
                break;
            case 6:
                SetText(kBoxes[Pick(std::size(kBoxes))],
                        QString::fromUtf8(kTexts[Pick(std::size(kTexts))]));
                break;
            case 7:
                Find<QComboBox>(Pick(2) ? "SIZEBOX" : "EDITBOX")
                    ->setCurrentIndex(static_cast<int>(Pick(8)) - 1);
                break;
            case 8:
                Click(kButtons[Pick(std::size(kButtons))]);
                break;
            default:
                if (Pick(20) == 0) Trigger("ClearMap");
                break;
        }
    }

  private:
    unsigned Pick(std::size_t n) { return static_cast<unsigned>(random_() % n); }
    QPointF Point() {
        return {static_cast<double>(Pick(1100)) - 50, static_cast<double>(Pick(700)) - 50};
    }
    Qt::MouseButton Button() {
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        return buttons[Pick(3)];
    }
    Qt::MouseButtons Buttons() { return Qt::MouseButtons(static_cast<int>(Pick(8))); }

    std::mt19937 random_;
};

// QUARL_MONKEY_SEED and QUARL_MONKEY_EVENTS (events per map) set a longer or another run.
std::uint32_t FromEnvironment(const char* name, std::uint32_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0'
               ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10))
               : fallback;
}

TEST(MonkeyTest, RandomActionsKeepTheMapAndTheFileWhole) {
    const std::uint32_t seed = FromEnvironment("QUARL_MONKEY_SEED", 20261207);
    const std::uint32_t events = FromEnvironment("QUARL_MONKEY_EVENTS", 10000);
    SCOPED_TRACE("monkey seed " + std::to_string(seed) + ", " + std::to_string(events) +
                 " events per map");
    TempDir dir;
    for (const auto& [w, h] : {std::pair<std::int16_t, std::int16_t>{60, 40}, {7, 3}}) {
        const auto bytes = mapgen::MakeMap({.width = w, .height = h, .seed = seed, .trailing = 33});
        const auto path = testing::WriteMapFile(dir, "monkey.map", bytes);
        Monkey monkey(seed + static_cast<std::uint32_t>(w));
        monkey.LoadFile(path);
        for (std::uint32_t event = 0; event < events; ++event) monkey.Act();

        const Types& model = monkey.window->Model();
        for (const TileLayer* layer : {&model.TypeLayer, &model.LightLayer, &model.HeightLayer,
                                       &model.DirLayer, &model.ObjectLayer, &model.UsageLayer}) {
            ASSERT_EQ(layer->size(), static_cast<std::size_t>(model.TileCount) + 1);
        }
        monkey.Trigger("SaveMap");
        ASSERT_EQ(monkey.Text("TxtStatus"), "Saved map as: monkey.map");
        const auto after = mapgen::ReadBytes(path);
        ASSERT_EQ(after.size(), bytes.size());
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            if (!testing::IsRecordByte(k, model.TileCount)) {
                ASSERT_EQ(after[k], bytes[k]) << "offset " << k;
            }
        }
        EXPECT_NE(after, bytes) << "the monkey edited nothing";
        EXPECT_TRUE(monkey.fake->messages.empty());
    }
}

}  // namespace
}  // namespace quarl

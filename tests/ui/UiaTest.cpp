// SPDX-License-Identifier: MIT
// What a screen reader on Windows reads through UI Automation, read in the process from Qt's own
// provider: the one the window hands out for WM_GETOBJECT, and the events Qt raises with it. Both
// are caught where Qt's Windows platform looks up the UI Automation functions, since a client
// under Wine reads neither patterns nor values.
#include <gtest/gtest.h>
#include <uiautomation.h>
#include <windows.h>

#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QtTest/QTest>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "WindowSupport.h"
#include "editing/Editing.h"
#include "support/MapFiles.h"
#include "view/Viewport.h"

namespace quarl {
namespace testing {
namespace {

// An event Qt raised: a focus change, a property's new value, or a notification (kNotification).
struct Raised {
    long what;
    std::string on;  // the name of the element it was raised on
    std::string text;
};
constexpr long kNotification = 0;

struct Caught {
    FARPROC(WINAPI* getProcAddress)(HMODULE, LPCSTR) = nullptr;
    bool listening = false;
    IRawElementProviderSimple* root = nullptr;
    std::vector<Raised> raised;
};

Caught& Catch() {
    static Caught caught;
    return caught;
}

QString FromVariant(const VARIANT& value) {
    switch (value.vt) {
        case VT_BSTR:
            return QString::fromWCharArray(value.bstrVal,
                                           static_cast<int>(SysStringLen(value.bstrVal)));
        case VT_I4:
            return QString::number(value.lVal);
        case VT_BOOL:
            return value.boolVal != VARIANT_FALSE ? QStringLiteral("true")
                                                  : QStringLiteral("false");
        default:
            return {};
    }
}

std::string Property(IRawElementProviderSimple* element, PROPERTYID id) {
    VARIANT value;
    VariantInit(&value);
    if (element == nullptr || FAILED(element->GetPropertyValue(id, &value))) return "?";
    const QString text = FromVariant(value);
    VariantClear(&value);
    return text.toStdString();
}

void Record(IRawElementProviderSimple* element, long what, const QString& text) {
    if (Catch().listening)
        Catch().raised.push_back({what, Property(element, UIA_NamePropertyId), text.toStdString()});
}

// The UI Automation functions as Qt's Windows platform finds them.
LRESULT WINAPI ReturnProvider(HWND, WPARAM, LPARAM, IRawElementProviderSimple* provider) {
    if (Catch().root != nullptr) Catch().root->Release();
    Catch().root = provider;
    provider->AddRef();
    return 0;
}
BOOL WINAPI ClientsAreListening() {
    return Catch().listening ? TRUE : FALSE;
}
HRESULT WINAPI RaiseEvent(IRawElementProviderSimple* element, EVENTID id) {
    Record(element, id, {});
    return S_OK;
}
HRESULT WINAPI RaisePropertyChanged(IRawElementProviderSimple* element, PROPERTYID id, VARIANT,
                                    VARIANT value) {
    Record(element, id, FromVariant(value));
    return S_OK;
}
HRESULT WINAPI RaiseNotification(IRawElementProviderSimple* element, NotificationKind,
                                 NotificationProcessing, BSTR text, BSTR) {
    Record(element, kNotification,
           QString::fromWCharArray(text, static_cast<int>(SysStringLen(text))));
    return S_OK;
}

// Any function as GetProcAddress returns it; void (*)() stands for every function type.
template <typename Function>
FARPROC Generic(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC WINAPI FindFunction(HMODULE module, LPCSTR name) {
    const FARPROC found = Catch().getProcAddress(module, name);
    if (found == nullptr || IS_INTRESOURCE(name)) return found;
    const struct {
        const char* name;
        FARPROC ours;
    } ours[] = {
        {"UiaReturnRawElementProvider", Generic(&ReturnProvider)},
        {"UiaClientsAreListening", Generic(&ClientsAreListening)},
        {"UiaRaiseAutomationEvent", Generic(&RaiseEvent)},
        {"UiaRaiseAutomationPropertyChangedEvent", Generic(&RaisePropertyChanged)},
        {"UiaRaiseNotificationEvent", Generic(&RaiseNotification)},
    };
    for (const auto& function : ours) {
        if (std::strcmp(name, function.name) == 0) return function.ours;
    }
    return found;
}

// Points MODULE's import of GetProcAddress at FindFunction.
bool CatchLookUps(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++entries) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "GetProcAddress") != 0)
                continue;
            DWORD was = 0;
            VirtualProtect(&entries->u1.Function, sizeof(entries->u1.Function), PAGE_READWRITE,
                           &was);
            Catch().getProcAddress =
                reinterpret_cast<decltype(Caught::getProcAddress)>(entries->u1.Function);
            entries->u1.Function = reinterpret_cast<ULONG_PTR>(Generic(&FindFunction));
            VirtualProtect(&entries->u1.Function, sizeof(entries->u1.Function), was, &was);
            return true;
        }
    }
    return false;
}

struct Release {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using Ref = std::unique_ptr<T, Release>;

template <typename T>
Ref<T> As(IUnknown* object) {
    T* wanted = nullptr;
    if (object == nullptr ||
        FAILED(object->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&wanted)))) {
        return nullptr;
    }
    return Ref<T>(wanted);
}

template <typename T>
Ref<T> Pattern(IRawElementProviderSimple* element, PATTERNID id) {
    IUnknown* pattern = nullptr;
    if (FAILED(element->GetPatternProvider(id, &pattern)) || pattern == nullptr) return nullptr;
    const Ref<IUnknown> held(pattern);
    return As<T>(pattern);
}

// The middle of an element's bounding rectangle, where a screen reader moves the mouse to click
// it (NVDA: left plus half the width, rounded down), in Qt's pixels; none when it is empty.
std::optional<QPoint> Middle(IRawElementProviderSimple* element, qreal pixelRatio) {
    const Ref<IRawElementProviderFragment> fragment = As<IRawElementProviderFragment>(element);
    UiaRect rect{};
    if (!fragment || FAILED(fragment->get_BoundingRectangle(&rect)) || rect.width <= 0 ||
        rect.height <= 0) {
        return std::nullopt;
    }
    const auto half = [&](double from, double size) {
        return static_cast<int>(std::floor((from + std::floor(size / 2)) / pixelRatio));
    };
    return QPoint(half(rect.left, rect.width), half(rect.top, rect.height));
}

std::string ValueOf(IRawElementProviderSimple* element) {
    const Ref<IValueProvider> value = Pattern<IValueProvider>(element, UIA_ValuePatternId);
    BSTR text = nullptr;
    if (!value || FAILED(value->get_Value(&text))) return "?";
    const QString result = QString::fromWCharArray(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return result.toStdString();
}

// Every element below ELEMENT, in the order a client's walk meets them.
void Walk(IRawElementProviderSimple* element, std::vector<Ref<IRawElementProviderSimple>>& all) {
    const Ref<IRawElementProviderFragment> fragment = As<IRawElementProviderFragment>(element);
    IRawElementProviderFragment* next = nullptr;
    if (!fragment || FAILED(fragment->Navigate(NavigateDirection_FirstChild, &next))) return;
    while (next != nullptr) {
        const Ref<IRawElementProviderFragment> child(next);
        all.push_back(As<IRawElementProviderSimple>(child.get()));
        Walk(all.back().get(), all);
        next = nullptr;
        if (FAILED(child->Navigate(NavigateDirection_NextSibling, &next))) break;
    }
}

}  // namespace

void CatchUiAutomation() {
    if (HMODULE platform = GetModuleHandleW(L"qwindows.dll")) CatchLookUps(platform);
}

namespace {

class UiaTest : public ::testing::Test, public WindowFixture {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("windows")) {
            GTEST_SKIP() << "Qt's Windows platform is not in use";
        }
        ASSERT_NE(Catch().getProcAddress, nullptr) << "Qt's Windows platform was not caught";
        Catch().listening = true;
        SendMessageW(reinterpret_cast<HWND>(window->winId()), WM_GETOBJECT, 0, UiaRootObjectId);
        ASSERT_NE(Catch().root, nullptr) << "the window handed out no provider";
        Walk(Catch().root, elements_);
    }
    void TearDown() override {
        Catch().listening = false;
        Catch().raised.clear();
    }

    // The element of the control named NAME, whose automation id ends in it.
    IRawElementProviderSimple* Element(const char* name) const {
        for (const auto& element : elements_) {
            const std::string id = Property(element.get(), UIA_AutomationIdPropertyId);
            if (id.ends_with(std::string(".") + name)) {
                return element.get();
            }
        }
        throw std::runtime_error(std::string("no element for ") + name);
    }
    // What was raised of one kind since the last call, as "name: text", each in brackets.
    std::string Raised(long what) {
        QCoreApplication::processEvents();
        std::string seen;
        for (const auto& event : Catch().raised) {
            if (event.what == what) seen += "[" + event.on + ": " + event.text + "]";
        }
        Catch().raised.clear();
        return seen;
    }
    std::string Text(const char* name) const { return WindowFixture::Text(name).toStdString(); }
    void Focus(const char* name) {
        Find(name)->setFocus();
        QCoreApplication::processEvents();
    }

    // The map's cell at a row and column of the tiles on show.
    Ref<IRawElementProviderSimple> Cell(int row, int column) const {
        const Ref<IGridProvider> grid = Pattern<IGridProvider>(Element("BUF"), UIA_GridPatternId);
        IRawElementProviderSimple* item = nullptr;
        if (grid) grid->GetItem(row, column, &item);
        return Ref<IRawElementProviderSimple>(item);
    }
    // The cells on show whose rectangle's middle misses their tile or the window, or that are
    // marked off screen while they have a rectangle, or the other way round; and how many are
    // off screen.
    std::pair<std::string, int> MisplacedCells() const {
        const TileSpan span = Buf()->TilesOnShow();
        const QWidget* client = window->centralWidget();
        std::string misplaced;
        int offscreen = 0;
        for (int row = 0; row < span.rows; ++row) {
            for (int col = 0; col < span.cols; ++col) {
                const Ref<IRawElementProviderSimple> cell = Cell(row, col);
                const auto middle = Middle(cell.get(), window->devicePixelRatioF());
                const bool off = Property(cell.get(), UIA_IsOffscreenPropertyId) == "true";
                offscreen += off ? 1 : 0;
                const TilePos tile{static_cast<std::int16_t>(span.firstCol + col),
                                   static_cast<std::int16_t>(span.firstRow + row)};
                const bool placed =
                    middle ? !off && client->rect().contains(client->mapFromGlobal(*middle)) &&
                                 Buf()->TileAtWidget(Buf()->mapFromGlobal(*middle)) == tile
                           : off;
                if (!placed)
                    misplaced += " (" + std::to_string(row) + ", " + std::to_string(col) + ")";
            }
        }
        return {misplaced, offscreen};
    }

    std::vector<Ref<IRawElementProviderSimple>> elements_;
    TempDir dir_;
};

TEST_F(UiaTest, ControlsValuesTheMapAndWhatIsRaised) {
    // Each control by name and type.
    const struct {
        const char* control;
        const char* name;
        long type;
    } controls[] = {
        {"TxtStatus", "Status", UIA_StatusBarControlTypeId},
        {"CmdDrawType", "Draw Type", UIA_ButtonControlTypeId},
        {"CmdUp", "Scroll up", UIA_ButtonControlTypeId},
        {"TxtEdit", "Edit value", UIA_EditControlTypeId},
        {"TxtX", "Column", UIA_EditControlTypeId},
        {"TxtEditDir", "Edit direction", UIA_EditControlTypeId},
        {"EDITBOX", "Ore", UIA_ComboBoxControlTypeId},
        {"SIZEBOX", "Brush size", UIA_ComboBoxControlTypeId},
        {"BUF", "Map", UIA_TableControlTypeId},
    };
    for (const auto& row : controls) {
        EXPECT_EQ(Property(Element(row.control), UIA_NamePropertyId), row.name) << row.control;
        EXPECT_EQ(Property(Element(row.control), UIA_ControlTypePropertyId),
                  std::to_string(row.type))
            << row.control;
    }

    // A file result is announced wherever the focus is, and the status bar holds it.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Focus("TxtEdit");
    const auto bytes =
        mapgen::MakeMap({.width = 100, .height = 50, .pattern = mapgen::Pattern::Zero});
    LoadFile(WriteMapFile(dir_, "a.map", bytes));
    EXPECT_EQ(Raised(kNotification), "[Status: " + Text("TxtStatus") + "]");
    EXPECT_TRUE(Text("TxtStatus").starts_with("Filesize:"));
    EXPECT_EQ(ValueOf(Element("TxtStatus")), Text("TxtStatus"));
    Trigger("SaveMap");
    EXPECT_EQ(Raised(kNotification), "[Status: " + Text("TxtStatus") + "]");
    EXPECT_TRUE(Text("TxtStatus").starts_with("Saved map as:"));

    // Text boxes read whole; a combo box's choice, on focus and after an arrow key.
    SetText("TxtEdit", "-12");
    EXPECT_EQ(ValueOf(Element("TxtEdit")), "-12");
    EXPECT_EQ(ValueOf(Element("EDITBOX")), "GOLD");
    Raised(UIA_AutomationFocusChangedEventId);
    Focus("EDITBOX");
    EXPECT_EQ(Raised(UIA_AutomationFocusChangedEventId), "[Ore: ]");
    QTest::keyClick(Find("EDITBOX"), Qt::Key_Down);
    EXPECT_EQ(ValueOf(Element("EDITBOX")), "IRON");
    EXPECT_EQ(Raised(UIA_ValueValuePropertyId), "[Ore: IRON]");

    // The map as a grid of the tiles on show, each a grid item.
    Click("CmdDrawType");
    Click("CmdZoomIn");
    const TileSpan span = Buf()->TilesOnShow();
    const Ref<IGridProvider> grid = Pattern<IGridProvider>(Element("BUF"), UIA_GridPatternId);
    ASSERT_TRUE(grid);
    EXPECT_TRUE(Pattern<ITableProvider>(Element("BUF"), UIA_TablePatternId));
    int rows = 0;
    int cols = 0;
    grid->get_RowCount(&rows);
    grid->get_ColumnCount(&cols);
    EXPECT_EQ(rows, span.rows);
    EXPECT_EQ(cols, span.cols);
    IRawElementProviderSimple* item = nullptr;
    ASSERT_EQ(grid->GetItem(2, 4, &item), S_OK);
    const Ref<IRawElementProviderSimple> cell(item);
    const Ref<IGridItemProvider> place = Pattern<IGridItemProvider>(item, UIA_GridItemPatternId);
    ASSERT_TRUE(place);
    place->get_Row(&rows);
    place->get_Column(&cols);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 4);
    EXPECT_EQ(Property(item, UIA_NamePropertyId), "column 5, row 3, type 0, direction 0");

    // Entering the map moves the focus onto the tile of Column and Row, once; it is then the one
    // element with the keyboard focus.
    SetText("TxtX", "5");
    SetText("TxtY", "3");
    Raised(UIA_AutomationFocusChangedEventId);
    Focus("BUF");
    EXPECT_EQ(Raised(UIA_AutomationFocusChangedEventId),
              "[column 5, row 3, type 0, direction 0: ]");
    std::vector<Ref<IRawElementProviderSimple>> all;
    Walk(Catch().root, all);
    std::string focused;
    for (const auto& element : all) {
        if (Property(element.get(), UIA_HasKeyboardFocusPropertyId) == "true") {
            focused += "[" + Property(element.get(), UIA_NamePropertyId) + "]";
        }
    }
    EXPECT_EQ(focused, "[column 5, row 3, type 0, direction 0]");

    // Space: the tile's new words are heard.
    SetText("TxtEditDir", "3");
    QTest::keyClick(Buf(), Qt::Key_Space);
    const std::string words = DescribeTile(window->Model(), 5, 3);
    EXPECT_EQ(words, "column 5, row 3, type 0, direction 3");
    EXPECT_EQ(Raised(kNotification), "[Map: " + words + "]");

    // The pointer moved onto the map from elsewhere: the focus follows it onto its tile, once.
    Focus("TxtEdit");
    Raised(UIA_AutomationFocusChangedEventId);
    Mouse(QEvent::MouseMove, QPointF(Buf()->WidgetRectOf({7, 4}).center()), Qt::NoButton,
          Qt::NoButton);
    EXPECT_EQ(Raised(UIA_AutomationFocusChangedEventId),
              "[column 7, row 4, type 0, direction 0: ]");
}

// A screen reader clicks a cell by Invoke, or by moving the mouse to the middle of its bounding
// rectangle and clicking there: either paints the tile and is heard. Every cell's middle lies in
// its tile and in the window, however the map is zoomed or scrolled and however small the window.
TEST_F(UiaTest, CellsAreClickedByInvokeOrAtTheMiddleOfTheirRectangle) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto bytes =
        mapgen::MakeMap({.width = 100, .height = 50, .pattern = mapgen::Pattern::Zero});
    LoadFile(WriteMapFile(dir_, "a.map", bytes));
    Click("CmdDrawHeight");
    SetText("TxtEdit", "77");
    Focus("TxtEdit");
    Raised(kNotification);
    const Types& model = window->Model();

    const Ref<IRawElementProviderSimple> invoked = Cell(2, 4);
    const Ref<IInvokeProvider> invoke =
        Pattern<IInvokeProvider>(invoked.get(), UIA_InvokePatternId);
    ASSERT_TRUE(invoke);
    {
        // While a dialog waits for an answer, as the About box does, Invoke paints nothing.
        QDialog modal(window.get());
        modal.setModal(true);
        modal.show();
        EXPECT_EQ(invoke->Invoke(), S_OK);
        QCoreApplication::processEvents();
        EXPECT_EQ(model.HeightLayer[model.TileIndex(5, 3)], 0);
    }
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Focus("TxtEdit");
    EXPECT_EQ(invoke->Invoke(), S_OK);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.HeightLayer[model.TileIndex(5, 3)], 77);
    EXPECT_EQ(Raised(kNotification), "[Map: column 5, row 3, height 77, direction 0]");
    EXPECT_EQ(Property(invoked.get(), UIA_HasKeyboardFocusPropertyId), "true");

    // UI Automation's SetFocus makes a cell the current one, painting nothing.
    const Ref<IRawElementProviderFragment> focused =
        As<IRawElementProviderFragment>(Cell(1, 1).get());
    EXPECT_EQ(focused->SetFocus(), S_OK);
    EXPECT_EQ(Property(Cell(1, 1).get(), UIA_HasKeyboardFocusPropertyId), "true");
    EXPECT_EQ(model.HeightLayer[model.TileIndex(2, 2)], 0);

    Find<QComboBox>("SIZEBOX")->setCurrentIndex(2);
    const auto middle = Middle(Cell(6, 8).get(), window->devicePixelRatioF());
    ASSERT_TRUE(middle);
    const QPointF at = Buf()->mapFromGlobal(QPointF(*middle));
    Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(model.HeightLayer[model.TileIndex(11, 9)], 77);
    EXPECT_EQ(Raised(kNotification), "[Map: column 9, row 7, height 77, direction 0. 9 tiles]");

    const struct {
        const char* view;
        const char* button;  // pressed before the check, when not null
        int presses;
        bool smallWindow;
    } views[] = {
        {"zoom 1", nullptr, 0, false},
        {"zoom 4", "CmdZoomIn", 2, false},
        {"scrolled right", "CmdRight", 1, false},
        {"the right edge", "CmdRight", 3, false},
        {"the bottom right corner", "CmdDown", 2, false},
        {"a window smaller than the map area", nullptr, 0, true},
    };
    for (const auto& view : views) {
        for (int i = 0; i < view.presses; ++i) Click(view.button);
        if (view.smallWindow) window->resize(560, 420);
        QCoreApplication::processEvents();
        const auto [misplaced, offscreen] = MisplacedCells();
        EXPECT_EQ(misplaced, "") << view.view;
        // Cells are off screen only where the window cuts the map area: when it was made small,
        // or when it cannot grow as large as it wants on the screen, as when scaled.
        const bool cut = !window->centralWidget()->rect().contains(Buf()->geometry());
        EXPECT_TRUE(cut || !view.smallWindow) << view.view;
        EXPECT_EQ(offscreen > 0, cut) << view.view;
    }
    EXPECT_EQ(Buf()->TilesOnShow().firstCol + Buf()->TilesOnShow().cols - 1, 100);
}

}  // namespace
}  // namespace testing
}  // namespace quarl
